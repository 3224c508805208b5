#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>

namespace kalvetro {

inline constexpr int kFrameSlots = 257;  // slots 0..256; slots 1..256 go out
inline constexpr int kFrameWords = (kFrameSlots + 7) / 8;
inline constexpr int kFrameBytes = kFrameWords * 8;  // the frame padded to whole words

// The frames of the output. The output frame is written by the output thread every 50 ms and
// read by the user interface (level display) and the sinks; the step table is written by the
// sequencer. Every access is a relaxed atomic, so that no access is a data race. The output
// frame is kept in eight-byte words, so that the tick reads and publishes a whole frame in 33
// loads and stores.
struct OutputFrames {
  std::array<std::atomic<std::uint8_t>, 256> targetFrame{};
  std::array<std::atomic<std::uint8_t>, 256> stepTable{};

  std::uint8_t Output(int slot) const {
    return std::atomic_ref<std::uint8_t>(Bytes()[slot]).load(std::memory_order_relaxed);
  }
  void SetOutput(int slot, std::uint8_t v) {
    std::atomic_ref<std::uint8_t>(Bytes()[slot]).store(v, std::memory_order_relaxed);
  }
  // The whole output frame out of and into kFrameBytes bytes.
  void ReadFrame(std::uint8_t* to) const {
    for (int i = 0; i < kFrameWords; ++i) {
      const std::uint64_t word = std::atomic_ref<std::uint64_t>(outputWords_[i]).load(kRelaxed);
      std::memcpy(to + 8 * i, &word, 8);
    }
  }
  void WriteFrame(const std::uint8_t* from) {
    for (int i = 0; i < kFrameWords; ++i) {
      std::uint64_t word;
      std::memcpy(&word, from + 8 * i, 8);
      std::atomic_ref<std::uint64_t>(outputWords_[i]).store(word, kRelaxed);
    }
  }

 private:
  static constexpr auto kRelaxed = std::memory_order_relaxed;
  // Bytes are reached through unsigned char, which may look at any object's bytes.
  std::uint8_t* Bytes() const { return reinterpret_cast<std::uint8_t*>(outputWords_.data()); }
  mutable std::array<std::uint64_t, kFrameWords> outputWords_{};
};

}  // namespace kalvetro
