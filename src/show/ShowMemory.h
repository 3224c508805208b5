// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <span>

namespace kalvetro {

// Layout of the show image. The first kShowFileSize bytes are, byte for byte, a show file.
inline constexpr int kShowFileSize = 81920;
inline constexpr int kShowMemorySize = 81921;  // plus one spare byte that is never saved

inline constexpr int kHeaderText = 0;  // identification text, 128 bytes
inline constexpr int kHeaderTextLength = 128;
inline constexpr int kHeaderParams = 128;  // show-wide parameter bytes, 128 bytes
inline constexpr int kRateRow = 256;       // fade step of channel n at kRateRow + n
inline constexpr int kChannelNames = 512;  // name of channel n at kChannelNames + 16 * n
inline constexpr int kChannelNameLength = 16;
inline constexpr int kChannelNamesLength = 4096;
inline constexpr int kStaticPictures = 4608;  // 16 pictures of 512 bytes
inline constexpr int kPictureCount = 16;
inline constexpr int kPictureSize = 512;    // 256 include flags, then 256 levels
inline constexpr int kPictureLevels = 256;  // offset of the levels inside a picture
inline constexpr int kSelectFlags = 12800;  // byte n = 1: channel n selected
inline constexpr int kUnusedArea = 13056;   // 3328 bytes without meaning
inline constexpr int kUnusedAreaLength = 3328;
inline constexpr int kSceneRows = 16384;  // scene s at kSceneRows + 256 * s
inline constexpr int kRowSize = 256;
inline constexpr int kSceneCount = 256;
inline constexpr int kChannelCount = 255;  // channels 1..255 of a scene row
inline constexpr int kSpareByte = 81920;

// Header parameter bytes.
inline constexpr int kCurrentStep = 131;
inline constexpr int kLastScene = 132;
inline constexpr int kTempo = 133;
inline constexpr int kRateStep = 136;
inline constexpr int kColourOn = 138;
inline constexpr int kColourRed = 139;
inline constexpr int kColourGreen = 140;
inline constexpr int kColourBlue = 141;
inline constexpr int kAutomat1 = 145;  // tempo, channel, mode, bright, dark
inline constexpr int kAutomat2 = 150;
inline constexpr int kAutomatTempo = 0;
inline constexpr int kAutomatChannel = 1;
inline constexpr int kAutomatMode = 2;
inline constexpr int kAutomatBright = 3;
inline constexpr int kAutomatDark = 4;

inline constexpr char kIdentificationText[] = "it is DMX512 File KALVETRO USB Ver 3.1";

// Offset of the row of scene s. Every operation addresses the row it works on by scene number:
// there is no shared "current row", the output tick works out its own row from the current
// step every tick, and an edit of another scene can never be taken for the played one.
constexpr int SceneRowOffset(int scene) {
  return kSceneRows + kRowSize * scene;
}
// Offset of the first byte of static picture k (0..15).
constexpr int PictureOffset(int picture) {
  return kStaticPictures + kPictureSize * picture;
}

// The whole open show as one flat byte store. The output thread reads it every 50 ms while
// the user interface edits it, so every access is a relaxed atomic: a frame may mix old and new
// levels of a scene being edited, but no access is a data race and no lock is taken.
// The bytes are kept in 64-bit words so that the output can test eight flags with one load.
class ShowMemory {
 public:
  ShowMemory() = default;
  ShowMemory(const ShowMemory&) = delete;
  ShowMemory& operator=(const ShowMemory&) = delete;

  std::uint8_t Get(int index) const {
    return std::atomic_ref<std::uint8_t>(Byte(index)).load(std::memory_order_relaxed);
  }
  void Set(int index, std::uint8_t value) {
    std::atomic_ref<std::uint8_t>(Byte(index)).store(value, std::memory_order_relaxed);
  }
  // The eight bytes at offset..offset+7 (offset a multiple of 8) in one load: byte
  // offset + k is bits 8k..8k+7 of the result.
  std::uint64_t GetBlock(int offset) const {
    const std::uint64_t word =
        std::atomic_ref<std::uint64_t>(words_[offset / 8]).load(std::memory_order_relaxed);
    if constexpr (std::endian::native == std::endian::little) {
      return word;
    } else {
      return __builtin_bswap64(word);
    }
  }

  void Fill(int offset, int count, std::uint8_t value);
  // Copies bytes out of / into the store.
  void Read(int offset, std::span<std::uint8_t> out) const;
  void Write(int offset, std::span<const std::uint8_t> in);
  // Copies count bytes inside the store; overlapping ranges behave like memmove.
  void Move(int from, int to, int count);
  // Whole-store copy (undo copy and its restore).
  void CopyFrom(const ShowMemory& other);

 private:
  static constexpr int kWords = (kShowMemorySize + 7) / 8;
  // Bytes are reached through unsigned char, which may look at any object's bytes.
  std::uint8_t& Byte(int index) const {
    return reinterpret_cast<std::uint8_t*>(words_.data())[index];
  }

  mutable std::array<std::uint64_t, kWords> words_{};
};

// Clamps an edited value into a level.
constexpr std::uint8_t ClampLevel(int value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace kalvetro
