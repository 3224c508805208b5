// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "show/ShowState.h"

namespace kalvetro {

// The eight positions of a rate slider. Position p moves a channel by RateStep(p) levels per
// 50 ms tick; its label gives the time of a full swing in seconds.
inline constexpr int kRatePositions = 8;

// Fade step of a slider position: 1, 2, 4, 8, 20, 50, 100, 255; any position outside 0..6
// gives 255 (jump).
std::uint8_t RateStep(int position);
// Label of a slider position: "15", "7", "3", "2", "1", "0,5", "0,2", "no" (UTF-8).
const char* RateLabel(int position);
// The slider position that shows a fade step: the position of the smallest table step that is
// not below it (0 and 1 give 0, 3 gives 2, 101..255 give 7).
int RatePosition(std::uint8_t step);

// Group rate: every channel 1..255 whose selection byte is not 0 gets the step.
void SetSelectedRates(ShowMemory& memory, std::uint8_t step);
// Level of the selected channels: every channel 1..255 whose selection byte is not 0 gets
// the level in the scene.
void SetSelectedLevels(ShowState& show, std::uint8_t scene, std::uint8_t level);

}  // namespace kalvetro
