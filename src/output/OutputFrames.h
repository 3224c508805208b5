// SPDX-License-Identifier: GPL-3.0-or-later
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
// loads and stores; every access to it is a whole word, as the memory model asks of atomics.
struct OutputFrames {
  std::array<std::atomic<std::uint8_t>, 256> targetFrame{};
  std::array<std::atomic<std::uint8_t>, 256> stepTable{};

  // One slot of the output frame. The frame is shared in whole words only (every access to
  // a word is the same width), so a slot is read out of its word and written into it.
  std::uint8_t Output(int slot) const {
    std::uint8_t bytes[8];
    const std::uint64_t word = Word(slot / 8).load(kRelaxed);
    std::memcpy(bytes, &word, 8);
    return bytes[slot % 8];
  }
  // Tests and tools only: the tick publishes whole frames.
  void SetOutput(int slot, std::uint8_t v) {
    std::atomic_ref<std::uint64_t> word = Word(slot / 8);
    std::uint64_t expected = word.load(kRelaxed);
    std::uint64_t desired;
    do {
      std::uint8_t bytes[8];
      std::memcpy(bytes, &expected, 8);
      bytes[slot % 8] = v;
      std::memcpy(&desired, bytes, 8);
    } while (!word.compare_exchange_weak(expected, desired, kRelaxed));
  }
  // The whole output frame out of and into kFrameBytes bytes.
  void ReadFrame(std::uint8_t* to) const {
    for (int i = 0; i < kFrameWords; ++i) {
      const std::uint64_t word = Word(i).load(kRelaxed);
      std::memcpy(to + 8 * i, &word, 8);
    }
  }
  void WriteFrame(const std::uint8_t* from) {
    for (int i = 0; i < kFrameWords; ++i) {
      std::uint64_t word;
      std::memcpy(&word, from + 8 * i, 8);
      Word(i).store(word, kRelaxed);
    }
  }

 private:
  static constexpr auto kRelaxed = std::memory_order_relaxed;
  std::atomic_ref<std::uint64_t> Word(int i) const {
    return std::atomic_ref<std::uint64_t>(outputWords_[i]);
  }
  alignas(std::atomic_ref<std::uint64_t>::required_alignment) mutable std::array<
      std::uint64_t, kFrameWords> outputWords_{};
};

}  // namespace kalvetro
