// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "editing/LevelTable.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QScrollBar;

namespace kalvetro {

class Console;
class WindowParts;

// The page "Дамп": the 255 levels of one scene as a table of numbers, and one level to read
// and set with three scroll bars. It follows the current scene; with "Редактировать Сцену во
// время работы" ticked it shows the scene of its own scene bar, and its level bar writes into
// that scene, also while the show plays.
//
// Refreshes that come from outside (a sequencer step may come every few milliseconds) are
// taken at most once per display tick, and only the labels whose level changed get new text.
class LevelTablePage : public QWidget {
  Q_OBJECT

 public:
  // undoPair: the page's "Запомнить Сцену" / "Вернуть прежнюю сцену" pair (may be null).
  LevelTablePage(Console& console, WindowParts& parts, QWidget* undoPair, QWidget* parent);

  // The scene the page shows (0..255).
  int ShownScene() const;

  // Whole page from the show memory, and the 255 level labels alone.
  void RefreshLevelTable();
  void RefreshLevelTableLabels();
  // Handlers of the controls.
  void ShowEditedScene() { RefreshLevelTable(); }
  void ShowChosenScene() { RefreshLevelTable(); }
  void ShowChosenChannel() { RefreshLevelTable(); }
  void WriteChosenLevel();

  std::array<QLabel*, kLevelTableLabelCount> tableLevelLabels{};  // LabelDamp001..LabelDamp255
  QCheckBox* tableEditSceneBox = nullptr;
  QScrollBar* tableSceneSlider = nullptr;
  QScrollBar* tableChannelSlider = nullptr;
  QScrollBar* tableLevelSlider = nullptr;
  QLabel* tableSceneLabel = nullptr;
  QLabel* tableChannelLabel = nullptr;
  QLabel* tableLevelLabel = nullptr;
  QProgressBar* tableLevelGauge = nullptr;
  QLineEdit* tableChannelNameEdit = nullptr;

 private:
  // A refresh asked for by the console: now if the last one is a display tick old, else at
  // the next display tick.
  void RefreshSoon();
  void DisplayTick();

  Console& console_;
  LevelTableLabelDiff shownLevels_;
  QElapsedTimer lastRefresh_;
  bool refreshPending_ = false;
  bool refreshing_ = false;  // the page itself moves the level bar
};

}  // namespace kalvetro
