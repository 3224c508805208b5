// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "show/ShowState.h"

namespace kalvetro {

// Channel names: 16 bytes per channel in code page 1251 at kChannelNames + 16 * channel,
// padded at the end with 0 (or 32) bytes. Both 0 and 32 stand for a blank.

// Offset of the name of channel 0..255.
constexpr int NameOffset(int channel) {
  return kChannelNames + kChannelNameLength * channel;
}

// Code page 1251 <-> UTF-8 through the C library's converter. Decoding never fails: the one
// byte the code page leaves undefined (0x98) is shown as the control character of the same
// number (U+0098) and encodes back to that byte, so any stored name survives a round trip
// byte for byte.
std::string DecodeCp1251(std::span<const std::uint8_t> bytes);

// The result of encoding a text into code page 1251.
struct Cp1251Text {
  std::string bytes;       // one byte per character that the code page holds
  std::u32string refused;  // the characters it cannot hold, each once, in order of appearance
  bool Ok() const { return refused.empty(); }
};
// Encodes at most `maxCharacters` characters of a UTF-8 text (the rest is not looked at).
// A malformed UTF-8 sequence counts as one refused character U+FFFD.
Cp1251Text EncodeCp1251(std::string_view utf8, int maxCharacters);

// Loading a name into its box: makes every 0 byte of the channel's name a space and then every
// trailing space a 0 byte (this rewrites the name in the show), and returns the name's text up
// to its first 0 byte. A name of blanks only gives an empty text. A channel outside 0..255
// gives an empty text and changes nothing.
std::string LoadName(ShowMemory& memory, int channel);

// The outcome of storing a name.
struct NameStoreResult {
  bool stored = false;
  std::u32string refused;  // characters that code page 1251 cannot hold; nothing was stored
};
// Storing a name box: the first 16 characters of the text, padded with spaces to 16 bytes,
// become the channel's name. A text with a character outside code page 1251 is refused as a
// whole and the stored name stays as it was: a name is never stored with characters lost or
// replaced. A channel outside 0..255 stores nothing.
NameStoreResult SaveName(ShowMemory& memory, int channel, std::string_view utf8Text);

// After the name boxes were stored: every space byte of the name area becomes 0. Covers the
// whole area, the last name (channel 255) included.
void BlanksToZero(ShowMemory& memory);

// Clears every name: the whole name area, channel 255 included, becomes 0 bytes.
void ClearChannelNames(ShowMemory& memory);

// Spin edit ranges of the name block copy.
inline constexpr int kNameCopyFirstMax = 254;
inline constexpr int kNameCopyLastMax = 255;
inline constexpr int kNameCopyTargetMax = 254;

enum class NameCopyResult : std::uint8_t {
  kCopied,        // the names were copied
  kEmptyBlock,    // last < first: nothing to copy, no warning
  kTooManyNames,  // last + target > 256: warn " Копирование не выполнено: Максимальное число
                  // имен > 256 ! ", nothing copied
  kOutOfRange,    // a number outside its spin edit's range: nothing copied
};

// The block copy of the group "Имен ": the names of channels first..last go to the channels
// from target on. The undo copy is taken first, also when the copy is refused. The copy runs
// byte by byte upwards, so a target inside the block repeats the first names upwards (1..3 to 2
// gives channels 2, 3 and 4 the name of channel 1). The names never run past channel 255.
NameCopyResult CopyNameBlock(ShowState& show, int first, int last, int target);

}  // namespace kalvetro
