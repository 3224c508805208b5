// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "editing/SceneList.h"

namespace kalvetro {
namespace {

// Every scene row s carries its own pattern: byte n = (s * 7 + n) mod 256, so any row that
// moves shows where it came from.
std::uint8_t Mark(int scene, int n) {
  return static_cast<std::uint8_t>((scene * 7 + n) & 0xFF);
}

void MarkAllRows(ShowState& show) {
  for (int s = 0; s < kSceneCount; ++s)
    for (int n = 0; n < kRowSize; ++n) show.memory.Set(SceneRowOffset(s) + n, Mark(s, n));
}

// Row `row` holds, byte for byte, the pattern of scene `origin`.
::testing::AssertionResult RowIs(const ShowState& show, int row, int origin) {
  for (int n = 0; n < kRowSize; ++n)
    if (show.memory.Get(SceneRowOffset(row) + n) != Mark(origin, n))
      return ::testing::AssertionFailure()
             << "row " << row << " byte " << n << " is not from " << origin;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult RowIsEmpty(const ShowState& show, int row) {
  for (int n = 0; n < kRowSize; ++n)
    if (show.memory.Get(SceneRowOffset(row) + n) != 0)
      return ::testing::AssertionFailure() << "row " << row << " byte " << n << " is not 0";
  return ::testing::AssertionSuccess();
}

void SetScenes(ShowState& show, int current, int last) {
  show.memory.Set(kCurrentStep, static_cast<std::uint8_t>(current));
  show.memory.Set(kLastScene, static_cast<std::uint8_t>(last));
}

TEST(SceneList, InsertOpensACopyOfTheCurrentSceneAfterIt) {
  ShowState show;
  MarkAllRows(show);
  SetScenes(show, 1, 2);
  InsertSceneAfterCurrent(show);
  EXPECT_EQ(show.CurrentStep(), 2);
  EXPECT_EQ(show.LastScene(), 3);
  EXPECT_TRUE(RowIs(show, 0, 0));
  EXPECT_TRUE(RowIs(show, 1, 1));
  EXPECT_TRUE(RowIs(show, 3, 2));  // the old scene 3 is now scene 4
  EXPECT_TRUE(RowIs(show, 255, 254));
  // The new scene copies channels 1..255 of the scene it follows; its byte 0 keeps the value
  // the row had.
  for (int n = 1; n < kRowSize; ++n)
    ASSERT_EQ(show.memory.Get(SceneRowOffset(2) + n), Mark(1, n)) << n;
  EXPECT_EQ(show.memory.Get(SceneRowOffset(2)), Mark(2, 0));
}

TEST(SceneList, InsertAtTheEndOfTheSceneArea) {
  ShowState show;
  MarkAllRows(show);
  // A full show: the old row 255 is lost and the show stays at 256 scenes.
  SetScenes(show, 10, 255);
  InsertSceneAfterCurrent(show);
  EXPECT_EQ(show.CurrentStep(), 11);
  EXPECT_EQ(show.LastScene(), 255);
  EXPECT_TRUE(RowIs(show, 255, 254));
  EXPECT_TRUE(RowIs(show, 12, 11));
  // Inserting after scene 255 changes nothing.
  MarkAllRows(show);
  SetScenes(show, 255, 255);
  InsertSceneAfterCurrent(show);
  EXPECT_EQ(show.CurrentStep(), 255);
  EXPECT_EQ(show.LastScene(), 255);
  EXPECT_TRUE(RowIs(show, 255, 255));
  EXPECT_TRUE(RowIs(show, 254, 254));
  // Inserting after scene 254 fills the top row with a copy of 254.
  SetScenes(show, 254, 254);
  InsertSceneAfterCurrent(show);
  EXPECT_EQ(show.CurrentStep(), 255);
  EXPECT_EQ(show.LastScene(), 255);
  EXPECT_EQ(show.memory.Get(SceneRowOffset(255) + 9), Mark(254, 9));
}

TEST(SceneList, DeleteMovesTheScenesAboveDownAndEmptiesTheTopRow) {
  ShowState show;
  MarkAllRows(show);
  // Scene 3 of 10.
  SetScenes(show, 2, 9);
  DeleteCurrentScene(show);
  EXPECT_EQ(show.CurrentStep(), 2);
  EXPECT_EQ(show.LastScene(), 8);
  EXPECT_TRUE(RowIs(show, 1, 1));
  EXPECT_TRUE(RowIs(show, 2, 3));
  EXPECT_TRUE(RowIs(show, 8, 9));
  EXPECT_TRUE(RowIs(show, 254, 255));
  EXPECT_TRUE(RowIsEmpty(show, 255));

  // The last scene: the current scene steps back.
  MarkAllRows(show);
  SetScenes(show, 4, 4);
  DeleteCurrentScene(show);
  EXPECT_EQ(show.CurrentStep(), 3);
  EXPECT_EQ(show.LastScene(), 3);
  EXPECT_TRUE(RowIs(show, 4, 5));

  // The only scene: row 0 takes the old row 1 and the show keeps one scene.
  MarkAllRows(show);
  SetScenes(show, 0, 0);
  DeleteCurrentScene(show);
  EXPECT_EQ(show.CurrentStep(), 0);
  EXPECT_EQ(show.LastScene(), 0);
  EXPECT_TRUE(RowIs(show, 0, 1));

  // Scene 256 of a full show.
  MarkAllRows(show);
  SetScenes(show, 255, 255);
  DeleteCurrentScene(show);
  EXPECT_EQ(show.CurrentStep(), 254);
  EXPECT_EQ(show.LastScene(), 254);
  EXPECT_TRUE(RowIs(show, 254, 254));
  EXPECT_TRUE(RowIsEmpty(show, 255));
  // Nothing outside the scene rows moved.
  EXPECT_EQ(show.memory.Get(kSpareByte), 0);
  EXPECT_EQ(show.memory.Get(SceneRowOffset(0) - 1), 0);
}

TEST(SceneList, CopyPreviousClearAndPaste) {
  ShowState show;
  MarkAllRows(show);
  SetScenes(show, 0, 5);
  CopyPreviousScene(show);  // nothing before scene 0
  EXPECT_TRUE(RowIs(show, 0, 0));
  EXPECT_EQ(show.memory.Get(SceneRowOffset(0) - 1), 0);

  SetScenes(show, 3, 5);
  CopyPreviousScene(show);
  EXPECT_TRUE(RowIs(show, 3, 2));  // all 256 bytes, byte 0 included
  EXPECT_TRUE(RowIs(show, 4, 4));

  SaveToPaste(show);
  EXPECT_EQ(show.pasteBuffer[0], Mark(2, 0));
  EXPECT_EQ(show.pasteBuffer[255], Mark(2, 255));
  ClearCurrentScene(show);
  EXPECT_TRUE(RowIsEmpty(show, 3));
  EXPECT_TRUE(RowIs(show, 2, 2));
  EXPECT_TRUE(RowIs(show, 4, 4));

  SetScenes(show, 5, 5);
  LoadFromPaste(show);
  EXPECT_TRUE(RowIs(show, 5, 2));
  EXPECT_TRUE(RowIs(show, 6, 6));
}

TEST(SceneList, AutoAddCopiesTheLastSceneOnePastTheEnd) {
  ShowState show;
  MarkAllRows(show);
  SetScenes(show, 3, 3);
  EXPECT_FALSE(AddSceneBeyondLast(show));
  EXPECT_EQ(show.LastScene(), 3);
  SetScenes(show, 4, 3);
  EXPECT_TRUE(AddSceneBeyondLast(show));
  EXPECT_EQ(show.LastScene(), 4);
  EXPECT_TRUE(RowIs(show, 4, 3));
  EXPECT_TRUE(RowIs(show, 5, 5));
}

TEST(SceneList, UndoCopyCoversTheWholeStore) {
  ShowState show;
  MarkAllRows(show);
  show.memory.Set(kChannelNames + 16 * 3, 'A');
  show.memory.Set(kSelectFlags + 9, 1);
  show.memory.Set(kRateRow + 4, 8);
  show.memory.Set(kSpareByte, 42);
  SetScenes(show, 2, 9);
  TakeUndoCopy(show);
  DeleteCurrentScene(show);
  show.memory.Set(kChannelNames + 16 * 3, 'B');
  show.memory.Set(kSelectFlags + 9, 0);
  show.memory.Set(kRateRow + 4, 255);
  show.memory.Set(kSpareByte, 0);
  RestoreUndoCopy(show);
  EXPECT_EQ(show.CurrentStep(), 2);
  EXPECT_EQ(show.LastScene(), 9);
  EXPECT_TRUE(RowIs(show, 2, 2));
  EXPECT_TRUE(RowIs(show, 255, 255));
  EXPECT_EQ(show.memory.Get(kChannelNames + 16 * 3), 'A');
  EXPECT_EQ(show.memory.Get(kSelectFlags + 9), 1);
  EXPECT_EQ(show.memory.Get(kRateRow + 4), 8);
  EXPECT_EQ(show.memory.Get(kSpareByte), 42);
}

}  // namespace
}  // namespace kalvetro
