// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/StripLevels.h"

#include "output/OutputControls.h"

namespace kalvetro {

int DisplayLevel(std::uint8_t level, bool percent) {
  return percent ? (level * 100 + 254) / 255 : level;
}

namespace {
// Strips never reach past channel 255, whatever offset they are given.
int ClampOffset(int offset) {
  return offset < 0 ? 0 : (offset > kMaxStripOffset ? kMaxStripOffset : offset);
}
}  // namespace

int NextDisplayPhase(int phase) {
  const int next = phase + 1;
  return next >= 10 ? 1 : next;
}

void SetVisibleLevels(ShowState& show, std::uint8_t scene, int offset, std::uint8_t level) {
  offset = ClampOffset(offset);
  const int row = SceneRowOffset(scene);
  for (int k = 1; k <= kStripCount; ++k) show.memory.Set(row + offset + k, level);
}

void ClearSceneRow(ShowState& show, std::uint8_t scene) {
  show.memory.Fill(SceneRowOffset(scene), kRowSize, 0);
}

void SetVisibleFlags(ShowMemory& memory, int offset, std::uint8_t flag) {
  offset = ClampOffset(offset);
  for (int k = 1; k <= kStripCount; ++k) memory.Set(kSelectFlags + offset + k, flag);
}

}  // namespace kalvetro
