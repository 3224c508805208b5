// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "editing/BlockCopy.h"
#include "editing/SceneList.h"

namespace kalvetro {
namespace {

// Byte n of scene row s starts as (s * 7 + n) mod 256, so a moved byte shows where it came from.
std::uint8_t Mark(int scene, int n) {
  return static_cast<std::uint8_t>((scene * 7 + n) & 0xFF);
}

void MarkAllRows(ShowState& show) {
  for (int s = 0; s < kSceneCount; ++s)
    for (int n = 0; n < kRowSize; ++n) show.memory.Set(SceneRowOffset(s) + n, Mark(s, n));
}

std::uint8_t Level(const ShowState& show, int scene, int channel) {
  return show.memory.Get(SceneRowOffset(scene) + channel);
}

// The whole store equals the undo copy, byte for byte.
::testing::AssertionResult SameAsUndo(const ShowState& show) {
  for (int i = 0; i < kShowMemorySize; ++i)
    if (show.memory.Get(i) != show.undoMemory.Get(i))
      return ::testing::AssertionFailure() << "byte " << i << " differs from the undo copy";
  return ::testing::AssertionSuccess();
}

// Scene row `scene` still holds its starting pattern.
::testing::AssertionResult RowUntouched(const ShowState& show, int scene) {
  for (int n = 0; n < kRowSize; ++n)
    if (Level(show, scene, n) != Mark(scene, n))
      return ::testing::AssertionFailure() << "scene " << scene << " byte " << n << " changed";
  return ::testing::AssertionSuccess();
}

// Scrambles the undo copy so that a test can see whether a copy took a fresh one.
void SpoilUndo(ShowState& show) {
  show.undoMemory.Fill(0, kShowMemorySize, 0xAB);
}

TEST(BlockCopy, ChannelBlockWithinTheCurrentScene) {
  ShowState show;
  MarkAllRows(show);
  show.memory.Set(kCurrentStep, 5);
  SpoilUndo(show);

  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {1, 10, 11}), BlockCopyResult::kDone);
  EXPECT_EQ(BlockCopyWarning(BlockCopyResult::kDone), nullptr);
  for (int c = 11; c <= 20; ++c) EXPECT_EQ(Level(show, 5, c), Mark(5, c - 10)) << c;
  for (int c = 0; c <= 10; ++c) EXPECT_EQ(Level(show, 5, c), Mark(5, c)) << c;
  for (int c = 21; c < kRowSize; ++c) EXPECT_EQ(Level(show, 5, c), Mark(5, c)) << c;
  for (int s = 0; s < kSceneCount; ++s)
    if (s != 5) {
      EXPECT_TRUE(RowUntouched(show, s));
    }

  // The undo copy holds the show as it was, and restoring it takes the copy back.
  EXPECT_EQ(show.undoMemory.Get(SceneRowOffset(5) + 11), Mark(5, 11));
  RestoreUndoCopy(show);
  EXPECT_TRUE(RowUntouched(show, 5));

  // An overlapping target above the source repeats the first channels upwards.
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {1, 3, 2}), BlockCopyResult::kDone);
  EXPECT_EQ(Level(show, 5, 2), Mark(5, 1));
  EXPECT_EQ(Level(show, 5, 3), Mark(5, 1));
  EXPECT_EQ(Level(show, 5, 4), Mark(5, 1));
  EXPECT_EQ(Level(show, 5, 5), Mark(5, 5));
  // A target below the source copies the block as it was.
  RestoreUndoCopy(show);
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {3, 5, 2}), BlockCopyResult::kDone);
  EXPECT_EQ(Level(show, 5, 2), Mark(5, 3));
  EXPECT_EQ(Level(show, 5, 3), Mark(5, 4));
  EXPECT_EQ(Level(show, 5, 4), Mark(5, 5));
  EXPECT_EQ(Level(show, 5, 5), Mark(5, 5));
}

TEST(BlockCopy, ChannelBlockWithinAllSceneRows) {
  ShowState show;
  MarkAllRows(show);
  show.memory.Set(kCurrentStep, 0);
  show.memory.Set(kLastScene, 3);  // rows beyond the last scene are copied as well

  EXPECT_EQ(CopyChannelsOfAllScenes(show, {1, 10, 11}), BlockCopyResult::kDone);
  for (int s = 0; s < kSceneCount; ++s) {
    for (int c = 11; c <= 20; ++c) ASSERT_EQ(Level(show, s, c), Mark(s, c - 10)) << s << " " << c;
    for (int c = 0; c <= 10; ++c) ASSERT_EQ(Level(show, s, c), Mark(s, c)) << s << " " << c;
    for (int c = 21; c < kRowSize; ++c) ASSERT_EQ(Level(show, s, c), Mark(s, c)) << s << " " << c;
  }
  // Header bytes are no part of any row.
  EXPECT_EQ(show.memory.Get(kCurrentStep), 0);
  EXPECT_EQ(show.memory.Get(kLastScene), 3);
  RestoreUndoCopy(show);
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));

  // 246 + 10 = 256 is still allowed and ends at channel 255 of the last row. The target lies
  // 9 above the source, so channels 1..9 repeat upwards: channel 255 ends with channel 3.
  EXPECT_EQ(CopyChannelsOfAllScenes(show, {1, 246, 10}), BlockCopyResult::kDone);
  EXPECT_EQ(Level(show, 255, 255), Mark(255, 3));
  EXPECT_EQ(Level(show, 255, 19), Mark(255, 1));
  EXPECT_EQ(show.memory.Get(kSpareByte), 0);
}

TEST(BlockCopy, LimitsRefuseTheCopyButKeepTheUndoCopy) {
  ShowState show;
  MarkAllRows(show);
  show.memory.Set(kCurrentStep, 2);

  SpoilUndo(show);
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {1, 250, 10}), BlockCopyResult::kChannelLimit);
  EXPECT_TRUE(SameAsUndo(show));  // undo copy taken, nothing copied
  EXPECT_TRUE(RowUntouched(show, 2));
  EXPECT_STREQ(BlockCopyWarning(BlockCopyResult::kChannelLimit),
               " Копирование не выполнено:Максимальное число каналов > 256 ! ");

  SpoilUndo(show);
  EXPECT_EQ(CopyChannelsOfAllScenes(show, {1, 250, 10}), BlockCopyResult::kChannelLimit);
  EXPECT_TRUE(SameAsUndo(show));
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));

  // The test is on last + target, stricter than the end of the target block.
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {100, 200, 100}), BlockCopyResult::kChannelLimit);
  EXPECT_TRUE(RowUntouched(show, 2));

  // Inputs outside their ranges never reach past the row.
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {0, 250, 6}), BlockCopyResult::kChannelLimit);
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {5, 300, -100}), BlockCopyResult::kChannelLimit);
  EXPECT_TRUE(RowUntouched(show, 2));
  EXPECT_TRUE(RowUntouched(show, 3));

  // An empty range copies nothing and warns of nothing; the undo copy is still taken.
  SpoilUndo(show);
  EXPECT_EQ(CopyChannelsOfCurrentScene(show, {20, 10, 11}), BlockCopyResult::kDone);
  EXPECT_TRUE(SameAsUndo(show));
  EXPECT_TRUE(RowUntouched(show, 2));
  SpoilUndo(show);
  EXPECT_EQ(CopyChannelsOfAllScenes(show, {20, 10, 11}), BlockCopyResult::kDone);
  EXPECT_TRUE(SameAsUndo(show));
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));
}

TEST(BlockCopy, WholeScenes) {
  ShowState show;
  MarkAllRows(show);
  SpoilUndo(show);

  // Scenes 1..10 (rows 0..9) to scene 11 (row 10) on: rows 10..19 become rows 0..9.
  EXPECT_EQ(CopyScenes(show, {1, 10, 11}), BlockCopyResult::kDone);
  for (int k = 0; k < 10; ++k)
    for (int n = 0; n < kRowSize; ++n) ASSERT_EQ(Level(show, 10 + k, n), Mark(k, n)) << k;
  for (int s = 0; s < 10; ++s) EXPECT_TRUE(RowUntouched(show, s));
  for (int s = 20; s < kSceneCount; ++s) EXPECT_TRUE(RowUntouched(show, s));
  RestoreUndoCopy(show);
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));

  // Overlapping ranges copy the scenes as they were: 1..10 to 5 gives rows 4..13 = rows 0..9.
  EXPECT_EQ(CopyScenes(show, {1, 10, 5}), BlockCopyResult::kDone);
  for (int k = 0; k < 10; ++k)
    for (int n = 0; n < kRowSize; ++n) ASSERT_EQ(Level(show, 4 + k, n), Mark(k, n)) << k;
  EXPECT_TRUE(RowUntouched(show, 14));
  RestoreUndoCopy(show);
  // ... and downwards: 5..7 to 3 gives rows 2..4 = rows 4..6.
  EXPECT_EQ(CopyScenes(show, {5, 7, 3}), BlockCopyResult::kDone);
  for (int k = 0; k < 3; ++k)
    for (int n = 0; n < kRowSize; ++n) ASSERT_EQ(Level(show, 2 + k, n), Mark(4 + k, n)) << k;
  EXPECT_TRUE(RowUntouched(show, 5));
  EXPECT_TRUE(RowUntouched(show, 6));
  RestoreUndoCopy(show);

  // Limits: last + target > 256 is refused with the scene warning, after the undo copy.
  SpoilUndo(show);
  EXPECT_EQ(CopyScenes(show, {1, 250, 10}), BlockCopyResult::kSceneLimit);
  EXPECT_TRUE(SameAsUndo(show));
  EXPECT_STREQ(BlockCopyWarning(BlockCopyResult::kSceneLimit),
               " Копирование не выполнено:Максимальное число сцен > 256 ! ");
  // 246 + 10 = 256 is allowed: scenes 1..246 land on rows 9..254.
  EXPECT_EQ(CopyScenes(show, {1, 246, 10}), BlockCopyResult::kDone);
  EXPECT_EQ(Level(show, 254, 100), Mark(245, 100));
  EXPECT_TRUE(RowUntouched(show, 255));
  RestoreUndoCopy(show);
  // An empty range copies nothing, silently.
  EXPECT_EQ(CopyScenes(show, {20, 10, 11}), BlockCopyResult::kDone);
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));
}

TEST(BlockCopy, ChannelsInScenes) {
  ShowState show;
  MarkAllRows(show);
  SpoilUndo(show);

  // Channels 1..10 of scenes 1..3 (rows 0..2) to channel 11 of scenes 5..7 (rows 4..6).
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 10, 11}, {1, 3, 5}), BlockCopyResult::kDone);
  for (int k = 0; k < 3; ++k) {
    for (int c = 11; c <= 20; ++c) EXPECT_EQ(Level(show, 4 + k, c), Mark(k, c - 10)) << k;
    for (int c = 0; c <= 10; ++c) EXPECT_EQ(Level(show, 4 + k, c), Mark(4 + k, c)) << k;
    for (int c = 21; c < kRowSize; ++c) EXPECT_EQ(Level(show, 4 + k, c), Mark(4 + k, c)) << k;
  }
  for (int s : {0, 1, 2, 3, 7, 255}) EXPECT_TRUE(RowUntouched(show, s));
  RestoreUndoCopy(show);

  // Same scenes as source and target: the in-row copy, repeating upwards.
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 3, 2}, {2, 3, 2}), BlockCopyResult::kDone);
  for (int s : {1, 2})
    for (int c = 2; c <= 4; ++c) EXPECT_EQ(Level(show, s, c), Mark(s, 1)) << s << " " << c;
  EXPECT_TRUE(RowUntouched(show, 0));
  EXPECT_TRUE(RowUntouched(show, 3));
  RestoreUndoCopy(show);

  // Overlapping scenes and channels: channels 1..10 of scenes 1..3 to channel 5 of scenes
  // 2..4. Each target gets its source scene's block as it was before the copy.
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 10, 5}, {1, 3, 2}), BlockCopyResult::kDone);
  for (int k = 0; k < 3; ++k) {
    for (int c = 5; c <= 14; ++c) EXPECT_EQ(Level(show, 1 + k, c), Mark(k, c - 4)) << k;
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(Level(show, 1 + k, c), Mark(1 + k, c)) << k;
  }
  EXPECT_TRUE(RowUntouched(show, 0));
  RestoreUndoCopy(show);
  // ... and downwards: scenes 3..4 to scene 2.
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 10, 5}, {3, 4, 2}), BlockCopyResult::kDone);
  for (int k = 0; k < 2; ++k)
    for (int c = 5; c <= 14; ++c) EXPECT_EQ(Level(show, 1 + k, c), Mark(2 + k, c - 4)) << k;
  RestoreUndoCopy(show);

  // The channel test comes first, then the scene test; each refusal keeps its undo copy.
  SpoilUndo(show);
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 250, 10}, {1, 250, 10}), BlockCopyResult::kChannelLimit);
  EXPECT_TRUE(SameAsUndo(show));
  SpoilUndo(show);
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 10, 11}, {1, 250, 10}), BlockCopyResult::kSceneLimit);
  EXPECT_TRUE(SameAsUndo(show));
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));

  // Empty scene or channel ranges copy nothing, silently.
  EXPECT_EQ(CopyChannelsInScenes(show, {1, 10, 11}, {5, 3, 10}), BlockCopyResult::kDone);
  EXPECT_EQ(CopyChannelsInScenes(show, {20, 10, 11}, {1, 3, 10}), BlockCopyResult::kDone);
  for (int s = 0; s < kSceneCount; ++s) ASSERT_TRUE(RowUntouched(show, s));
}

}  // namespace
}  // namespace kalvetro
