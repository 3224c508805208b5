// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/Conveyor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvetro {
namespace {

TEST(Conveyor, ShortNamesCutAtSevenOrEightCharacters) {
  // Seven characters "show1.k": the extension ".k" goes.
  EXPECT_EQ(ConveyorFileName("/home/op/shows/show1.klv"), "show1");
  EXPECT_EQ(ConveyorFileName("ab.klv"), "ab");
  // "concert" holds no dot: the seven characters stay.
  EXPECT_EQ(ConveyorFileName("/x/concert12.klv"), "concert");
  EXPECT_EQ(ConveyorFileName("/x/abcdefg"), "abcdefg");
  EXPECT_EQ(ConveyorFileName("/x/abcdefghij"), "abcdefg");
  // Names written on another system keep their backslash folders.
  EXPECT_EQ(ConveyorFileName("C:\\Shows\\Concert.klv"), "Concert");
  // The last dot within the cut counts.
  EXPECT_EQ(ConveyorFileName("/x/a.b.cde.klv"), "a.b");
  // Start-up labelling cuts at eight: "Unit_001", "Concert." loses its empty extension.
  EXPECT_EQ(StartupFileName("/x/Unit_001.klv"), "Unit_001");
  EXPECT_EQ(StartupFileName("C:\\Shows\\Concert.klv"), "Concert");
  EXPECT_EQ(StartupFileName("abc.klv"), "abc");
  EXPECT_EQ(ConveyorFileName("/x/Unit_001.klv"), "Unit_00");
  // Cyrillic names are cut by characters, never inside one.
  EXPECT_EQ(ConveyorFileName("/x/Концерт2024.klv"), "Концерт");
  EXPECT_EQ(ConveyorFileName("/x/шоу.klv"), "шоу");
  EXPECT_EQ(ConveyorFileName(""), "");
}

TEST(Conveyor, SlotCaptions) {
  EXPECT_EQ(AssignedSlotCaption(1, "show1"), "Q=show1");
  EXPECT_EQ(AssignedSlotCaption(10, "x"), "P=x");
  EXPECT_EQ(AssignedSlotCaption(11, "x"), "A=x");
  EXPECT_EQ(AssignedSlotCaption(19, "x"), "L=x");
  EXPECT_EQ(AssignedSlotCaption(20, "last"), " last");
  EXPECT_EQ(EmptySlotCaption(1, EmptySlotText::kAfterClearing), "Q (пусто)");
  EXPECT_EQ(EmptySlotCaption(1, EmptySlotText::kAfterStartup), "Q пусто");
  EXPECT_EQ(EmptySlotCaption(7, EmptySlotText::kAfterStartup), "U пусто");
  EXPECT_EQ(EmptySlotCaption(20, EmptySlotText::kAfterClearing), "(пусто)");
  EXPECT_EQ(EmptySlotCaption(20, EmptySlotText::kAfterStartup), "пусто");
  EXPECT_EQ(ConveyorJobLabel(3, "/s/show3.klv"), "3 show3");
  EXPECT_EQ(ConveyorSlotLetter(20), 0);
  EXPECT_EQ(ConveyorSlotLetter(0), 0);
}

class ConveyorJobTest : public ::testing::Test {
 protected:
  Conveyor::Opener Recorder(bool succeed = true) {
    return [this, succeed](const std::string& path) {
      opened.push_back(path);
      return succeed;
    };
  }
  Conveyor conveyor;
  Conveyor::Files files;
  std::vector<std::string> opened;
};

TEST_F(ConveyorJobTest, HandModeTicksOnlyTheChosenSlotAndLoadsAssignedOnes) {
  files[4] = "/s/five.klv";
  conveyor.SetDown(2, true);
  conveyor.SetDown(9, true);
  // An empty slot is ticked alone and nothing is to be loaded.
  EXPECT_FALSE(conveyor.SlotJob(3, files));
  for (int s = 1; s <= kConveyorSlots; ++s) EXPECT_EQ(conveyor.Down(s), s == 3) << s;
  EXPECT_TRUE(conveyor.SlotJob(5, files));
  EXPECT_TRUE(conveyor.Down(5));
  EXPECT_FALSE(conveyor.Down(3));
  // In the other modes the job changes nothing.
  for (ConveyorMode mode :
       {ConveyorMode::kList, ConveyorMode::kListFromFirst, ConveyorMode::kComposing}) {
    conveyor.SetMode(mode);
    EXPECT_FALSE(conveyor.SlotJob(1, files));
    EXPECT_TRUE(conveyor.Down(5));
    EXPECT_FALSE(conveyor.Down(1));
  }
}

TEST_F(ConveyorJobTest, ListJobsWalkTheTickedSlotsAndWrap) {
  files[2] = "/s/three.klv";
  files[6] = "/s/seven.klv";
  files[9] = "/s/ten.klv";  // assigned, not ticked
  conveyor.SetDown(3, true);
  conveyor.SetDown(7, true);
  conveyor.SetDown(5, true);  // ticked, empty: skipped
  conveyor.SetMode(ConveyorMode::kList);

  ConveyorJobResult r = conveyor.NextListShow(files, Recorder());
  EXPECT_EQ(r.slot, 3);
  EXPECT_EQ(conveyor.Position(), 4);
  r = conveyor.NextListShow(files, Recorder());
  EXPECT_EQ(r.slot, 7);
  EXPECT_EQ(conveyor.Position(), 8);
  r = conveyor.NextListShow(files, Recorder());
  EXPECT_EQ(r.slot, 0);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(conveyor.Position(), 1);
  r = conveyor.NextListShow(files, Recorder());
  EXPECT_EQ(r.slot, 3);
  EXPECT_EQ(opened, (std::vector<std::string>{"/s/three.klv", "/s/seven.klv", "/s/three.klv"}));
}

TEST_F(ConveyorJobTest, SlotTwentyWrapsAndAFailedOpenMovesPastItsSlot) {
  files[19] = "/s/twenty.klv";
  conveyor.SetDown(20, true);
  conveyor.SetPosition(15);
  EXPECT_EQ(conveyor.NextListShow(files, Recorder()).slot, 20);
  EXPECT_EQ(conveyor.Position(), 1);

  files[1] = "/s/broken.klv";
  conveyor.SetDown(2, true);
  ConveyorJobResult r = conveyor.NextListShow(files, Recorder(false));
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.slot, 2);
  EXPECT_EQ(conveyor.Position(), 3);
  EXPECT_EQ(opened.back(), "/s/broken.klv");
  // The next call goes on from there: slot 20 next, not slot 2 again.
  r = conveyor.NextListShow(files, Recorder());
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.slot, 20);

  conveyor.SetPosition(0);
  EXPECT_EQ(conveyor.Position(), 1);
  conveyor.SetPosition(21);
  EXPECT_EQ(conveyor.Position(), 1);
  conveyor.ReleaseAllSlots();
  for (int s = 1; s <= kConveyorSlots; ++s) EXPECT_FALSE(conveyor.Down(s));
  EXPECT_FALSE(conveyor.Down(0));
  EXPECT_FALSE(conveyor.Down(21));
}

}  // namespace
}  // namespace kalvetro
