#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace kalvetro {

inline constexpr int kFrameSlots = 257;  // slots 0..256; slots 1..256 go out

// The frames of the output. Written by the output thread every 50 ms, read by the user
// interface (level display) and, for StepTable, written by the sequencer; every byte is a
// relaxed atomic so that no access is a data race.
struct OutputFrames {
  std::array<std::atomic<std::uint8_t>, kFrameSlots> outputFrame{};
  std::array<std::atomic<std::uint8_t>, 256> targetFrame{};
  std::array<std::atomic<std::uint8_t>, 256> stepTable{};

  std::uint8_t Output(int slot) const { return outputFrame[slot].load(std::memory_order_relaxed); }
  void SetOutput(int slot, std::uint8_t v) { outputFrame[slot].store(v, std::memory_order_relaxed); }
  void ClearOutput() {
    for (auto& slot : outputFrame) slot.store(0, std::memory_order_relaxed);
  }
};

}  // namespace kalvetro
