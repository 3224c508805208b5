// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "output/RateScale.h"

namespace kalvetro {
namespace {

TEST(RateScale, PositionsStepsLabelsAndTheReverseMapping) {
  const int steps[] = {1, 2, 4, 8, 20, 50, 100, 255};
  const std::string labels[] = {"15", "7", "3", "2", "1", "0,5", "0,2", "no"};
  for (int p = 0; p < kRatePositions; ++p) {
    EXPECT_EQ(RateStep(p), steps[p]);
    EXPECT_EQ(RateLabel(p), labels[p]);
    EXPECT_EQ(RatePosition(RateStep(p)), p);  // every table step shows its own position
  }
  EXPECT_EQ(RateStep(8), 255);
  EXPECT_EQ(RateStep(-1), 255);
  // Bounds of the reverse mapping.
  const std::pair<int, int> bounds[] = {{0, 0},   {1, 0},   {2, 1},   {3, 2},  {4, 2},  {5, 3},
                                        {8, 3},   {9, 4},   {20, 4},  {21, 5}, {50, 5}, {51, 6},
                                        {100, 6}, {101, 7}, {254, 7}, {255, 7}};
  for (auto [step, position] : bounds) EXPECT_EQ(RatePosition(step), position) << step;
}

TEST(RateScale, GroupRateAndLevelActOnSelectedChannelsOnly) {
  ShowState show;
  ClearShowData(show);
  show.memory.Set(kCurrentStep, 3);
  show.memory.Set(kSelectFlags + 2, 1);
  show.memory.Set(kSelectFlags + 5, 2);  // any non-zero byte counts here
  show.memory.Set(kSelectFlags + 0, 1);  // channel 0 is no channel

  SetSelectedRates(show.memory, 8);
  SetSelectedLevels(show, 3, 200);
  for (int n = 0; n <= 255; ++n) {
    const bool selected = n == 2 || n == 5;
    EXPECT_EQ(show.memory.Get(kRateRow + n), selected ? 8 : 255) << n;
    EXPECT_EQ(show.DataRead(3, n), selected ? 200 : 0) << n;
    EXPECT_EQ(show.DataRead(0, n), 0) << n;
  }

  // Nothing selected: nothing changes.
  show.memory.Fill(kSelectFlags, 256, 0);
  SetSelectedLevels(show, 3, 17);
  EXPECT_EQ(show.DataRead(3, 2), 200);
  EXPECT_EQ(show.DataRead(3, 1), 0);
}

}  // namespace
}  // namespace kalvetro
