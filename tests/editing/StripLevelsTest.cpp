// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "editing/StripLevels.h"

namespace kalvetro {
namespace {

TEST(StripLevels, OutputDisplayInLevelsAndRoundedUpPercent) {
  const std::pair<int, int> percent[] = {{0, 0},    {1, 1},    {2, 1},     {3, 2},
                                         {127, 50}, {128, 51}, {254, 100}, {255, 100}};
  for (auto [level, shown] : percent) {
    EXPECT_EQ(DisplayLevel(static_cast<std::uint8_t>(level), true), shown) << level;
    EXPECT_EQ(DisplayLevel(static_cast<std::uint8_t>(level), false), level);
  }
  // Rounded up means: never below the true percentage, less than one above it.
  for (int level = 0; level < 256; ++level) {
    const int shown = DisplayLevel(static_cast<std::uint8_t>(level), true);
    EXPECT_GE(shown * 255, level * 100);
    EXPECT_LT((shown - 1) * 255, level * 100);
  }
}

TEST(StripLevels, SlowDisplayPhasesStartAtTwoAndCoverEveryStrip) {
  int phase = 1;
  std::vector<int> phases;
  for (int tick = 0; tick < 10; ++tick) phases.push_back(phase = NextDisplayPhase(phase));
  EXPECT_EQ(phases, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 1, 2}));
}

TEST(StripLevels, LevelsAndFlagsOfTheVisibleWindow) {
  ShowState show;
  ClearShowData(show);
  show.memory.Set(kCurrentStep, 2);
  show.memory.Fill(SceneRowOffset(2), 256, 9);

  SetVisibleLevels(show, 2, 228, 127);
  EXPECT_EQ(show.DataRead(2, 228), 9);
  EXPECT_EQ(show.DataRead(2, 229), 127);
  EXPECT_EQ(show.DataRead(2, 255), 127);
  EXPECT_EQ(show.DataRead(3, 0), 0);  // nothing past the row

  ClearSceneRow(show, 2);
  for (int n = 0; n <= 255; ++n) EXPECT_EQ(show.DataRead(2, n), 0) << n;  // byte 0 too

  SetVisibleFlags(show.memory, 10, 1);
  EXPECT_EQ(show.memory.Get(kSelectFlags + 10), 0);
  EXPECT_EQ(show.memory.Get(kSelectFlags + 11), 1);
  EXPECT_EQ(show.memory.Get(kSelectFlags + 37), 1);
  EXPECT_EQ(show.memory.Get(kSelectFlags + 38), 0);
  // An offset beyond the last window still stays inside the selection row.
  SetVisibleFlags(show.memory, 240, 1);
  EXPECT_EQ(show.memory.Get(kSelectFlags + 255), 1);
  EXPECT_EQ(show.memory.Get(kSelectFlags + 256), 0);
}

}  // namespace
}  // namespace kalvetro
