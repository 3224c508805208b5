// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "show/ShowMemory.h"

namespace kalvetro {

// The colour of the main window that every show carries (header bytes 138..141).
struct WindowColour {
  std::uint8_t on = 1;  // 1: the window takes the mix; 0: the desktop's face colour
  std::uint8_t red = 190;
  std::uint8_t green = 197;
  std::uint8_t blue = 190;

  bool operator==(const WindowColour&) const = default;
};

WindowColour ReadWindowColour(const ShowMemory& memory);

// The automatic change after saving under a new name: red + 103, green + 43, blue + 223,
// each modulo 256.
void ShiftWindowColour(ShowMemory& memory);

// Whether text on this background reads better in white than in black (perceived
// brightness below the middle).
bool DarkColour(int red, int green, int blue);

}  // namespace kalvetro
