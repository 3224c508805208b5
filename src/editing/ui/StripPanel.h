// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "output/OutputControls.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTimer;
class QToolButton;
class QVBoxLayout;

namespace kalvetro {

class LevelLabel;

class Console;
class WindowParts;

// The page "Фэйдера": the operator's mixing desk for the current scene. 27 strips show a
// window of channels StripOffset + 1 .. StripOffset + 27, each with its number, a level fader
// on the current scene, the level really sent, a fade rate fader, a name box and a selection
// box; a scroll bar moves the window, a column of buttons sets levels and selections, chooses
// how the sent levels are shown, and switches the output between scene, macro and blackout.
class StripPanel : public QWidget {
  Q_OBJECT

 public:
  StripPanel(Console& console, WindowParts& parts, QWidget* parent);

  int StripOffset() const { return stripOffset_; }

  // Handlers of the controls (strip k = 1..27).
  void ScrollStrips();
  void WriteFaderLevel(int k);
  void WriteChannelRate(int k);
  void ToggleChannelSelection(int k);
  void ClearAllSelection();
  void ClearVisibleSelection();
  void SelectVisibleChannels();
  void InvertSelectionGroup(int firstStrip);  // SpeedButtonInv1, 6, 11, 16, 21
  void ClearSceneLevels();
  void SetVisibleLevelsTo0();
  void SetVisibleLevelsTo127();
  void SetVisibleLevelsTo255();
  // The output mode buttons (one down at a time): scene, macro picture, blackout.
  void EndBlackOut();
  void StartMacroPicture();
  void StartBlackOut();
  // Puts the mode button down that shows the blackout state (the macro button stays down).
  void ShowBlackOut(bool dark);
  // Shows or hides the blackout button as the output tick last asked.
  void ApplyBlackOutBlink();

  // Refreshes.
  // Faders := levels of the current scene; in manual mode the selected strips keep theirs.
  void RefreshFaders();
  // Rate faders := positions of the channels' fade steps (a step between two table values
  // is rewritten as the table step of its position when its fader moves).
  void RefreshRates();
  // Channel names (16 characters, code page 1251 in the show). RefreshNames loads all 27 boxes
  // (StoredNameOfStrip normalises the stored name of strip k and gives its text); StoreNameBoxes
  // stores all 27 boxes (StoreNameBox(k) stores box k, false when the text holds a character the
  // code page has not: the stored name then stays and the box shows it again). With keepTyping a
  // box the operator is typing in keeps its text while the strips show the same channels.
  void RefreshNames(bool keepTyping = false);
  QString StoredNameOfStrip(int k);
  bool StoreNameBox(int k);
  void StoreNameBoxes();
  // A click into a name box switches the flash keys and the conveyor keys off.
  void BeginNameTyping();
  // A name box lost the focus: every box is stored and the blanks of all names become 0.
  void StoreChannelNames();
  // The mouse wheel over the main window while this page is shown moves the channel window.
  void WheelTurned(int delta);
  // The refresh of this page within RefreshAll.
  void ReturnPage();
  void NumberStrips();
  void LoadSelectionBoxes();
  void StoreSelectionBoxes();
  // The output display: the levels sent under the strips, every 100 ms while the page is
  // shown; all 27 at once in fast mode, else three strips per call.
  void ShowSentLevels();

  QScrollBar* stripWindowSlider = nullptr;
  std::array<QLabel*, kStripCount> channelNumberLabels{};  // Label01c..Label27c
  std::array<QScrollBar*, kStripCount> faders{};
  std::array<LevelLabel*, kStripCount> sentLevelLabels{};  // Label1..Label27: level sent
  std::array<QScrollBar*, kStripCount> rateSliders{};
  std::array<QLineEdit*, kStripCount> nameBoxes{};
  std::array<QCheckBox*, kStripCount> selectBoxes{};
  std::array<QToolButton*, 5> invertButtons{};
  QToolButton* clearAllSelectionButton = nullptr;
  QToolButton* clearVisibleSelectionButton = nullptr;
  QToolButton* selectVisibleButton = nullptr;
  QToolButton* clearSceneLevelsButton = nullptr;
  QToolButton* visibleTo0Button = nullptr;
  QToolButton* visibleTo127Button = nullptr;
  QToolButton* visibleTo255Button = nullptr;
  QToolButton* showLevelsButton = nullptr;
  QToolButton* showPercentButton = nullptr;
  QToolButton* everyTickButton = nullptr;
  QToolButton* sceneOnButton = nullptr;
  QToolButton* macroPictureButton = nullptr;
  QToolButton* blackOutButton = nullptr;
  QTimer* blackOutBlinkTimer = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildNameBoxes();
  void BuildStrips(QGridLayout* grid);
  void BuildButtonColumn(QVBoxLayout* column);
  QWidget* BuildOutputModeButtons(QWidget* parent);
  // Level buttons: nothing while playing; else status text, level, faders refreshed.
  void SetLevels(const QString& status, bool wholeScene, std::uint8_t level);
  void ShowOutputLevel(int k, bool percent);

  Console& console_;
  WindowParts& parts_;
  QVBoxLayout* buttonColumn_ = nullptr;
  int stripOffset_ = 0;
  int nameOffset_ = -1;  // the strip offset whose names the name boxes show
  int displayPhase_ = 1;
  bool storingNames_ = false;  // StoreChannelNames is storing: its own news reloads no box
};

}  // namespace kalvetro
