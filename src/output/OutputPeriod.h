// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace kalvetro {

// The period of the output tick: one packet every 50 ms. Everything counted in output ticks
// (the length of a crossfade, the link's time for a packet) follows from this one value.
inline constexpr std::chrono::milliseconds kOutputPeriod{50};
inline constexpr int kOutputPeriodMs = static_cast<int>(kOutputPeriod.count());

}  // namespace kalvetro
