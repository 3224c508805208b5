// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "output/OutputPeriod.h"
#include "show/ShowState.h"

namespace kalvetro {

// Tempo slider range: the tempo byte of a show is the slider position.
inline constexpr int kTempoMin = 10;
inline constexpr int kTempoMax = 170;

// A tempo byte limited to the slider range. A show file may carry any byte here; 0 would give
// a zero timer interval and a division by zero in the scenes-per-minute figure.
int LimitTempo(int tempo);

// Sequencer interval in milliseconds for a tempo byte: t * t of the limited tempo
// (10 gives 100 ms, 44 gives 1936 ms, 170 gives 28,900 ms).
int SequencerInterval(int tempo);

// Whole scenes per minute at an interval (60000 div interval); an interval below 1 ms counts
// as 1 ms.
int ScenesPerMinute(int intervalMs);

// Number of output ticks in one scene period, limited to 1..255.
int FadeTicks(int intervalMs);

// Per-channel crossfade steps for the move into scene `scene`: for channel n = 1..255 the
// difference between its level in that scene and byte n of the 256 bytes just before the
// scene's row, divided by the number of output ticks of one period; 0 becomes 1. For scene 0
// the bytes before the row are the last 256 bytes of the area without meaning, not the last
// scene. Byte 0 of the table is left alone.
void FillStepTable(const ShowMemory& memory, std::uint8_t scene, int intervalMs,
                   std::array<std::atomic<std::uint8_t>, 256>& stepTable);

// What one sequencer tick did to the current step.
enum class SequencerAdvance {
  Held,     // sound pacing without a beat, or the show is stopped: the step stays
  Next,     // the step moved to the next scene
  Wrapped,  // the pass was over: the step went back to scene 0
};

// The gate and the advance of one sequencer tick: with sound pacing on, only a pending beat
// may advance; only a playing show advances; an advance consumes the beat and moves the
// current step (byte 131) on, wrapping to 0 after the last scene (byte 132).
SequencerAdvance AdvanceSequencer(ShowState& show, bool soundPaced);

}  // namespace kalvetro
