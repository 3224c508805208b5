// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/AudioLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kalvetro {

int AudioLevelFromPeak(double peak) {
  if (!(peak > 0.0)) return 0;  // silence, and anything that is not a number
  const double db = 20.0 * std::log10(std::min(peak, 1.0));
  const double level = (db - kAudioFloorDb) / -kAudioFloorDb * kAudioLevelMax;
  return std::clamp(static_cast<int>(std::lround(level)), 0, kAudioLevelMax);
}

int AudioLevel(std::span<const std::int16_t> samples) {
  int peak = 0;
  for (const std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return AudioLevelFromPeak(peak / 32768.0);
}

int AudioLevel(std::span<const float> samples) {
  float peak = 0.0F;
  for (const float s : samples) {
    if (std::isfinite(s)) peak = std::max(peak, std::fabs(s));
  }
  return AudioLevelFromPeak(peak);
}

}  // namespace kalvetro
