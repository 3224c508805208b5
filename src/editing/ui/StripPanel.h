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
class QToolButton;
class QVBoxLayout;

namespace kalvetro {

class ConsoleHost;
class FadeRatePage;
struct OutputFrames;

// The page "Фэйдера": the operator's mixing desk for the current scene. 27 strips show a
// window of channels StripOffset + 1 .. StripOffset + 27, each with its number, a level fader
// on the current scene, the level really sent, a fade rate fader, a name box and a selection
// box; a scroll bar moves the window, a column of buttons sets levels and selections and
// chooses how the sent levels are shown.
class StripPanel : public QWidget {
  Q_OBJECT

 public:
  StripPanel(ConsoleHost& host, OutputControls& controls, FadeRatePage& rates, QWidget* parent);

  int StripOffset() const { return stripOffset_; }
  // Adds a panel (the output mode buttons) at the foot of the button column.
  void AddToButtonColumn(QWidget* widget);

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

  // Refreshes.
  // Faders := levels of the current scene; in manual mode the selected strips keep theirs.
  void ReturnScrollBars();
  // Rate faders := positions of the channels' fade steps (a step between two table values
  // is rewritten as the table step of its position when its fader moves).
  void ReturnRate();
  // Name boxes := the channel names. The names are not handled yet: the boxes are left as
  // they are.
  void ReturnName();
  void NamberDmx();
  void CheckBoxFromMemory();
  void CheckBoxToMemory();
  // The output display: the levels sent under the strips, every 100 ms while the page is
  // shown; all 27 at once in fast mode, else three strips per call.
  void TimerDataDmxToDspTimer();

  QScrollBar* ScrolbarVertPos = nullptr;
  std::array<QLabel*, kStripCount> LabelNumber{};  // Label01c..Label27c
  std::array<QScrollBar*, kStripCount> ScrollBar{};
  std::array<QLabel*, kStripCount> Label{};  // Label1..Label27: level sent
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

 private:
  void BuildStrips(QGridLayout* grid);
  void BuildButtonColumn(QVBoxLayout* column);
  // Level buttons: nothing while playing; else status text, level, faders refreshed.
  void SetLevels(const QString& status, bool wholeScene, std::uint8_t level);
  void ShowOutputLevel(int k, bool percent);
  bool PageShown() const;

  ConsoleHost& host_;
  OutputControls& controls_;
  FadeRatePage& rates_;
  QVBoxLayout* buttonColumn_ = nullptr;
  int stripOffset_ = 0;
  int displayPhase_ = 1;
};

}  // namespace kalvetro
