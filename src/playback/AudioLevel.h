// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

namespace kalvetro {

// The level 0..99 of the sound input, from the samples of the last 10 ms: the peak on a
// logarithmic scale, -40 dBFS and below giving 0 and full scale giving 99, in even steps of
// 40/99 dB between. Silence gives 0.

inline constexpr double kAudioFloorDb = -40.0;
inline constexpr int kAudioLevelMax = 99;

// Level of a peak given as a fraction of full scale (1.0 is full scale; above counts as 1.0).
int AudioLevelFromPeak(double peak);

// Level of signed 16-bit samples; full scale is 32768.
int AudioLevel(std::span<const std::int16_t> samples);
// Level of float samples; full scale is 1.0. Samples that are not finite numbers are ignored.
int AudioLevel(std::span<const float> samples);

}  // namespace kalvetro
