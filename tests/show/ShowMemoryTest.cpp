// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "show/ShowState.h"

namespace kalvetro {
namespace {

TEST(ShowMemory, DataWriteClampsAndAddressesTheSceneRow) {
  ShowState show;
  show.DataWrite(3, 7, 300);
  show.DataWrite(3, 8, -5);
  show.DataWrite(3, 9, 128);
  EXPECT_EQ(show.memory.Get(16384 + 256 * 3 + 7), 255);
  EXPECT_EQ(show.memory.Get(16384 + 256 * 3 + 8), 0);
  EXPECT_EQ(show.DataRead(3, 9), 128);
  EXPECT_EQ(show.memory.Get(16384 + 256 * 3 + 10), 0);
}

TEST(ShowMemory, SceneRowOffsetOfLastSceneReachesTheLastSavedByte) {
  ShowState show;
  EXPECT_EQ(SceneRowOffset(255), 81664);
  show.DataWrite(255, 255, 77);
  EXPECT_EQ(show.memory.Get(SceneRowOffset(255) + 255), 77);
  EXPECT_EQ(SceneRowOffset(255) + 255, kShowFileSize - 1);
}

TEST(ShowMemory, DataWriteXYStaysInsideTheRow) {
  ShowState show;
  show.xyFirstChannel = 253;
  show.DataWriteXY(4, 400, -1);
  EXPECT_EQ(show.DataRead(4, 254), 255);
  EXPECT_EQ(show.DataRead(4, 255), 0);
  show.DataWriteXY(4, 10, 20);
  EXPECT_EQ(show.DataRead(4, 254), 10);
  EXPECT_EQ(show.DataRead(4, 255), 20);
  EXPECT_EQ(show.DataRead(5, 0), 0);  // the next row is untouched
  show.xyFirstChannel = 0;
  show.DataWriteXY(0, 1, 2);
  EXPECT_EQ(show.DataRead(0, 1), 1);
  EXPECT_EQ(show.DataRead(0, 2), 2);
}

TEST(ShowMemory, ClearShowDataEmptiesTheShowButKeepsNamesAndAutomats) {
  ShowState show;
  show.memory.Fill(0, kShowMemorySize, 0xAB);
  show.undoMemory.Set(100, 9);
  show.pasteBuffer.fill(5);
  show.playing = true;
  show.showNamed = true;
  ClearShowData(show);

  for (int n = 0; n < 256; ++n) EXPECT_EQ(show.memory.Get(kRateRow + n), 255) << n;
  for (int i = kStaticPictures; i < kShowMemorySize; ++i)
    ASSERT_EQ(show.memory.Get(i), 0) << "byte " << i;
  EXPECT_EQ(show.memory.Get(kChannelNames + 16), 0xAB);  // names survive
  EXPECT_EQ(show.memory.Get(kRateStep), 0xAB);
  for (int i = kAutomat1; i < kAutomat2 + 5; ++i) EXPECT_EQ(show.memory.Get(i), 0xAB);
  EXPECT_EQ(show.memory.Get(kCurrentStep), 0);
  EXPECT_EQ(show.memory.Get(kLastScene), 1);
  EXPECT_EQ(show.memory.Get(kTempo), 44);
  EXPECT_EQ(show.memory.Get(kColourOn), 1);
  EXPECT_EQ(show.memory.Get(kColourRed), 190);
  EXPECT_EQ(show.memory.Get(kColourGreen), 197);
  EXPECT_EQ(show.memory.Get(kColourBlue), 190);
  EXPECT_EQ(show.memory.Get(130), 0xAB);  // unnamed header bytes keep their value
  char text[129] = {};
  for (int i = 0; i < 128; ++i) text[i] = static_cast<char>(show.memory.Get(i));
  EXPECT_STREQ(text, "it is DMX512 File KALVETRO USB Ver 3.1");
  for (int i = 38; i < 128; ++i) EXPECT_EQ(show.memory.Get(i), 0);
  for (auto b : show.pasteBuffer) EXPECT_EQ(b, 0);
  EXPECT_FALSE(show.playing);
  EXPECT_FALSE(show.showNamed);
  EXPECT_EQ(show.undoMemory.Get(100), 9);  // the undo copy survives
}

TEST(ShowMemory, MoveHandlesOverlapInBothDirections) {
  ShowMemory m;
  for (int i = 0; i < 10; ++i) m.Set(i, static_cast<std::uint8_t>(i + 1));
  m.Move(0, 2, 5);  // up: like memmove
  EXPECT_EQ(m.Get(2), 1);
  EXPECT_EQ(m.Get(6), 5);
  m.Move(2, 0, 5);  // down
  EXPECT_EQ(m.Get(0), 1);
  EXPECT_EQ(m.Get(4), 5);
}

TEST(ShowMemory, BlocksHoldEightBytesInOrder) {
  ShowMemory m;
  for (int k = 0; k < 8; ++k) m.Set(kSelectFlags + 8 + k, static_cast<std::uint8_t>(0x10 + k));
  EXPECT_EQ(m.GetBlock(kSelectFlags + 8), 0x1716151413121110ull);
  EXPECT_EQ(m.GetBlock(kSelectFlags), 0u);  // the neighbouring block is untouched
  m.Set(kSpareByte, 0xEE);                  // the spare byte sits alone in the last block
  EXPECT_EQ(m.GetBlock(kSpareByte), 0xEEu);
}

}  // namespace
}  // namespace kalvetro
