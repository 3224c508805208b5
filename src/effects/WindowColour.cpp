// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/WindowColour.h"

namespace kalvetro {

WindowColour ReadWindowColour(const ShowMemory& memory) {
  WindowColour colour;
  colour.on = memory.Get(kColorOn);
  colour.red = memory.Get(kColorRed);
  colour.green = memory.Get(kColorGreen);
  colour.blue = memory.Get(kColorBlue);
  return colour;
}

void ShiftWindowColour(ShowMemory& memory) {
  memory.Set(kColorRed, static_cast<std::uint8_t>(memory.Get(kColorRed) + 103));
  memory.Set(kColorGreen, static_cast<std::uint8_t>(memory.Get(kColorGreen) + 43));
  memory.Set(kColorBlue, static_cast<std::uint8_t>(memory.Get(kColorBlue) + 223));
}

bool DarkColour(int red, int green, int blue) {
  // Rec. 601 weights, scaled by 1000.
  return 299 * red + 587 * green + 114 * blue < 128 * 1000;
}

}  // namespace kalvetro
