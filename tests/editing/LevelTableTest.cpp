// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "editing/LevelTable.h"

namespace kalvetro {
namespace {

TEST(LevelTable, CaptionsHintsAndPlaces) {
  // Levels without leading blanks or zeros.
  EXPECT_EQ(LevelTableLabelText(0), "0");
  EXPECT_EQ(LevelTableLabelText(7), "7");
  EXPECT_EQ(LevelTableLabelText(255), "255");
  EXPECT_EQ(LevelTableLabelHint(1), "Уровень канала N 1");
  EXPECT_EQ(LevelTableLabelHint(255), "Уровень канала N 255");
  EXPECT_STREQ(kLevelTableInitialCaption, " 000 ");

  EXPECT_EQ(LevelTableSceneText(4), " Сцена = 5");
  EXPECT_EQ(LevelTableLevelText(200), " Уровень = 200");
  EXPECT_EQ(LevelTableChannelText(10), " Канал = 10");

  // Sixteen labels per table row.
  const LevelTableCell first = LevelTableCellOf(1);
  EXPECT_EQ(first.row, 0);
  EXPECT_EQ(first.column, 0);
  const LevelTableCell sixteenth = LevelTableCellOf(16);
  EXPECT_EQ(sixteenth.row, 0);
  EXPECT_EQ(sixteenth.column, 15);
  const LevelTableCell seventeenth = LevelTableCellOf(17);
  EXPECT_EQ(seventeenth.row, 1);
  EXPECT_EQ(seventeenth.column, 0);
  const LevelTableCell last = LevelTableCellOf(255);
  EXPECT_EQ(last.row, 15);
  EXPECT_EQ(last.column, 14);
}

TEST(LevelTable, ShownSceneAndEditing) {
  ShowState show;
  show.memory.Set(kCurrentStep, 7);
  show.DataWrite(7, 10, 33);

  // Without the check mark the page follows the current scene and the bar writes nothing.
  EXPECT_EQ(LevelTableShownScene(show, false, 4), 7);
  EXPECT_FALSE(WriteLevelTableLevel(show, false, 4, 10, 200));
  EXPECT_EQ(show.DataRead(4, 10), 0);
  EXPECT_EQ(show.DataRead(7, 10), 33);

  // With it the page's own scene is shown and edited, also while the show plays.
  show.playing.store(true);
  EXPECT_EQ(LevelTableShownScene(show, true, 4), 4);
  EXPECT_TRUE(WriteLevelTableLevel(show, true, 4, 10, 200));
  EXPECT_EQ(show.DataRead(4, 10), 200);
  EXPECT_EQ(LevelTableLevel(show, 4, 10), 200);
  EXPECT_EQ(show.DataRead(7, 10), 33);  // the current scene is not touched
  EXPECT_EQ(show.DataRead(4, 9), 0);
  EXPECT_EQ(show.DataRead(4, 11), 0);
  // Switching the check mark off returns to the current scene.
  EXPECT_EQ(LevelTableShownScene(show, false, 4), 7);

  // Levels are clamped; scenes and channels outside the show are refused.
  EXPECT_TRUE(WriteLevelTableLevel(show, true, 255, 255, 300));
  EXPECT_EQ(show.DataRead(255, 255), 255);
  EXPECT_EQ(show.memory.Get(kSpareByte), 0);
  EXPECT_TRUE(WriteLevelTableLevel(show, true, 0, 1, -5));
  EXPECT_EQ(show.DataRead(0, 1), 0);
  EXPECT_FALSE(WriteLevelTableLevel(show, true, 3, 0, 50));
  EXPECT_EQ(show.DataRead(3, 0), 0);
  EXPECT_FALSE(WriteLevelTableLevel(show, true, 3, 256, 50));
  EXPECT_EQ(show.DataRead(4, 0), 0);  // byte 256 of scene 3 is byte 0 of scene 4
  EXPECT_FALSE(WriteLevelTableLevel(show, true, 256, 1, 50));
  EXPECT_FALSE(WriteLevelTableLevel(show, true, -1, 1, 50));
  EXPECT_EQ(LevelTableShownScene(show, true, 300), 255);

  // The row the output uses is never moved by the page.
}

std::vector<int> Changed(LevelTableLabelDiff& diff, const ShowState& show, int scene) {
  std::array<std::uint8_t, kLevelTableLabelCount> changed{};
  const int count = diff.Update(show.memory, scene, changed);
  return {changed.begin(), changed.begin() + count};
}

TEST(LevelTable, OnlyChangedLabelsAreReported) {
  ShowState show;
  for (int c = 0; c < kRowSize; ++c) show.DataWrite(3, static_cast<std::uint8_t>(c), c);
  LevelTableLabelDiff diff;

  // The first refresh fills every label, channels 1..255 in order (byte 0 is no channel).
  const std::vector<int> all = Changed(diff, show, 3);
  ASSERT_EQ(all.size(), 255u);
  EXPECT_EQ(all.front(), 1);
  EXPECT_EQ(all.back(), 255);
  EXPECT_EQ(diff.Shown(200), 200);

  // Nothing changed: nothing to redraw. Byte 0 of the row is no label.
  show.DataWrite(3, 0, 99);
  EXPECT_TRUE(Changed(diff, show, 3).empty());

  // Two edits in different blocks, one inside a block that is otherwise the same.
  show.DataWrite(3, 10, 1);
  show.DataWrite(3, 255, 0);
  EXPECT_EQ(Changed(diff, show, 3), (std::vector<int>{10, 255}));
  EXPECT_EQ(diff.Shown(10), 1);
  // Writing the same value back is no change.
  show.DataWrite(3, 10, 1);
  EXPECT_TRUE(Changed(diff, show, 3).empty());

  // Another scene: only the channels whose level differs from the one shown.
  for (int c = 1; c < kRowSize; ++c) show.DataWrite(4, static_cast<std::uint8_t>(c), c);
  show.DataWrite(4, 10, 1);
  show.DataWrite(4, 255, 0);
  show.DataWrite(4, 17, 0);
  EXPECT_EQ(Changed(diff, show, 4), (std::vector<int>{17}));

  // After the labels were rebuilt, all of them again.
  diff.Forget();
  EXPECT_EQ(Changed(diff, show, 4).size(), 255u);
}

}  // namespace
}  // namespace kalvetro
