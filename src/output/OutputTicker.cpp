// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/OutputTicker.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>

namespace kalvetro {

namespace {

void SleepUntil(OutputTicker::Clock::time_point deadline) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch());
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
  // steady_clock is CLOCK_MONOTONIC on Linux; sleep to the absolute deadline.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

bool AskForRealTime() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 9;
  return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace

void OutputTicker::Start(std::chrono::nanoseconds period, std::function<void()> tick) {
  if (Running()) return;
  tick_ = std::move(tick);
  skipped_.store(0);
  thread_ = std::jthread([this, period](std::stop_token stop) { Run(stop, period); });
}

void OutputTicker::Stop() {
  if (!Running()) return;
  thread_.request_stop();
  thread_.join();
  thread_ = std::jthread();
}

OutputTicker::Clock::time_point OutputTicker::NextDeadline(Clock::time_point deadline,
                                                           Clock::time_point now,
                                                           std::chrono::nanoseconds period,
                                                           long* skipped) {
  deadline += period;
  if (now >= deadline) {
    // More than one period late: jump to the next grid point ahead, no burst.
    const auto behind = now - deadline;
    const long missed = static_cast<long>(behind / period) + 1;
    deadline += period * missed;
    if (skipped) *skipped += missed;
  }
  return deadline;
}

void OutputTicker::Run(std::stop_token stop, std::chrono::nanoseconds period) {
  realTime_.store(AskForRealTime());
  auto deadline = Clock::now() + period;
  gridPoint_.store(deadline.time_since_epoch().count());
  while (!stop.stop_requested()) {
    SleepUntil(deadline);
    if (stop.stop_requested()) break;
    tick_();
    long missed = 0;
    deadline = NextDeadline(deadline, Clock::now(), period, &missed);
    if (missed) skipped_.fetch_add(missed);
  }
  gridPoint_.store(0);
}

std::optional<OutputTicker::Clock::time_point> OutputTicker::GridPoint() const {
  const Clock::rep point = gridPoint_.load();
  if (point == 0) return std::nullopt;
  return Clock::time_point(Clock::duration(point));
}

}  // namespace kalvetro
