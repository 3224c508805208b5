// The handlers and refreshes of the channel strip panel.
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "app/Console.h"
#include "editing/StripLevels.h"
#include "editing/ui/LevelLabel.h"
#include "editing/ui/StripPanel.h"
#include "output/RateScale.h"
#include "windows/WindowParts.h"

namespace kalvetro {

void StripPanel::ScrolbarVertPosChange() {
  stripOffset_ = ScrolbarVertPos->value();
  console_.Controls().strips.offset.store(static_cast<std::uint8_t>(stripOffset_));
  // For this page the refresh reloads faders, rates, names and selection boxes.
  console_.ReturnPageControlAll();
  NamberDmx();
}

void StripPanel::NamberDmx() {
  for (int k = 1; k <= kStripCount; ++k)
    LabelNumber[k - 1]->setText(QString::number(stripOffset_ + k));
}

void StripPanel::ScrollBarChange(int k) {
  const int level = ScrollBar[k - 1]->value();
  // The manual override follows the fader whether or not the show plays.
  console_.Controls().strips.fader[k - 1].store(static_cast<std::uint8_t>(level));
  ShowState& show = console_.Show();
  if (show.playing.load()) return;
  show.memory.Set(RaschetAdr(show.CurrentStep()) + stripOffset_ + k,
                  static_cast<std::uint8_t>(level));
}

void StripPanel::ReturnScrollBars() {
  const ShowState& show = console_.Show();
  // The faders write back what they load into the current scene, so they load from it.
  const int row = RaschetAdr(show.CurrentStep());
  const bool manual = console_.Controls().strips.manual.load();
  for (int k = 1; k <= kStripCount; ++k) {
    if (manual && CheckBox[k - 1]->isChecked()) continue;  // a held strip keeps its fader
    ScrollBar[k - 1]->setValue(show.memory.Get(row + stripOffset_ + k));
  }
}

void StripPanel::ScrollBarRateChange(int k) {
  const std::uint8_t step = console_.TabRate(ScrollBarRate[k - 1]->value());
  console_.Show().memory.Set(kRateRow + stripOffset_ + k, step);
}

void StripPanel::ReturnRate() {
  const ShowMemory& memory = console_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    ScrollBarRate[k - 1]->setValue(RatePosition(memory.Get(kRateRow + stripOffset_ + k)));
}

void StripPanel::CheckBoxClick(int k) {
  console_.SetSelected(stripOffset_ + k, CheckBox[k - 1]->isChecked());
}

void StripPanel::CheckBoxFromMemory() {
  const ShowMemory& memory = console_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    CheckBox[k - 1]->setChecked(memory.Get(kSelectFlags + stripOffset_ + k) == 1);
}

void StripPanel::CheckBoxToMemory() {
  ShowMemory& memory = console_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    memory.Set(kSelectFlags + stripOffset_ + k, CheckBox[k - 1]->isChecked() ? 1 : 0);
}

void StripPanel::SpeedButtonOffAllCheckClick() {
  console_.OutStatus(QStringLiteral(" Все флажки Установлены "));
  console_.Show().memory.Fill(kSelectFlags, kRowSize, 0);
  CheckBoxFromMemory();
}

void StripPanel::ButtonResetFlagVyborClick() {
  SetVisibleFlags(console_.Show().memory, stripOffset_, 0);
  CheckBoxFromMemory();
}

void StripPanel::SpeedButtonOnVisCheckClick() {
  SetVisibleFlags(console_.Show().memory, stripOffset_, 1);
  CheckBoxFromMemory();
}

void StripPanel::SpeedButtonInvClick(int firstStrip) {
  for (int k = firstStrip; k < firstStrip + 5 && k <= kStripCount; ++k)
    CheckBox[k - 1]->setChecked(!CheckBox[k - 1]->isChecked());
  CheckBoxToMemory();
}

void StripPanel::SetLevels(const QString& status, bool wholeScene, std::uint8_t level) {
  ShowState& show = console_.Show();
  if (show.playing.load()) return;
  console_.OutStatus(status);
  if (wholeScene) {
    ClearSceneRow(show, show.CurrentStep());
  } else {
    SetVisibleLevels(show, show.CurrentStep(), stripOffset_, level);
  }
  ReturnScrollBars();
}

void StripPanel::SpeedButtonAllScrl0Click() {
  SetLevels(QStringLiteral(" Вся сцена установлена в 0"), true, 0);
}
void StripPanel::SpeedButtonVis0Click() {
  SetLevels(QStringLiteral(" Установлено в 0 "), false, 0);
}
void StripPanel::SpeedButtonVis127Click() {
  SetLevels(QStringLiteral(" Установлено в 127"), false, 127);
}
void StripPanel::SpeedButtonVis255Click() {
  SetLevels(QStringLiteral(" Установлено в 255"), false, 255);
}

void StripPanel::ShowOutputLevel(int k, bool percent) {
  const int level = DisplayLevel(console_.Frames().Output(stripOffset_ + k), percent);
  Label[k - 1]->SetNumber(level);
}

void StripPanel::TimerDataDmxToDspTimer() {
  if (!IsShownPage(this)) return;
  const bool percent = SpeedButtonOutLevel100->isChecked();
  if (SpeedButtonLevel255->isChecked()) {
    for (int k = 1; k <= kStripCount; ++k) ShowOutputLevel(k, percent);
    return;
  }
  displayPhase_ = NextDisplayPhase(displayPhase_);
  for (int k = 3 * displayPhase_ - 2; k <= 3 * displayPhase_; ++k) ShowOutputLevel(k, percent);
}

void StripPanel::SpeedButtonBlackOutClick() {
  console_.SetBlackOut(true);
}
void StripPanel::SpeedButtonOnScenaClick() {
  console_.SetBlackOut(false);
}
void StripPanel::SpeedButtonMacrosOutClick() {
  console_.SetBlackOut(true);
}

void StripPanel::ShowBlackOut(bool dark) {
  if (dark) {
    TimerBlackOutBlink->start();
  } else {
    TimerBlackOutBlink->stop();
    SpeedButtonBlackOut->setVisible(true);
  }
  if (SpeedButtonMacrosOut->isChecked()) return;
  (dark ? SpeedButtonBlackOut : SpeedButtonOnScena)->setChecked(true);
}

void StripPanel::ApplyBlackOutBlink() {
  const bool visible =
      console_.Controls().blackout.buttonVisible.load(std::memory_order_relaxed);
  if (SpeedButtonBlackOut->isHidden() == visible) SpeedButtonBlackOut->setVisible(visible);
}

}  // namespace kalvetro
