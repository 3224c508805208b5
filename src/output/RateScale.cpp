// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/RateScale.h"

#include <array>

namespace kalvetro {

namespace {
constexpr std::array<std::uint8_t, kRatePositions> kSteps{1, 2, 4, 8, 20, 50, 100, 255};
constexpr std::array<const char*, kRatePositions> kLabels{"15", "7",   "3",   "2",
                                                          "1",  "0,5", "0,2", "no"};
}  // namespace

std::uint8_t RateStep(int position) {
  return position >= 0 && position < kRatePositions - 1 ? kSteps[position] : 255;
}

const char* RateLabel(int position) {
  return position >= 0 && position < kRatePositions ? kLabels[position] : kLabels.back();
}

int RatePosition(std::uint8_t step) {
  for (int p = 0; p < kRatePositions - 1; ++p) {
    if (step <= kSteps[p]) return p;
  }
  return kRatePositions - 1;
}

void SetSelectedRates(ShowMemory& memory, std::uint8_t step) {
  for (int n = 1; n <= 255; ++n) {
    if (memory.Get(kSelectFlags + n) != 0) memory.Set(kRateRow + n, step);
  }
}

void SetSelectedLevels(ShowState& show, std::uint8_t scene, std::uint8_t level) {
  const int row = SceneRowOffset(scene);
  for (int n = 1; n <= 255; ++n) {
    if (show.memory.Get(kSelectFlags + n) != 0) show.memory.Set(row + n, level);
  }
}

}  // namespace kalvetro
