// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/WindowColour.h"

namespace kalvetro {

WindowColour ReadWindowColour(const ShowMemory& memory) {
  WindowColour colour;
  colour.on = memory.Get(kColourOn);
  colour.red = memory.Get(kColourRed);
  colour.green = memory.Get(kColourGreen);
  colour.blue = memory.Get(kColourBlue);
  return colour;
}

void ShiftWindowColour(ShowMemory& memory) {
  memory.Set(kColourRed, static_cast<std::uint8_t>(memory.Get(kColourRed) + 103));
  memory.Set(kColourGreen, static_cast<std::uint8_t>(memory.Get(kColourGreen) + 43));
  memory.Set(kColourBlue, static_cast<std::uint8_t>(memory.Get(kColourBlue) + 223));
}

bool DarkColour(int red, int green, int blue) {
  // Rec. 601 weights, scaled by 1000.
  return 299 * red + 587 * green + 114 * blue < 128 * 1000;
}

}  // namespace kalvetro
