// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/Sequencer.h"

#include <algorithm>
#include <cstdlib>

namespace kalvetro {

int LimitTempo(int tempo) {
  return std::clamp(tempo, kTempoMin, kTempoMax);
}

int SequencerInterval(int tempo) {
  const int t = LimitTempo(tempo);
  return t * t;
}

int ScenesPerMinute(int intervalMs) {
  return 60000 / std::max(intervalMs, 1);
}

int FadeTicks(int intervalMs) {
  return std::clamp(intervalMs / kOutputPeriodMs, 1, 255);
}

void FillStepTable(const ShowMemory& memory, std::uint8_t scene, int intervalMs,
                   std::array<std::atomic<std::uint8_t>, 256>& stepTable) {
  const int ticks = FadeTicks(intervalMs);
  const int row = SceneRowOffset(scene);
  const int before = row - kRowSize;  // scene - 1, or the area without meaning for scene 0
  for (int n = 1; n <= 255; ++n) {
    const int change = std::abs(memory.Get(row + n) - memory.Get(before + n));
    const int step = std::max(change / ticks, 1);
    stepTable[n].store(static_cast<std::uint8_t>(step), std::memory_order_relaxed);
  }
}

SequencerAdvance AdvanceSequencer(ShowState& show, bool soundPaced) {
  if (soundPaced && show.beatFlag.load() != 1) return SequencerAdvance::Held;
  if (!show.playing.load()) return SequencerAdvance::Held;
  show.beatFlag.store(0);
  const std::uint8_t step = show.CurrentStep();
  if (step < show.LastScene()) {
    show.memory.Set(kCurrentStep, static_cast<std::uint8_t>(step + 1));
    return SequencerAdvance::Next;
  }
  show.memory.Set(kCurrentStep, 0);
  return SequencerAdvance::Wrapped;
}

}  // namespace kalvetro
