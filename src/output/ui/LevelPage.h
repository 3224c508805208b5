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

  void ScrollBarLevelAllChange();
  void CheckBoxBlackOutClick();

  QScrollBar* ScrollBarLevelAll = nullptr;
  QLabel* LabelLevelAll = nullptr;
  QCheckBox* CheckBoxBlackOut = nullptr;
  QCheckBox* CheckBoxManual = nullptr;

 private:
  Console& console_;
};

}  // namespace kalvetro
