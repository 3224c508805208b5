// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kalvetro {

// Time spent playing, or paused, since the last change between the two. Counts whole
// seconds and rolls over after 23:59:59.
struct ShowClock {
  std::uint32_t hours = 0;
  std::uint32_t minutes = 0;
  std::uint32_t seconds = 0;

  void Reset() { hours = minutes = seconds = 0; }
  // One second later.
  void Tick();
};

}  // namespace kalvetro
