// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/ShowClock.h"

namespace kalvetro {

void ShowClock::Tick() {
  if (++seconds < 60) return;
  seconds = 0;
  if (++minutes < 60) return;
  minutes = 0;
  if (++hours < 24) return;
  hours = 0;
}

}  // namespace kalvetro
