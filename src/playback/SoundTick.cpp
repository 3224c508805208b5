// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/SoundTick.h"

#include <algorithm>

namespace kalvetro {
namespace {

int DigitOrZero(unsigned char c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

// Beat lamp lit for a lamp position: 0 lights lamp 4, 1..3 light lamps 1..3; position 3 also
// starts the round again. Any other position leaves the lamps as they are.
int LightBeatLamp(std::uint8_t& beatLamp) {
  switch (beatLamp) {
    case 0:
      return 4;
    case 1:
      return 1;
    case 2:
      return 2;
    case 3:
      beatLamp = 0;
      return 3;
    default:
      return 0;
  }
}

}  // namespace

int ParseSoundLevel(std::string_view text) {
  // Only the first two characters count, and whether there is just one. A character starts at
  // every byte that is not a UTF-8 continuation byte; a character of several bytes is no digit.
  int digits[2] = {0, 0};
  int count = 0;
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    if ((c & 0xC0) == 0x80) continue;
    if (count == 2) {
      count = 3;
      break;
    }
    digits[count++] = DigitOrZero(c);
  }
  // A single character is the units, as if a 0 stood in front of it.
  if (count == 1) return digits[0];
  return digits[0] * 10 + digits[1];
}

int ChangeGate(SoundState& state, int position) {
  state.gateLevel = (255 - std::clamp(position, 0, 255)) * 120;
  return state.gateLevel;
}

void ChangeSkip(SoundState& state, int position) {
  state.skipCounter = std::clamp(position, kSkipMin, kSkipMax);
}

void CountBeat(SoundState& state, const SoundSliders& sliders, SoundView& view) {
  const int skip = std::clamp(sliders.skip, kSkipMin, kSkipMax);
  view.beat = true;
  if (--state.skipCounter <= 0) {
    state.beatFlag = 1;
    state.skipCounter = skip;
    ++state.beatLamp;
  }
  view.shapesRed = state.skipCounter % 2 == 0;
  view.litLamp = LightBeatLamp(state.beatLamp);
  view.skipCounter = state.skipCounter;
  view.skipPosition = skip;
}

SoundView SoundTick(SoundState& state, int level, const SoundSliders& sliders, bool countBeats) {
  const int skip = std::clamp(sliders.skip, kSkipMin, kSkipMax);
  const int envelopeSpeed = std::clamp(sliders.envelopeSpeed, kSpeedMin, kSpeedMax);
  const int fallSpeed = std::clamp(sliders.fallSpeed, kSpeedMin, kSpeedMax);

  SoundView view;
  view.read = true;
  const int previous = state.soundLevel;
  state.soundLevel = std::clamp(level, 0, 99);
  view.soundLevel = state.soundLevel;
  view.skipCounter = state.skipCounter;
  view.skipPosition = skip;

  // Level gauge: it jumps up to a higher level.
  const int scaled = state.soundLevel * kSoundScale;
  if (scaled > state.gauge) state.gauge = scaled;

  // Hits: a hit begins when the level rises after it had fallen, or rises once the hold-off of
  // the last beat is over; its peak has passed when the level falls again, which lets a new
  // beat be found. A rise within the hold-off with no fall before it is the same hit's attack
  // going on. The gauge cannot tell hits apart: it falls between ticks, so a level that stays
  // up for several ticks (a program that writes the clipboard 20 times a second, a ringing
  // drum) lifts it again every tick, and its fall would open the lock for a second beat of the
  // same hit.
  if (state.soundLevel > previous) {
    if (state.levelFell != 0 || state.holdOff <= 0) state.peakPassed = 0;
    state.levelFell = 0;
  } else if (state.soundLevel < previous) {
    state.levelFell = 1;
    if (state.peakPassed == 0) {
      state.peakPassed = 1;
      state.beatLocked = 0;
    }
  }

  // Envelope: a step up only while that keeps it at or below the gauge, a step down whenever
  // it is above (it may then end below the gauge; the bar shows no less than 0).
  const int g = state.gauge;
  int e = state.envelopeBar;
  if (e < g) e += envelopeSpeed;
  if (e > g) e -= envelopeSpeed;
  state.envelopeBar = std::clamp(e, 0, kGaugeMax);
  state.envelopeLevel = e;

  // The hold-off counts down to 0 and rests there; only "0 or less" matters to the test below.
  if (state.holdOff > 0) --state.holdOff;

  if (g > state.gateLevel && state.beatLocked == 0 && state.holdOff <= 0 &&
      g > state.envelopeLevel) {
    if (countBeats) {
      const int shownCounter = view.skipCounter;
      CountBeat(state, sliders, view);
      view.skipCounter = shownCounter;  // the label shows the counter as the tick found it
    }
    state.holdOff = kBeatHoldOffTicks;
    state.beatLocked = 1;
    // The hit this beat was found on must not release the lock when it falls, or it would
    // give a second beat as soon as the hold-off ends: only the peak of a later hit does.
    state.peakPassed = 1;
  }

  // The gauge falls by the fall speed, and stays put when that would take it below 0.
  const int fallen = state.gauge - fallSpeed;
  if (fallen >= 0) state.gauge = fallen;

  view.gauge = state.gauge;
  view.envelopeBar = state.envelopeBar;
  return view;
}

SoundView SoundTickText(SoundState& state, std::optional<std::string_view> text,
                        const SoundSliders& sliders) {
  if (!text) return {};
  return SoundTick(state, ParseSoundLevel(*text), sliders);
}

}  // namespace kalvetro
