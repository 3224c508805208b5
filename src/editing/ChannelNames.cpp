// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ChannelNames.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>

#include "editing/SceneList.h"

namespace kalvetro {

namespace {

constexpr char kCodePage[] = "CP1251";
constexpr const char* kUnicode =
    std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
constexpr char32_t kReplacement = 0xFFFD;
constexpr std::uint8_t kSpace = 32;

// One iconv conversion descriptor, closed when it goes out of scope. Converts one character at
// a time, so that a character the target cannot hold is known exactly.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `length` input bytes that form one character; returns the number of output bytes
  // written to `out`, or -1 when the character has no equivalent.
  int Convert(const void* in, std::size_t length, void* out, std::size_t capacity) {
    if (!Ok()) return -1;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char* inPtr = static_cast<char*>(const_cast<void*>(in));
    char* outPtr = static_cast<char*>(out);
    std::size_t inLeft = length;
    std::size_t outLeft = capacity;
    const std::size_t done = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
    // Irreversible conversions (a count above 0) would store a substitute: refused as well.
    if (done != 0 || inLeft != 0) return -1;
    return static_cast<int>(capacity - outLeft);
  }

 private:
  iconv_t cd_;
};

// Code point of one code page byte, or -1 when the code page does not define it.
long DecodeByte(Converter& converter, std::uint8_t byte) {
  if (byte < 0x80) return byte;  // the code page is ASCII below 128
  char32_t unit = 0;
  if (converter.Convert(&byte, 1, &unit, sizeof unit) != sizeof unit) return -1;
  return static_cast<long>(unit);
}

// Code page byte of one character, or -1 when the code page cannot hold it.
int EncodeCharacter(Converter& encoder, Converter& decoder, char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  std::uint8_t byte = 0;
  if (encoder.Convert(&c, sizeof c, &byte, 1) == 1) return byte;
  // The control characters 0x80..0x9F stand for the code page bytes that have no character.
  if (c <= 0x9F && DecodeByte(decoder, static_cast<std::uint8_t>(c)) < 0)
    return static_cast<int>(c);
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Reads one character of a UTF-8 text at `pos` and moves past it. A malformed sequence gives
// U+FFFD and moves past its first byte.
char32_t NextUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<std::uint8_t>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  const std::size_t start = pos;
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size()) {
      pos = start;
      return kReplacement;
    }
    const auto next = static_cast<std::uint8_t>(text[pos]);
    if ((next & 0xC0) != 0x80) {
      pos = start;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3F);
    ++pos;
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    pos = start;
    return kReplacement;
  }
  return c;
}

bool ValidChannel(int channel) {
  return channel >= 0 && channel < kRowSize;
}

}  // namespace

std::string DecodeCp1251(std::span<const std::uint8_t> bytes) {
  Converter decoder(kUnicode, kCodePage);
  std::string out;
  for (const std::uint8_t byte : bytes) {
    const long c = DecodeByte(decoder, byte);
    // A byte without a character (only 0x98 in the code page) shows as the control character
    // of the same number. Should the converter be missing, the letters above 0x9F show as
    // U+FFFD, which a later store refuses, so the stored name is kept as it is.
    AppendUtf8(out, c < 0 ? static_cast<char32_t>(byte < 0xA0 ? byte : kReplacement)
                          : static_cast<char32_t>(c));
  }
  return out;
}

Cp1251Text EncodeCp1251(std::string_view utf8, int maxCharacters) {
  Converter encoder(kCodePage, kUnicode);
  Converter decoder(kUnicode, kCodePage);
  Cp1251Text result;
  std::size_t pos = 0;
  for (int count = 0; count < maxCharacters && pos < utf8.size(); ++count) {
    const char32_t c = NextUtf8(utf8, pos);
    const int byte = c == kReplacement ? -1 : EncodeCharacter(encoder, decoder, c);
    if (byte >= 0) {
      result.bytes += static_cast<char>(byte);
    } else if (result.refused.find(c) == std::u32string::npos) {
      result.refused += c;
    }
  }
  return result;
}

std::string LoadName(ShowMemory& memory, int channel) {
  if (!ValidChannel(channel)) return {};
  const int offset = NameOffset(channel);
  for (int i = 0; i < kChannelNameLength; ++i)
    if (memory.Get(offset + i) == 0) memory.Set(offset + i, kSpace);
  for (int i = kChannelNameLength - 1; i >= 0 && memory.Get(offset + i) == kSpace; --i)
    memory.Set(offset + i, 0);
  std::array<std::uint8_t, kChannelNameLength> name{};
  memory.Read(offset, name);
  int length = 0;
  while (length < kChannelNameLength && name[length] != 0) ++length;
  return DecodeCp1251(std::span<const std::uint8_t>(name.data(), length));
}

NameStoreResult SaveName(ShowMemory& memory, int channel, std::string_view utf8Text) {
  NameStoreResult result;
  if (!ValidChannel(channel)) return result;
  const Cp1251Text text = EncodeCp1251(utf8Text, kChannelNameLength);
  if (!text.Ok()) {
    result.refused = text.refused;
    return result;
  }
  std::array<std::uint8_t, kChannelNameLength> name;
  name.fill(kSpace);
  for (std::size_t i = 0; i < text.bytes.size(); ++i)
    name[i] = static_cast<std::uint8_t>(text.bytes[i]);
  memory.Write(NameOffset(channel), name);
  result.stored = true;
  return result;
}

void BlanksToZero(ShowMemory& memory) {
  for (int i = kChannelNames; i < kChannelNames + kChannelNamesLength; ++i)
    if (memory.Get(i) == kSpace) memory.Set(i, 0);
}

void ClearChannelNames(ShowMemory& memory) {
  memory.Fill(kChannelNames, kChannelNamesLength, 0);
}

NameCopyResult CopyNameBlock(ShowState& show, int first, int last, int target) {
  TakeUndoCopy(show);
  if (first < 1 || first > kNameCopyFirstMax || last < 1 || last > kNameCopyLastMax || target < 1 ||
      target > kNameCopyTargetMax)
    return NameCopyResult::kOutOfRange;
  if (last + target > 256) return NameCopyResult::kTooManyNames;
  if (last < first) return NameCopyResult::kEmptyBlock;
  // Upwards, one byte at a time: a target inside the block repeats its first names.
  const int shift = kChannelNameLength * (target - first);
  for (int i = kChannelNameLength * first; i <= kChannelNameLength * last + 15; ++i)
    show.memory.Set(kChannelNames + i + shift, show.memory.Get(kChannelNames + i));
  return NameCopyResult::kCopied;
}

}  // namespace kalvetro
