// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "editing/ChannelNames.h"

namespace kalvetro {
namespace {

// Name of channel c at 512 + 16 c.
std::vector<int> Slot(const ShowMemory& memory, int channel) {
  std::vector<int> bytes;
  for (int i = 0; i < 16; ++i) bytes.push_back(memory.Get(512 + 16 * channel + i));
  return bytes;
}

void PutSlot(ShowMemory& memory, int channel, std::vector<int> bytes) {
  bytes.resize(16, 0);
  for (int i = 0; i < 16; ++i)
    memory.Set(512 + 16 * channel + i, static_cast<std::uint8_t>(bytes[i]));
}

TEST(ChannelNames, SixLetterNameIsStoredWithTenZeroBytes) {
  ShowMemory memory;
  // "Прожек" in code page 1251: П CF, р F0, о EE, ж E6, е E5, к EA.
  const NameStoreResult result = SaveName(memory, 3, "Прожек");
  ASSERT_TRUE(result.stored);
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(Slot(memory, 3), (std::vector<int>{0xCF, 0xF0, 0xEE, 0xE6, 0xE5, 0xEA, 32, 32, 32, 32,
                                               32, 32, 32, 32, 32, 32}));
  BlanksToZero(memory);  // leaving the box
  EXPECT_EQ(Slot(memory, 3),
            (std::vector<int>{0xCF, 0xF0, 0xEE, 0xE6, 0xE5, 0xEA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(LoadName(memory, 3), "Прожек");
  // Neighbours untouched.
  EXPECT_EQ(Slot(memory, 2), std::vector<int>(16, 0));
  EXPECT_EQ(Slot(memory, 4), std::vector<int>(16, 0));

  // Only the first sixteen characters are stored.
  ASSERT_TRUE(SaveName(memory, 7, "ABCDEFGHIJKLMNOPQRS").stored);
  EXPECT_EQ(LoadName(memory, 7), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(memory.Get(512 + 16 * 8), 0);
  // An empty box stores sixteen blanks.
  ASSERT_TRUE(SaveName(memory, 7, "").stored);
  EXPECT_EQ(Slot(memory, 7), std::vector<int>(16, 32));
}

TEST(ChannelNames, LoadingShowsInnerZerosAsSpacesAndTrimsTheEnd) {
  ShowMemory memory;
  PutSlot(memory, 5, {'A', 0, 'B'});
  EXPECT_EQ(LoadName(memory, 5), "A B");
  EXPECT_EQ(Slot(memory, 5),
            (std::vector<int>{'A', 32, 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  PutSlot(memory, 6, std::vector<int>(16, 32));
  EXPECT_EQ(LoadName(memory, 6), "");
  EXPECT_EQ(Slot(memory, 6), std::vector<int>(16, 0));

  PutSlot(memory, 9, {0, 'X', 32, 0, 'Y', 32, 32});
  EXPECT_EQ(LoadName(memory, 9), " X  Y");
  EXPECT_EQ(Slot(memory, 9),
            (std::vector<int>{32, 'X', 32, 32, 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // Channel 255 is a name like the others; channel 256 does not exist.
  PutSlot(memory, 255, {'L', 'a', 's', 't'});
  EXPECT_EQ(LoadName(memory, 255), "Last");
  EXPECT_EQ(LoadName(memory, 256), "");
  EXPECT_EQ(memory.Get(4608), 0);
  EXPECT_FALSE(SaveName(memory, 256, "X").stored);
  EXPECT_FALSE(SaveName(memory, -1, "X").stored);
  EXPECT_EQ(memory.Get(4608), 0);
  EXPECT_EQ(memory.Get(511), 0);
}

TEST(ChannelNames, CodePage1251RoundTripsByteExact) {
  // Known letters: Ё A8, ё B8, № B9, « AB, » BB, € 88, А C0, Я DF, я FF.
  const std::array<std::uint8_t, 9> known = {0xA8, 0xB8, 0xB9, 0xAB, 0xBB, 0x88, 0xC0, 0xDF, 0xFF};
  EXPECT_EQ(DecodeCp1251(known), "Ёё№«»€АЯя");
  const Cp1251Text encoded = EncodeCp1251("Ёё№«»€АЯя", 16);
  ASSERT_TRUE(encoded.Ok());
  EXPECT_EQ(encoded.bytes, std::string(known.begin(), known.end()));

  // 0x98 has no letter in the code page: it shows as the control character U+0098 and is
  // stored back as 0x98.
  const std::array<std::uint8_t, 1> hole = {0x98};
  EXPECT_EQ(DecodeCp1251(hole), "\xC2\x98");
  EXPECT_EQ(EncodeCp1251("\xC2\x98", 16).bytes, "\x98");
  EXPECT_FALSE(EncodeCp1251("\xC2\x99", 16).Ok());  // U+0099 stands for no byte: 0x99 is ™

  // Every byte that is not a blank goes through box and back unchanged, 0x98 (which the code
  // page leaves undefined) included.
  ShowMemory memory;
  for (int b = 1; b < 256; ++b) {
    if (b == 32) continue;
    PutSlot(memory, 10, {'x', b, 'y'});
    const std::string text = LoadName(memory, 10);
    ASSERT_TRUE(SaveName(memory, 10, text).stored) << b;
    BlanksToZero(memory);
    ASSERT_EQ(Slot(memory, 10),
              (std::vector<int>{'x', b, 'y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}))
        << b;
  }

  // A whole Cyrillic name.
  PutSlot(memory, 11, {0xD1, 0xE2, 0xE5, 0xF2, 0x20, 0xB9, 0x31});  // "Свет №1"
  EXPECT_EQ(LoadName(memory, 11), "Свет №1");
  ASSERT_TRUE(SaveName(memory, 12, "Свет №1").stored);
  EXPECT_EQ(Slot(memory, 12), (std::vector<int>{0xD1, 0xE2, 0xE5, 0xF2, 32, 0xB9, 0x31, 32, 32, 32,
                                                32, 32, 32, 32, 32, 32}));
}

TEST(ChannelNames, CharactersOutsideTheCodePageAreRefused) {
  ShowMemory memory;
  ASSERT_TRUE(SaveName(memory, 4, "Пушка").stored);
  const std::vector<int> before = Slot(memory, 4);

  NameStoreResult result = SaveName(memory, 4, "Луч α");  // Greek alpha is not in 1251
  EXPECT_FALSE(result.stored);
  EXPECT_EQ(result.refused, U"α");
  EXPECT_EQ(Slot(memory, 4), before);

  result = SaveName(memory, 4, "αβα✓中");
  EXPECT_FALSE(result.stored);
  EXPECT_EQ(result.refused, U"αβ✓中");  // each refused character once, in order
  EXPECT_EQ(Slot(memory, 4), before);

  result = SaveName(memory, 4, "ok\xC3");  // cut-off UTF-8 sequence
  EXPECT_FALSE(result.stored);
  EXPECT_EQ(result.refused, U"\uFFFD");
  EXPECT_EQ(Slot(memory, 4), before);

  // A character beyond the sixteenth is never stored, so it is not refused either.
  result = SaveName(memory, 4, "0123456789ABCDEFα");
  EXPECT_TRUE(result.stored);
  EXPECT_EQ(LoadName(memory, 4), "0123456789ABCDEF");
}

TEST(ChannelNames, ClearAndBlankPassCoverTheWholeNameArea) {
  ShowMemory memory;
  memory.Fill(500, 4200, 32);  // spaces from before the names to past them
  memory.Set(512 + 16 * 255 + 15, 'Z');
  memory.Set(512 + 16 * 255 + 14, 32);
  BlanksToZero(memory);
  EXPECT_EQ(memory.Get(511), 32);  // the rate row is not names
  for (int i = 512; i < 4608; ++i) {
    if (i == 512 + 16 * 255 + 15) continue;
    ASSERT_EQ(memory.Get(i), 0) << i;
  }
  EXPECT_EQ(memory.Get(4607), 'Z');
  EXPECT_EQ(memory.Get(4608), 32);  // the pictures are not names

  memory.Fill(512, 4096, 'n');
  ClearChannelNames(memory);
  for (int i = 512; i < 4608; ++i) ASSERT_EQ(memory.Get(i), 0) << i;  // channel 255 whole
  EXPECT_EQ(memory.Get(511), 32);
  EXPECT_EQ(memory.Get(4608), 32);
}

TEST(ChannelNames, NameBlockCopy) {
  ShowState show;
  const char* names[] = {"", "Один", "Два", "Три", "Четыре", "Пять"};
  for (int c = 1; c <= 5; ++c) ASSERT_TRUE(SaveName(show.memory, c, names[c]).stored);
  BlanksToZero(show.memory);
  const std::vector<int> name1 = Slot(show.memory, 1);

  // 1..3 to 2: channels 2, 3 and 4 all get the old name of channel 1.
  EXPECT_EQ(CopyNameBlock(show, 1, 3, 2), NameCopyResult::kCopied);
  EXPECT_EQ(Slot(show.memory, 1), name1);
  EXPECT_EQ(Slot(show.memory, 2), name1);
  EXPECT_EQ(Slot(show.memory, 3), name1);
  EXPECT_EQ(Slot(show.memory, 4), name1);
  EXPECT_EQ(LoadName(show.memory, 5), "Пять");
  // The undo copy holds the names before the copy.
  EXPECT_EQ(LoadName(show.undoMemory, 3), "Три");

  // Downwards the block arrives unchanged: 4..5 to 1.
  EXPECT_EQ(CopyNameBlock(show, 4, 5, 1), NameCopyResult::kCopied);
  EXPECT_EQ(LoadName(show.memory, 1), "Один");
  EXPECT_EQ(LoadName(show.memory, 2), "Пять");

  // Up to the last channel and not a byte beyond: 1..2 to 254.
  show.memory.Set(4608, 77);
  EXPECT_EQ(CopyNameBlock(show, 1, 2, 254), NameCopyResult::kCopied);
  EXPECT_EQ(LoadName(show.memory, 254), "Один");
  EXPECT_EQ(LoadName(show.memory, 255), "Пять");
  EXPECT_EQ(show.memory.Get(4608), 77);

  // Last + target > 256: refused, nothing copied, but the undo copy is taken.
  SaveName(show.memory, 60, "Шестьдесят");
  show.undoMemory.Fill(0, kShowMemorySize, 0);
  EXPECT_EQ(CopyNameBlock(show, 1, 200, 60), NameCopyResult::kTooManyNames);
  EXPECT_EQ(LoadName(show.memory, 60), "Шестьдесят");
  EXPECT_EQ(LoadName(show.undoMemory, 60), "Шестьдесят");
  EXPECT_EQ(CopyNameBlock(show, 1, 255, 2), NameCopyResult::kTooManyNames);

  // First above last: nothing, no warning.
  EXPECT_EQ(CopyNameBlock(show, 20, 10, 30), NameCopyResult::kEmptyBlock);
  EXPECT_EQ(LoadName(show.memory, 30), "");
  // Numbers outside the spin edits' ranges copy nothing.
  EXPECT_EQ(CopyNameBlock(show, 0, 3, 10), NameCopyResult::kOutOfRange);
  EXPECT_EQ(CopyNameBlock(show, 1, 3, 0), NameCopyResult::kOutOfRange);
  EXPECT_EQ(CopyNameBlock(show, 255, 255, 1), NameCopyResult::kOutOfRange);
  EXPECT_EQ(LoadName(show.memory, 10), "");
}

}  // namespace
}  // namespace kalvetro
