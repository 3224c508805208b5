// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/WindowColour.h"

#include <gtest/gtest.h>

namespace kalvetro {
namespace {

TEST(WindowColour, AutomaticChangeWrapsEachComponent) {
  ShowMemory memory;
  memory.Set(kColourOn, 1);
  memory.Set(kColourRed, 190);
  memory.Set(kColourGreen, 197);
  memory.Set(kColourBlue, 190);
  ShiftWindowColour(memory);
  // 190 + 103 - 256, 197 + 43 - 256, 190 + 223 - 256.
  EXPECT_EQ(memory.Get(kColourRed), 37);
  EXPECT_EQ(memory.Get(kColourGreen), 240);
  EXPECT_EQ(memory.Get(kColourBlue), 157);
  ShiftWindowColour(memory);
  EXPECT_EQ(memory.Get(kColourRed), 140);
  EXPECT_EQ(memory.Get(kColourGreen), 27);
  EXPECT_EQ(memory.Get(kColourBlue), 124);
  // The on byte and the neighbours are left alone.
  EXPECT_EQ(memory.Get(kColourOn), 1);
  EXPECT_EQ(memory.Get(kColourBlue + 1), 0);
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
