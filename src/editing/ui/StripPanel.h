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
  void ScrolbarVertPosChange();
  void ScrollBarChange(int k);
  void ScrollBarRateChange(int k);
  void CheckBoxClick(int k);
  void SpeedButtonOffAllCheckClick();
  void ButtonResetFlagVyborClick();
  void SpeedButtonOnVisCheckClick();
  void SpeedButtonInvClick(int firstStrip);  // SpeedButtonInv1, 6, 11, 16, 21
  void SpeedButtonAllScrl0Click();
  void SpeedButtonVis0Click();
  void SpeedButtonVis127Click();
  void SpeedButtonVis255Click();
  // The output mode buttons (one down at a time): scene, macro picture, blackout.
  void SpeedButtonOnScenaClick();
  void SpeedButtonMacrosOutClick();
  void SpeedButtonBlackOutClick();
  // Puts the mode button down that shows the blackout state (the macro button stays down).
  void ShowBlackOut(bool dark);
  // Shows or hides the blackout button as the output tick last asked.
  void ApplyBlackOutBlink();

  // Refreshes.
  // Faders := levels of the current scene; in manual mode the selected strips keep theirs.
  void ReturnScrollBars();
  // Rate faders := positions of the channels' fade steps (a step between two table values
  // is rewritten as the table step of its position when its fader moves).
  void ReturnRate();
  // Channel names (16 characters, code page 1251 in the show). ReturnName loads all 27 boxes
  // (LoadEdit normalises the stored name of strip k and gives its text); SaveEditAll stores
  // all 27 boxes (SaveEdit(k) stores box k, false when the text holds a character the code
  // page has not: the stored name then stays and the box shows it again). With keepTyping a
  // box the operator is typing in keeps its text while the strips show the same channels.
  void ReturnName(bool keepTyping = false);
  QString LoadEdit(int k);
  bool SaveEdit(int k);
  void SaveEditAll();
  // A click into a name box switches the flash keys and the conveyor keys off.
  void Edit1Click();
  // A name box lost the focus: every box is stored and the blanks of all names become 0.
  void Edit2Exit();
  // The mouse wheel over the main window while this page is shown moves the channel window.
  void WheelTurned(int delta);
  // The refresh of this page within ReturnPageControlAll.
  void ReturnPage();
  void NamberDmx();
  void CheckBoxFromMemory();
  void CheckBoxToMemory();
  // The output display: the levels sent under the strips, every 100 ms while the page is
  // shown; all 27 at once in fast mode, else three strips per call.
  void TimerDataDmxToDspTimer();

  QScrollBar* ScrolbarVertPos = nullptr;
  std::array<QLabel*, kStripCount> LabelNumber{};  // Label01c..Label27c
  std::array<QScrollBar*, kStripCount> ScrollBar{};
  std::array<LevelLabel*, kStripCount> Label{};  // Label1..Label27: level sent
  std::array<QScrollBar*, kStripCount> ScrollBarRate{};
  std::array<QLineEdit*, kStripCount> Edit{};
  std::array<QCheckBox*, kStripCount> CheckBox{};
  std::array<QToolButton*, 5> SpeedButtonInv{};
  QToolButton* SpeedButtonOffAllCheck = nullptr;
  QToolButton* SpeedButtonOffVisCheck = nullptr;
  QToolButton* SpeedButtonOnVisCheck = nullptr;
  QToolButton* SpeedButtonAllScrl0 = nullptr;
  QToolButton* SpeedButtonVis0 = nullptr;
  QToolButton* SpeedButtonVis127 = nullptr;
  QToolButton* SpeedButtonVis255 = nullptr;
  QToolButton* SpeedButtonOutLevel255 = nullptr;
  QToolButton* SpeedButtonOutLevel100 = nullptr;
  QToolButton* SpeedButtonLevel255 = nullptr;
  QToolButton* SpeedButtonOnScena = nullptr;
  QToolButton* SpeedButtonMacrosOut = nullptr;
  QToolButton* SpeedButtonBlackOut = nullptr;
  QTimer* TimerBlackOutBlink = nullptr;

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
  bool storingNames_ = false;  // Edit2Exit is storing: its own news reloads no box
};

}  // namespace kalvetro
