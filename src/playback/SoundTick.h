// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kalvetro {

// The sound input: every 10 ms a level 00..99 arrives (as clipboard text, or from the audio
// input), drives a level gauge with a falling peak, an envelope and a gate, and beats found
// there are counted down by the skip count into the beat flag the sequencer waits for.

inline constexpr int kSoundScale = 320;  // one level step on the 0..32000 gauges
inline constexpr int kGaugeMax = 32000;
inline constexpr int kGaugeStart = 12000;    // the level gauge when the window opens
inline constexpr int kGateStart = 5000;      // gate and envelope before any slider moved
inline constexpr int kBeatHoldOffTicks = 7;  // 70 ms between two beats at the least
inline constexpr int kSkipMin = 1;           // skip slider 1..100
inline constexpr int kSkipMax = 100;
inline constexpr int kSpeedMin = 20;  // envelope and fall speed sliders 20..5000
inline constexpr int kSpeedMax = 5000;

// Working state of the sound tick (not saved), at its start-up values.
struct SoundState {
  int soundLevel = 0;              // last level read, 0..99
  int gateLevel = kGateStart;      // beat threshold on the 0..32000 scale
  int envelopeLevel = kGateStart;  // the envelope as computed in the last tick
  int holdOff = 0;                 // ticks still to wait after a beat
  int peakPassed = 0;              // 0 while a new hit's level rises or stays, 1 once it fell
  int beatLocked = 0;              // 1 after a beat until a later hit's peak has passed
  int levelFell = 1;               // the level fell since it last rose
  int skipCounter = 0;             // beats still to skip before the next beat flag
  std::uint8_t beatLamp = 0;       // position of the four-lamp beat display
  std::uint8_t beatFlag = 0;       // 1: a counted beat waits for the sequencer
  int gauge = kGaugeStart;         // value of the level gauge
  int envelopeBar = 0;             // value of the envelope bar, 0..32000

  bool operator==(const SoundState&) const = default;
};

// Slider positions the tick reads.
struct SoundSliders {
  int skip = 1;            // beats per counted beat
  int envelopeSpeed = 20;  // envelope step per tick
  int fallSpeed = 700;     // fall of the level gauge per tick
};

// What the controls show after one tick.
struct SoundView {
  bool read = false;    // false: no level this tick, nothing changed
  int soundLevel = 0;   // the level label, decimal without leading zeros
  int gauge = 0;        // level gauge
  int envelopeBar = 0;  // envelope bar
  int skipCounter = 0;  // skip label: skipCounter, " - ", skipPosition
  int skipPosition = 0;
  bool beat = false;       // a beat was detected in this tick; the two below then apply
  bool shapesRed = false;  // the trigger lamp: red, or else the button face colour
  int litLamp = 0;         // 1..4: that beat lamp lime and the other three grey; 0: unchanged
};

// Where the sound tick takes its level (0..99) from: the clipboard text in the window, the
// audio input anywhere.
class SoundLevelSource {
 public:
  virtual ~SoundLevelSource() = default;
  // The level now; nothing when it cannot be read this tick (the next tick tries again).
  virtual std::optional<int> ReadLevel() = 0;
  // The level will stay what it is until the source says otherwise (it wakes the show
  // runner), so a tick that changed nothing may let the sound clock rest.
  virtual bool Steady() const = 0;
};

// The level written as text by another program: the first two characters as decimal digits,
// a non-digit counting as 0, a single character taken as the units ("7" is 7, "A5" is 5,
// "123" is 12, "9x" is 90). An empty text reads as 0. Characters are counted in UTF-8.
int ParseSoundLevel(std::string_view text);

// The gate slider moved: the gate is (255 - position) * 120. Returns the new gate, which the
// gate gauge shows.
int ChangeGate(SoundState& state, int position);
// The skip slider moved: the counter starts again from the new count.
void ChangeSkip(SoundState& state, int position);

// One sound tick with the level 0..99 read. With countBeats false the beats the level shows
// are not counted (another beat source paces the show): the gauges and the lock run as ever.
SoundView SoundTick(SoundState& state, int level, const SoundSliders& sliders,
                    bool countBeats = true);
// A beat counted down by the skip count: on every skip-th beat the beat flag goes up and the
// beat lamps move on. Fills the beat part of `view`.
void CountBeat(SoundState& state, const SoundSliders& sliders, SoundView& view);
// One sound tick with the clipboard text; no text (the clipboard could not be read) changes
// nothing.
SoundView SoundTickText(SoundState& state, std::optional<std::string_view> text,
                        const SoundSliders& sliders);

}  // namespace kalvetro
