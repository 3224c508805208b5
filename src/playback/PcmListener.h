// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <span>

namespace kalvetro {

// Takes the samples an audio input delivers, as mono floats with full scale 1.0, in blocks of
// any length. It is called on whichever thread reads the input (the capture thread, or the
// thread that polls the input), so an implementation hands the work on and returns at once.
class PcmListener {
 public:
  virtual ~PcmListener() = default;
  // `mono` holds the block's samples at `sampleRate`; `lastSampleTime` is the steady-clock
  // time at which the block's last sample was heard at the input (arrival minus the input's
  // latency, as well as it is known).
  virtual void TakePcm(std::span<const float> mono, int sampleRate,
                       std::chrono::steady_clock::time_point lastSampleTime) = 0;
};

}  // namespace kalvetro
