// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "editing/SceneList.h"
#include "effects/StaticPictures.h"

namespace kalvetro {
namespace {

// Offsets written out by hand from the layout: pictures from 4608 in records of 512 bytes,
// include flags first, levels 256 bytes later; selection flags at 12800; scene s at
// 16384 + 256 s.
constexpr int kPicture5Flags = 4608 + 5 * 512;  // 7168
constexpr int kPicture5Levels = kPicture5Flags + 256;
constexpr int kRow0 = 16384;
constexpr int kSelect = 12800;

std::uint8_t Pattern(int index) {
  return static_cast<std::uint8_t>((index * 13 + 5) & 0xFF);
}

void FillPattern(ShowMemory& memory) {
  for (int i = 0; i < kShowMemorySize; ++i) memory.Set(i, Pattern(i));
}

bool SameMemory(const ShowMemory& a, const ShowMemory& b, int* firstDiff) {
  for (int i = 0; i < kShowMemorySize; ++i) {
    if (a.Get(i) != b.Get(i)) {
      *firstDiff = i;
      return false;
    }
  }
  return true;
}

TEST(StaticPictures, WriteAndReadBackAPicture) {
  ShowState show;
  // The operator's selection: channels 3 and 7 ticked, channel 9 carries a stray 2.
  show.memory.Set(kSelect + 3, 1);
  show.memory.Set(kSelect + 7, 1);
  show.memory.Set(kSelect + 9, 2);
  show.memory.Set(kRow0 + 3, 200);
  show.memory.Set(kRow0 + 7, 17);
  show.memory.Set(kRow0 + 9, 99);
  show.memory.Set(kRow0 + 100, 55);  // a level outside the mask

  ASSERT_TRUE(SaveChaser(show, 5));
  EXPECT_EQ(show.memory.Get(kPicture5Flags + 3), 1);
  EXPECT_EQ(show.memory.Get(kPicture5Flags + 7), 1);
  EXPECT_EQ(show.memory.Get(kPicture5Flags + 9), 2);
  EXPECT_EQ(show.memory.Get(kPicture5Flags + 100), 0);
  EXPECT_EQ(show.memory.Get(kPicture5Levels + 3), 200);
  EXPECT_EQ(show.memory.Get(kPicture5Levels + 9), 99);
  EXPECT_EQ(show.memory.Get(kPicture5Levels + 100), 55);  // kept, though never used
  // The neighbouring records stay empty.
  for (int i = 0; i < 512; ++i) {
    ASSERT_EQ(show.memory.Get(kPicture5Flags - 512 + i), 0) << i;
    ASSERT_EQ(show.memory.Get(kPicture5Flags + 512 + i), 0) << i;
  }
  // A flag byte 2 does not put the channel into the picture.
  EXPECT_TRUE(PictureIncludes(show.memory, 5, 3));
  EXPECT_FALSE(PictureIncludes(show.memory, 5, 9));
  EXPECT_EQ(PictureLevel(show.memory, 5, 100), 55);

  // Reading it back into a cleared editor: only channels with flag 1 get their levels.
  show.memory.Fill(kRow0, 256, 77);
  show.memory.Fill(kSelect, 256, 0);
  ASSERT_TRUE(ReadChaser(show, 5));
  EXPECT_EQ(show.memory.Get(kRow0 + 3), 200);
  EXPECT_EQ(show.memory.Get(kRow0 + 7), 17);
  EXPECT_EQ(show.memory.Get(kRow0 + 9), 0);    // flag 2: not in the picture
  EXPECT_EQ(show.memory.Get(kRow0 + 100), 0);  // stored level without flag reads back as 0
  EXPECT_EQ(show.memory.Get(kRow0 + 0), 0);
  EXPECT_EQ(show.memory.Get(kSelect + 3), 1);
  EXPECT_EQ(show.memory.Get(kSelect + 9), 2);  // the mask is copied as it is
  EXPECT_EQ(show.memory.Get(kSelect + 100), 0);

  // A record without any include flag gives an all-zero working row and no selection.
  ASSERT_TRUE(ReadChaser(show, 6));
  for (int n = 0; n < 256; ++n) {
    ASSERT_EQ(show.memory.Get(kRow0 + n), 0) << n;
    ASSERT_EQ(show.memory.Get(kSelect + n), 0) << n;
  }
}

TEST(StaticPictures, PictureIndexOutsideTheSixteenChangesNothing) {
  ShowState show;
  FillPattern(show.memory);
  ShowMemory before;
  before.CopyFrom(show.memory);
  int diff = -1;
  EXPECT_FALSE(SaveChaser(show, 16));
  EXPECT_FALSE(SaveChaser(show, -1));
  EXPECT_FALSE(ReadChaser(show, 16));
  EXPECT_FALSE(ReadChaser(show, -1));
  EXPECT_TRUE(SameMemory(show.memory, before, &diff)) << "byte " << diff;
}

TEST(StaticPictures, EditorOpenAndCloseRestoreTheSavedArea) {
  ShowState show;
  FillPattern(show.memory);
  show.memory.Set(kCurrentStep, 7);
  show.playing.store(true);
  ShowMemory before;
  before.CopyFrom(show.memory);
  ChaserSaveArea area;

  ASSERT_TRUE(OpenChaserEditor(show, area));
  EXPECT_FALSE(show.playing.load());
  EXPECT_EQ(show.memory.Get(131), 0);
  for (int n = 0; n < 256; ++n) {
    ASSERT_EQ(show.memory.Get(kRow0 + n), 0) << n;
    ASSERT_EQ(show.memory.Get(kSelect + n), 0) << n;
    ASSERT_EQ(area.sceneRow[n], Pattern(kRow0 + n)) << n;
    ASSERT_EQ(area.rateRow[n], Pattern(256 + n)) << n;
    ASSERT_EQ(area.selectFlags[n], Pattern(kSelect + n)) << n;
  }
  EXPECT_EQ(area.currentStep, 7);
  EXPECT_EQ(show.memory.Get(kRow0 + 256 + 1), Pattern(kRow0 + 257));  // scene 1 untouched

  // Editing: a picture is made, the rates are changed, channels are ticked.
  show.memory.Set(kSelect + 12, 1);
  show.memory.Set(kRow0 + 12, 180);
  show.memory.Set(256 + 12, 3);
  ASSERT_TRUE(SaveChaser(show, 2));

  // Opening again while open keeps the first saved state.
  show.playing.store(true);
  EXPECT_FALSE(OpenChaserEditor(show, area));
  EXPECT_FALSE(show.playing.load());
  EXPECT_EQ(show.memory.Get(kRow0 + 12), 180);
  EXPECT_EQ(area.sceneRow[12], Pattern(kRow0 + 12));

  ASSERT_TRUE(CloseChaserEditor(show, area));
  // Everything but the new picture is as it was before the editor opened.
  for (int i = 0; i < kShowMemorySize; ++i) {
    if (i >= 4608 + 2 * 512 && i < 4608 + 3 * 512) continue;
    ASSERT_EQ(show.memory.Get(i), before.Get(i)) << "byte " << i;
  }
  EXPECT_EQ(show.memory.Get(4608 + 2 * 512 + 12), 1);
  EXPECT_EQ(show.memory.Get(4608 + 2 * 512 + 256 + 12), 180);

  // A second close has nothing to put back.
  show.memory.Set(kRow0 + 1, 1);
  EXPECT_FALSE(CloseChaserEditor(show, area));
  EXPECT_EQ(show.memory.Get(kRow0 + 1), 1);
}

TEST(StaticPictures, ShowReplacedWhileEditingKeepsTheNewShow) {
  ShowState show;
  FillPattern(show.memory);
  ChaserSaveArea area;
  ASSERT_TRUE(OpenChaserEditor(show, area));
  // Another show is loaded over the open one; the owner forgets the saved state.
  show.memory.Fill(0, kShowFileSize, 9);
  area.Discard();
  EXPECT_FALSE(CloseChaserEditor(show, area));
  EXPECT_EQ(show.memory.Get(kRow0 + 5), 9);
  EXPECT_EQ(show.memory.Get(256 + 5), 9);
  EXPECT_EQ(show.memory.Get(131), 9);
  EXPECT_EQ(show.memory.Get(kSelect + 5), 9);
  // The next opening saves the new show.
  ASSERT_TRUE(OpenChaserEditor(show, area));
  EXPECT_EQ(area.sceneRow[5], 9);
}

TEST(StaticPictures, SceneSliderTakesTheLevelsOfTheNextScene) {
  ShowState show;
  FillPattern(show.memory);
  // Position 4 shows 5 and takes scene 5 (row at 16384 + 1280).
  EXPECT_EQ(TakeSceneLevels(show, 4), 5);
  for (int n = 0; n < 256; ++n) {
    ASSERT_EQ(show.memory.Get(kRow0 + n), Pattern(17664 + n)) << n;
    ASSERT_EQ(show.memory.Get(kSelect + n), 0) << n;
  }
  EXPECT_EQ(show.memory.Get(17664 + 3), Pattern(17664 + 3));  // the source is unchanged

  // Position 255 shows 256 and takes scene 0 onto itself.
  show.memory.Set(kRow0 + 8, 42);
  show.memory.Set(kSelect + 8, 1);
  EXPECT_EQ(TakeSceneLevels(show, 255), 256);
  EXPECT_EQ(show.memory.Get(kRow0 + 8), 42);
  EXPECT_EQ(show.memory.Get(kSelect + 8), 0);
  // Positions beyond the slider's range are held to it.
  EXPECT_EQ(TakeSceneLevels(show, 400), 256);
  EXPECT_EQ(TakeSceneLevels(show, -3), 1);
}

TEST(StaticPictures, EraseTakesTheUndoCopyFirst) {
  ShowState show;
  FillPattern(show.memory);
  ShowMemory before;
  before.CopyFrom(show.memory);
  int diff = -1;

  EraseEditedPicture(show);
  EXPECT_TRUE(SameMemory(show.undoMemory, before, &diff)) << "byte " << diff;
  for (int n = 0; n < 256; ++n) {
    ASSERT_EQ(show.memory.Get(kRow0 + n), 0) << n;
    ASSERT_EQ(show.memory.Get(kSelect + n), 0) << n;
  }
  for (int i = 4608; i < 12800; ++i) ASSERT_EQ(show.memory.Get(i), Pattern(i)) << i;
  RestoreUndoCopy(show);
  EXPECT_TRUE(SameMemory(show.memory, before, &diff)) << "byte " << diff;

  EraseAllPictures(show);
  EXPECT_TRUE(SameMemory(show.undoMemory, before, &diff)) << "byte " << diff;
  for (int i = 4608; i < 12800; ++i) ASSERT_EQ(show.memory.Get(i), 0) << i;
  for (int n = 0; n < 256; ++n) {
    ASSERT_EQ(show.memory.Get(kRow0 + n), 0) << n;
    ASSERT_EQ(show.memory.Get(kSelect + n), 0) << n;
  }
  // The names before the pictures and scene 1 after them stay.
  EXPECT_EQ(show.memory.Get(4607), Pattern(4607));
  EXPECT_EQ(show.memory.Get(13056), Pattern(13056));
  EXPECT_EQ(show.memory.Get(16640), Pattern(16640));
  RestoreUndoCopy(show);
  EXPECT_TRUE(SameMemory(show.memory, before, &diff)) << "byte " << diff;
}

}  // namespace
}  // namespace kalvetro
