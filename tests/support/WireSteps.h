// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The scene steps of a show as they arrive on the wire: the far end of the port read while
// the Qt event loop runs, each packet decoded, and the time noted whenever channel 1 takes
// another level.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"

namespace kalvetro::testing {

class WireSteps {
 public:
  explicit WireSteps(Pty& pty) : pty_(pty) {}

  // Reads for `ms` milliseconds.
  void Watch(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      std::uint8_t buffer[4096];
      const ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
      if (n <= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      const double at = Ms(Clock::now());
      decoder_.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), 0,
                    [&](const DmxFrame& frame) {
                      ++frames_;
                      if (frame.levels[0] == last_) return;
                      last_ = frame.levels[0];
                      steps_.push_back(at);
                    });
    }
  }
  // Milliseconds since this watch began.
  double Now() const { return Ms(Clock::now()); }
  // The times of the steps seen from `since` on.
  std::vector<double> StepsSince(double since) const {
    std::vector<double> times;
    for (double t : steps_)
      if (t >= since) times.push_back(t);
    return times;
  }
  long Frames() const { return frames_; }
  long Malformed() const { return decoder_.Malformed(); }

 private:
  using Clock = std::chrono::steady_clock;
  double Ms(Clock::time_point t) const {
    return std::chrono::duration<double, std::milli>(t - start_).count();
  }

  Pty& pty_;
  DmxStreamDecoder decoder_;
  Clock::time_point start_ = Clock::now();
  int last_ = -1;
  long frames_ = 0;
  std::vector<double> steps_;
};

// Whether the steps come one per click: `clicks` of them (one may be missed at either end of
// the playing), each gap one click period apart within a quarter of it.
inline ::testing::AssertionResult SteppedOnClicks(const std::vector<double>& steps, int clicks,
                                                  int periodMs) {
  if (static_cast<int>(steps.size()) < clicks - 1 || static_cast<int>(steps.size()) > clicks + 1)
    return ::testing::AssertionFailure() << steps.size() << " steps for " << clicks << " clicks";
  for (std::size_t i = 1; i < steps.size(); ++i) {
    const double gap = steps[i] - steps[i - 1];
    if (gap < periodMs * 0.75 || gap > periodMs * 1.25)
      return ::testing::AssertionFailure()
             << "step " << i << " came " << gap << " ms after the last";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kalvetro::testing
