// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/WindowColour.h"

#include <gtest/gtest.h>

namespace kalvetro {
namespace {

TEST(WindowColour, AutomaticChangeWrapsEachComponent) {
  ShowMemory memory;
  memory.Set(kColorOn, 1);
  memory.Set(kColorRed, 190);
  memory.Set(kColorGreen, 197);
  memory.Set(kColorBlue, 190);
  ShiftWindowColour(memory);
  // 190 + 103 - 256, 197 + 43 - 256, 190 + 223 - 256.
  EXPECT_EQ(memory.Get(kColorRed), 37);
  EXPECT_EQ(memory.Get(kColorGreen), 240);
  EXPECT_EQ(memory.Get(kColorBlue), 157);
  ShiftWindowColour(memory);
  EXPECT_EQ(memory.Get(kColorRed), 140);
  EXPECT_EQ(memory.Get(kColorGreen), 27);
  EXPECT_EQ(memory.Get(kColorBlue), 124);
  // The on byte and the neighbours are left alone.
  EXPECT_EQ(memory.Get(kColorOn), 1);
  EXPECT_EQ(memory.Get(kColorBlue + 1), 0);
  const WindowColour read = ReadWindowColour(memory);
  EXPECT_EQ(read.on, 1);
  EXPECT_EQ(read.red, 140);
  EXPECT_EQ(read.green, 27);
  EXPECT_EQ(read.blue, 124);
}

TEST(WindowColour, DarkMixesGetLightText) {
  EXPECT_TRUE(DarkColour(0, 0, 0));
  EXPECT_TRUE(DarkColour(0, 0, 255));  // pure blue is dark
  EXPECT_FALSE(DarkColour(37, 240, 157));
  EXPECT_FALSE(DarkColour(190, 197, 190));
  EXPECT_FALSE(DarkColour(255, 255, 0));  // yellow is light
  EXPECT_TRUE(DarkColour(140, 27, 124));
}

}  // namespace
}  // namespace kalvetro
