// The handlers and refreshes of the channel strip panel.
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>

#include "editing/StripLevels.h"
#include "editing/ui/StripPanel.h"
#include "output/OutputFrames.h"
#include "output/RateScale.h"
#include "output/ui/FadeRatePage.h"
#include "show/ShowState.h"
#include "windows/ConsoleHost.h"

namespace kalvetro {

void StripPanel::ScrolbarVertPosChange() {
  stripOffset_ = ScrolbarVertPos->value();
  controls_.stripOffset.store(static_cast<std::uint8_t>(stripOffset_));
  // For this page the refresh reloads faders, rates, names and selection boxes.
  host_.ReturnPageControlAll();
  NamberDmx();
}

void StripPanel::NamberDmx() {
  for (int k = 1; k <= kStripCount; ++k)
    LabelNumber[k - 1]->setText(QString::number(stripOffset_ + k));
}

void StripPanel::ScrollBarChange(int k) {
  const int level = ScrollBar[k - 1]->value();
  // The manual override follows the fader whether or not the show plays.
  controls_.stripFader[k - 1].store(static_cast<std::uint8_t>(level));
  ShowState& show = host_.Show();
  if (show.playing.load()) return;
  show.RaschetAdr(show.CurrentStep());
  show.memory.Set(show.currentRow.load() + stripOffset_ + k, static_cast<std::uint8_t>(level));
}

void StripPanel::ReturnScrollBars() {
  ShowState& show = host_.Show();
  // The faders write back what they load into the current scene, so they must load from it:
  // the row pointer is brought up to date with the current step first.
  show.RaschetAdr(show.CurrentStep());
  const int row = show.currentRow.load();
  const bool manual = controls_.manual.load();
  for (int k = 1; k <= kStripCount; ++k) {
    if (manual && CheckBox[k - 1]->isChecked()) continue;  // a held strip keeps its fader
    ScrollBar[k - 1]->setValue(show.memory.Get(row + stripOffset_ + k));
  }
}

void StripPanel::ScrollBarRateChange(int k) {
  const std::uint8_t step = rates_.TabRate(ScrollBarRate[k - 1]->value());
  host_.Show().memory.Set(kRateRow + stripOffset_ + k, step);
}

void StripPanel::ReturnRate() {
  const ShowMemory& memory = host_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    ScrollBarRate[k - 1]->setValue(RatePosition(memory.Get(kRateRow + stripOffset_ + k)));
}

void StripPanel::ReturnName() {}

void StripPanel::CheckBoxClick(int k) {
  const bool checked = CheckBox[k - 1]->isChecked();
  controls_.stripTicked[k - 1].store(checked);
  host_.Show().memory.Set(kSelectFlags + stripOffset_ + k, checked ? 1 : 0);
}

void StripPanel::CheckBoxFromMemory() {
  const ShowMemory& memory = host_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    CheckBox[k - 1]->setChecked(memory.Get(kSelectFlags + stripOffset_ + k) == 1);
}

void StripPanel::CheckBoxToMemory() {
  ShowMemory& memory = host_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    memory.Set(kSelectFlags + stripOffset_ + k, CheckBox[k - 1]->isChecked() ? 1 : 0);
}

void StripPanel::SpeedButtonOffAllCheckClick() {
  host_.OutStatus(QStringLiteral(" Все флажки Установлены "));
  host_.Show().memory.Fill(kSelectFlags, kRowSize, 0);
  CheckBoxFromMemory();
}

void StripPanel::ButtonResetFlagVyborClick() {
  SetVisibleFlags(host_.Show().memory, stripOffset_, 0);
  CheckBoxFromMemory();
}

void StripPanel::SpeedButtonOnVisCheckClick() {
  SetVisibleFlags(host_.Show().memory, stripOffset_, 1);
  CheckBoxFromMemory();
}

void StripPanel::SpeedButtonInvClick(int firstStrip) {
  for (int k = firstStrip; k < firstStrip + 5 && k <= kStripCount; ++k)
    CheckBox[k - 1]->setChecked(!CheckBox[k - 1]->isChecked());
  CheckBoxToMemory();
}

void StripPanel::SetLevels(const QString& status, bool wholeScene, std::uint8_t level) {
  ShowState& show = host_.Show();
  if (show.playing.load()) return;
  host_.OutStatus(status);
  if (wholeScene) {
    ClearCurrentRow(show);
  } else {
    SetVisibleLevels(show, stripOffset_, level);
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
  const int level = DisplayLevel(host_.Frames().Output(stripOffset_ + k), percent);
  Label[k - 1]->setText(QString::number(level));
}

void StripPanel::TimerDataDmxToDspTimer() {
  if (!PageShown()) return;
  const bool percent = SpeedButtonOutLevel100->isChecked();
  if (SpeedButtonLevel255->isChecked()) {
    for (int k = 1; k <= kStripCount; ++k) ShowOutputLevel(k, percent);
    return;
  }
  displayPhase_ = NextDisplayPhase(displayPhase_);
  for (int k = 3 * displayPhase_ - 2; k <= 3 * displayPhase_; ++k) ShowOutputLevel(k, percent);
}

}  // namespace kalvetro
