// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "playback/ShowClock.h"

namespace kalvetro {
namespace {

void Advance(ShowClock& clock, int seconds) {
  for (int i = 0; i < seconds; ++i) clock.Tick();
}

TEST(ShowClock, CountsSecondsMinutesAndHoursAndRollsOverAfterADay) {
  ShowClock clock;
  Advance(clock, 59);
  EXPECT_EQ(clock.minutes, 0u);
  EXPECT_EQ(clock.seconds, 59u);
  clock.Tick();
  EXPECT_EQ(clock.minutes, 1u);
  EXPECT_EQ(clock.seconds, 0u);
  Advance(clock, 65);
  EXPECT_EQ(clock.minutes, 2u);
  EXPECT_EQ(clock.seconds, 5u);

  clock.Reset();
  Advance(clock, 3600 - 1);
  EXPECT_EQ(clock.hours, 0u);
  EXPECT_EQ(clock.minutes, 59u);
  clock.Tick();
  EXPECT_EQ(clock.hours, 1u);
  EXPECT_EQ(clock.minutes, 0u);
  EXPECT_EQ(clock.seconds, 0u);

  clock.Reset();
  Advance(clock, 24 * 3600 - 1);
  EXPECT_EQ(clock.hours, 23u);
  EXPECT_EQ(clock.minutes, 59u);
  EXPECT_EQ(clock.seconds, 59u);
  clock.Tick();
  EXPECT_EQ(clock.hours, 0u);
  EXPECT_EQ(clock.minutes, 0u);
  EXPECT_EQ(clock.seconds, 0u);
}

}  // namespace
}  // namespace kalvetro
