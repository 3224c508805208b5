// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace kalvetro {

// Runs a callback every period on a dedicated thread, scheduled by absolute deadlines on the
// steady clock, so that periods do not drift. A tick that wakes more than one period late
// resynchronises to the next deadline of the grid instead of firing a burst of catch-up ticks.
// The thread asks for real-time scheduling (SCHED_FIFO, low priority) and runs normally when
// that is refused.
class OutputTicker {
 public:
  using Clock = std::chrono::steady_clock;

  OutputTicker() = default;
  ~OutputTicker() { Stop(); }
  OutputTicker(const OutputTicker&) = delete;
  OutputTicker& operator=(const OutputTicker&) = delete;

  // Starts ticking; the first tick comes one period after the call. No effect when running.
  void Start(std::chrono::nanoseconds period, std::function<void()> tick);
  // Stops ticking and waits for the thread to end (at most one period).
  void Stop();
  bool Running() const { return thread_.joinable(); }
  // Whether the thread got real-time scheduling.
  bool RealTime() const { return realTime_.load(); }
  // Ticks skipped because the thread woke more than one period late.
  long SkippedTicks() const { return skipped_.load(); }
  // A deadline of the tick grid (every tick is due at it plus a whole number of periods), or
  // nothing while the ticker does not run. Any thread.
  std::optional<Clock::time_point> GridPoint() const;

  // The next deadline after a tick that was due at deadline and finished at now: the following
  // point of the grid that still lies ahead. Returns the number of grid points skipped.
  static Clock::time_point NextDeadline(Clock::time_point deadline, Clock::time_point now,
                                        std::chrono::nanoseconds period, long* skipped);

 private:
  void Run(std::stop_token stop, std::chrono::nanoseconds period);

  std::function<void()> tick_;
  std::jthread thread_;
  std::atomic<bool> realTime_{false};
  std::atomic<long> skipped_{0};
  std::atomic<Clock::rep> gridPoint_{0};  // 0: not running
};

}  // namespace kalvetro
