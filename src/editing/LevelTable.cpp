// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/LevelTable.h"

namespace kalvetro {

namespace {
int ClampScene(int scene) {
  return scene < 0 ? 0 : (scene > kSceneCount - 1 ? kSceneCount - 1 : scene);
}
}  // namespace

std::string LevelTableLabelText(std::uint8_t level) {
  return std::to_string(level);
}

std::string LevelTableLabelHint(int channel) {
  return "Уровень канала N " + std::to_string(channel);
}

LevelTableCell LevelTableCellOf(int channel) {
  return {(channel - 1) / kLevelTableColumns, (channel - 1) % kLevelTableColumns};
}

int LevelTableShownScene(const ShowState& show, bool editChecked, int scenePosition) {
  return editChecked ? ClampScene(scenePosition) : show.CurrentStep();
}

std::string LevelTableSceneText(int scene) {
  return " Сцена = " + std::to_string(scene + 1);
}

std::string LevelTableLevelText(std::uint8_t level) {
  return " Уровень = " + std::to_string(level);
}

std::string LevelTableChannelText(int channel) {
  return " Канал = " + std::to_string(channel);
}

std::uint8_t LevelTableLevel(const ShowState& show, int scene, int channel) {
  if (channel < 1 || channel > kRowSize - 1) return 0;
  return show.DataRead(static_cast<std::uint8_t>(ClampScene(scene)),
                       static_cast<std::uint8_t>(channel));
}

bool WriteLevelTableLevel(ShowState& show, bool editChecked, int scene, int channel, int level) {
  if (!editChecked) return false;
  if (scene < 0 || scene > kSceneCount - 1 || channel < 1 || channel > kRowSize - 1) return false;
  show.DataWrite(static_cast<std::uint8_t>(scene), static_cast<std::uint8_t>(channel), level);
  return true;
}

int LevelTableLabelDiff::Update(const ShowMemory& memory, int scene,
                                std::span<std::uint8_t, kLevelTableLabelCount> changed) {
  const int row = SceneRowOffset(ClampScene(scene));
  int count = 0;
  for (int b = 0; b < kBlocks; ++b) {
    const std::uint64_t now = memory.GetBlock(row + 8 * b);
    const std::uint64_t before = shown_[b];
    if (known_ && now == before) continue;
    for (int k = 0; k < 8; ++k) {
      const int channel = 8 * b + k;
      if (channel == 0) continue;  // byte 0 of a row is no channel
      const auto level = static_cast<std::uint8_t>(now >> (8 * k));
      if (!known_ || level != static_cast<std::uint8_t>(before >> (8 * k)))
        changed[count++] = static_cast<std::uint8_t>(channel);
    }
    shown_[b] = now;
  }
  known_ = true;
  return count;
}

std::uint8_t LevelTableLabelDiff::Shown(int channel) const {
  if (channel < 0 || channel > kRowSize - 1) return 0;
  return static_cast<std::uint8_t>(shown_[channel / 8] >> (8 * (channel % 8)));
}

}  // namespace kalvetro
