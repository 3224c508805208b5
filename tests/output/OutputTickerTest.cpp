// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "output/OutputTicker.h"

namespace kalvetro {
namespace {

using namespace std::chrono;
using Clock = OutputTicker::Clock;

TEST(OutputTicker, DeadlinesFollowTheGridAndLateTicksResynchroniseWithoutABurst) {
  const auto period = milliseconds(50);
  const Clock::time_point t0{};
  long skipped = 0;
  // On time (the tick took 3 ms): the next deadline is one period after the last one, not
  // one period after the tick ended, so nothing drifts.
  EXPECT_EQ(OutputTicker::NextDeadline(t0, t0 + milliseconds(3), period, &skipped), t0 + period);
  EXPECT_EQ(skipped, 0);
  // Woke 70 ms late: the deadlines at +50 and +100 are not fired as a burst; the next tick
  // comes at +100 only if it still lies ahead, otherwise at the next grid point.
  EXPECT_EQ(OutputTicker::NextDeadline(t0, t0 + milliseconds(70), period, &skipped),
            t0 + milliseconds(100));
  EXPECT_EQ(skipped, 1);
  skipped = 0;
  EXPECT_EQ(OutputTicker::NextDeadline(t0, t0 + milliseconds(100), period, &skipped),
            t0 + milliseconds(150));
  EXPECT_EQ(skipped, 2);
}

TEST(OutputTicker, RunsOnItsOwnThreadAndStopsCleanly) {
  OutputTicker ticker;
  std::atomic<int> ticks{0};
  std::atomic<bool> otherThread{false};
  const auto caller = std::this_thread::get_id();
  ticker.Start(milliseconds(5), [&] {
    otherThread = std::this_thread::get_id() != caller;
    ++ticks;
  });
  EXPECT_TRUE(ticker.Running());
  for (int i = 0; i < 200 && ticks.load() < 3; ++i) std::this_thread::sleep_for(milliseconds(5));
  ticker.Stop();
  EXPECT_FALSE(ticker.Running());
  EXPECT_GE(ticks.load(), 3);
  EXPECT_TRUE(otherThread.load());
  const int after = ticks.load();
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(ticks.load(), after);  // no tick after Stop
  ticker.Stop();                   // stopping twice is harmless
  // A stopped ticker starts again.
  ticker.Start(milliseconds(5), [&] { ++ticks; });
  for (int i = 0; i < 200 && ticks.load() == after; ++i)
    std::this_thread::sleep_for(milliseconds(5));
  ticker.Stop();
  EXPECT_GT(ticks.load(), after);
}

}  // namespace
}  // namespace kalvetro
