// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers and refreshes of the channel strip panel.
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "editing/StripLevels.h"
#include "editing/ui/LevelLabel.h"
#include "editing/ui/StripPanel.h"
#include "output/RateScale.h"
#include "ui/Controls.h"
#include "ui/WindowParts.h"

namespace kalvetro {

void StripPanel::ScrollStrips() {
  stripOffset_ = stripWindowSlider->value();
  // For this page the refresh reloads faders, rates, names and selection boxes.
  console_.Edit(UndoCopy::Keep, [&](ShowState&) {
    console_.Controls().strips.offset.store(static_cast<std::uint8_t>(stripOffset_));
    return ShowEdit::Reshaped();
  });
  NumberStrips();
}

void StripPanel::NumberStrips() {
  for (int k = 1; k <= kStripCount; ++k) {
    channelNumberLabels[k - 1]->setText(QString::number(stripOffset_ + k));
    MarkRemoteTarget(faders[k - 1], QStringLiteral("channel %1").arg(stripOffset_ + k));
  }
}

void StripPanel::WriteFaderLevel(int k) {
  const int level = faders[k - 1]->value();
  // The manual override follows the fader whether or not the show plays.
  console_.Controls().strips.fader[k - 1].store(static_cast<std::uint8_t>(level));
  ShowState& show = console_.Show();
  if (show.playing.load()) return;
  const int offset = SceneRowOffset(show.CurrentStep()) + stripOffset_ + k;
  // A fader set by a refresh writes back what it loaded: no step of its own.
  if (show.memory.Get(offset) == level) return;
  show.memory.Set(offset, static_cast<std::uint8_t>(level));
  console_.RecordStep(kStepFader);
}

void StripPanel::RefreshFaders() {
  const ShowState& show = console_.Show();
  // The faders write back what they load into the current scene, so they load from it.
  const int row = SceneRowOffset(show.CurrentStep());
  const bool manual = console_.Controls().strips.manual.load();
  for (int k = 1; k <= kStripCount; ++k) {
    if (manual && selectBoxes[k - 1]->isChecked()) continue;  // a held strip keeps its fader
    faders[k - 1]->setValue(show.memory.Get(row + stripOffset_ + k));
  }
}

void StripPanel::WriteChannelRate(int k) {
  const std::uint8_t step = console_.ChooseRate(rateSliders[k - 1]->value());
  ShowMemory& memory = console_.Show().memory;
  if (memory.Get(kRateRow + stripOffset_ + k) == step) return;
  memory.Set(kRateRow + stripOffset_ + k, step);
  console_.RecordStep(kStepRate);
}

void StripPanel::RefreshRates() {
  const ShowMemory& memory = console_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    rateSliders[k - 1]->setValue(RatePosition(memory.Get(kRateRow + stripOffset_ + k)));
}

void StripPanel::ToggleChannelSelection(int k) {
  console_.SetSelected(stripOffset_ + k, selectBoxes[k - 1]->isChecked());
}

void StripPanel::LoadSelectionBoxes() {
  const ShowMemory& memory = console_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    selectBoxes[k - 1]->setChecked(memory.Get(kSelectFlags + stripOffset_ + k) == 1);
}

void StripPanel::StoreSelectionBoxes() {
  ShowMemory& memory = console_.Show().memory;
  for (int k = 1; k <= kStripCount; ++k)
    memory.Set(kSelectFlags + stripOffset_ + k, selectBoxes[k - 1]->isChecked() ? 1 : 0);
  console_.RecordStep(kStepSelection);
}

void StripPanel::ClearAllSelection() {
  console_.ShowStatus(QStringLiteral(" Все флажки Установлены "));
  console_.Show().memory.Fill(kSelectFlags, kRowSize, 0);
  LoadSelectionBoxes();
  console_.RecordStep(kStepSelection);
}

void StripPanel::ClearVisibleSelection() {
  SetVisibleFlags(console_.Show().memory, stripOffset_, 0);
  LoadSelectionBoxes();
  console_.RecordStep(kStepSelection);
}

void StripPanel::SelectVisibleChannels() {
  SetVisibleFlags(console_.Show().memory, stripOffset_, 1);
  LoadSelectionBoxes();
  console_.RecordStep(kStepSelection);
}

void StripPanel::InvertSelectionGroup(int firstStrip) {
  for (int k = firstStrip; k < firstStrip + 5 && k <= kStripCount; ++k)
    selectBoxes[k - 1]->setChecked(!selectBoxes[k - 1]->isChecked());
  StoreSelectionBoxes();
}

void StripPanel::SetLevels(const QString& status, bool wholeScene, std::uint8_t level) {
  ShowState& show = console_.Show();
  if (show.playing.load()) return;
  console_.ShowStatus(status);
  if (wholeScene) {
    ClearSceneRow(show, show.CurrentStep());
  } else {
    SetVisibleLevels(show, show.CurrentStep(), stripOffset_, level);
  }
  RefreshFaders();
}

void StripPanel::ClearSceneLevels() {
  SetLevels(QStringLiteral(" Вся сцена установлена в 0"), true, 0);
}
void StripPanel::SetVisibleLevelsTo0() {
  SetLevels(QStringLiteral(" Установлено в 0 "), false, 0);
}
void StripPanel::SetVisibleLevelsTo127() {
  SetLevels(QStringLiteral(" Установлено в 127"), false, 127);
}
void StripPanel::SetVisibleLevelsTo255() {
  SetLevels(QStringLiteral(" Установлено в 255"), false, 255);
}

void StripPanel::ShowOutputLevel(int k, bool percent) {
  const int level = DisplayLevel(console_.Frames().Output(stripOffset_ + k), percent);
  sentLevelLabels[k - 1]->SetNumber(level);
}

void StripPanel::ShowSentLevels() {
  if (!IsShownPage(this)) return;
  const bool percent = showPercentButton->isChecked();
  if (everyTickButton->isChecked()) {
    for (int k = 1; k <= kStripCount; ++k) ShowOutputLevel(k, percent);
    return;
  }
  displayPhase_ = NextDisplayPhase(displayPhase_);
  for (int k = 3 * displayPhase_ - 2; k <= 3 * displayPhase_; ++k) ShowOutputLevel(k, percent);
}

void StripPanel::StartBlackOut() {
  console_.Runner().SetBlackOut(true);
}
void StripPanel::EndBlackOut() {
  console_.Runner().SetBlackOut(false);
}
void StripPanel::StartMacroPicture() {
  console_.Runner().SetBlackOut(true);
}

void StripPanel::ShowBlackOut(bool dark) {
  if (dark) {
    blackOutBlinkTimer->start();
  } else {
    blackOutBlinkTimer->stop();
    blackOutButton->setVisible(true);
  }
  if (macroPictureButton->isChecked()) return;
  (dark ? blackOutButton : sceneOnButton)->setChecked(true);
}

void StripPanel::ApplyBlackOutBlink() {
  const bool visible = console_.Controls().blackout.buttonVisible.load(std::memory_order_relaxed);
  if (blackOutButton->isHidden() == visible) blackOutButton->setVisible(visible);
}

}  // namespace kalvetro
