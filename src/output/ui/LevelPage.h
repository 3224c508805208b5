// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QScrollBar;

namespace kalvetro {

class Console;

// The tab "Уровни": the level of the selected channels, blackout and manual control.
class LevelPage : public QWidget {
  Q_OBJECT

 public:
  LevelPage(Console& console, QWidget* parent);

  void SetSelectedLevel();
  void SwitchBlackOut();

  QScrollBar* selectedLevelSlider = nullptr;
  QLabel* selectedLevelLabel = nullptr;
  QCheckBox* blackOutBox = nullptr;
  QCheckBox* manualBox = nullptr;

 private:
  Console& console_;
};

}  // namespace kalvetro
