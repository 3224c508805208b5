// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "playback/SoundTick.h"

namespace kalvetro {
namespace {

TEST(SoundTick, ClipboardTextGivesTheLevel) {
  EXPECT_EQ(ParseSoundLevel("7"), 7);
  EXPECT_EQ(ParseSoundLevel("A5"), 5);
  EXPECT_EQ(ParseSoundLevel("123"), 12);
  EXPECT_EQ(ParseSoundLevel("9x"), 90);
  EXPECT_EQ(ParseSoundLevel("1111111"), 11);
  EXPECT_EQ(ParseSoundLevel("99"), 99);
  EXPECT_EQ(ParseSoundLevel("05"), 5);
  EXPECT_EQ(ParseSoundLevel("x"), 0);
  EXPECT_EQ(ParseSoundLevel(""), 0);
  EXPECT_EQ(ParseSoundLevel(" 8"), 8);
  // A letter of several bytes is one character and no digit.
  EXPECT_EQ(ParseSoundLevel("\xD1\x91"), 0);  // "ё" alone
  EXPECT_EQ(ParseSoundLevel("\xD1\x91"
                            "5"),
            5);                                 // "ё5"
  EXPECT_EQ(ParseSoundLevel("5\xD1\x91"), 50);  // "5ё"
  EXPECT_EQ(ParseSoundLevel("4\xE2\x82\xAC"
                            "9"),
            40);  // "4€9": the 9 is the third character

  // No text at all: the tick changes nothing.
  SoundState state;
  state.gauge = 777;
  state.holdOff = 3;
  const SoundView view = SoundTickText(state, std::nullopt, {});
  EXPECT_FALSE(view.read);
  EXPECT_EQ(state.gauge, 777);
  EXPECT_EQ(state.holdOff, 3);
  EXPECT_EQ(state.envelopeBar, 0);

  const SoundView read = SoundTickText(state, "42", {});
  EXPECT_TRUE(read.read);
  EXPECT_EQ(read.soundLevel, 42);
  EXPECT_EQ(state.soundLevel, 42);
}

TEST(SoundTick, GateDecidesBetweenFortyEightAndFortyNine) {
  SoundState state;
  EXPECT_EQ(ChangeGate(state, 0), 30600);
  EXPECT_EQ(ChangeGate(state, 255), 0);
  EXPECT_EQ(ChangeGate(state, 127), 15360);
  EXPECT_EQ(state.gateLevel, 15360);

  // Level 48 (15360) reaches the gate but never goes above it.
  for (int tick = 0; tick < 20; ++tick) {
    const SoundView view = SoundTick(state, 48, {});
    ASSERT_FALSE(view.beat) << tick;
    ASSERT_EQ(state.beatFlag, 0);
  }
  // Level 49 (15680) does.
  const SoundView view = SoundTick(state, 49, {});
  EXPECT_TRUE(view.beat);
  EXPECT_EQ(state.beatFlag, 1);
  EXPECT_EQ(view.soundLevel, 49);

  SoundState fresh;
  ChangeGate(fresh, 127);
  EXPECT_TRUE(SoundTick(fresh, 49, {}).beat);
}

// Feeds one tick of level 99 and then silence, `ticks` ticks in all; returns the ticks with a
// beat, counted from `start`.
std::vector<int> Click(SoundState& state, const SoundSliders& sliders, int ticks, int start,
                       std::vector<SoundView>* views = nullptr) {
  std::vector<int> beats;
  for (int t = 0; t < ticks; ++t) {
    const SoundView view = SoundTick(state, t == 0 ? 99 : 0, sliders);
    if (view.beat) beats.push_back(start + t);
    if (views != nullptr && view.beat) views->push_back(view);
  }
  return beats;
}

TEST(SoundTick, SkipCountRaisesTheFlagOnTheFirstBeatThenEveryThird) {
  SoundState state;
  SoundSliders sliders;
  sliders.skip = 3;
  std::vector<SoundView> views;
  std::vector<int> flagged;
  for (int click = 0; click < 10; ++click) {
    const auto beats = Click(state, sliders, 50, click * 50, &views);
    ASSERT_EQ(beats.size(), 1U) << "click " << click;
    if (state.beatFlag == 1) flagged.push_back(click + 1);
    state.beatFlag = 0;  // the sequencer takes it
  }
  EXPECT_EQ(flagged, (std::vector<int>{1, 4, 7, 10}));
  ASSERT_EQ(views.size(), 10U);

  // The skip label shows the counter as it was before the beat of the tick.
  EXPECT_EQ(views[0].skipCounter, 0);
  EXPECT_EQ(views[1].skipCounter, 3);
  EXPECT_EQ(views[2].skipCounter, 2);
  EXPECT_EQ(views[1].skipPosition, 3);
  // The trigger lamp is red when the counter left by the beat is even: 3, 2, 1, 3, 2, ...
  const bool red[] = {false, true, false, false, true, false, false, true, false, false};
  // Beat lamps: the position moves on each flagged beat: 1, 1, 1, 2, 2, 2, 3 (then 0), 4, 4, 1.
  const int lamps[] = {1, 1, 1, 2, 2, 2, 3, 4, 4, 1};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(views[i].shapesRed, red[i]) << "beat " << i + 1;
    EXPECT_EQ(views[i].litLamp, lamps[i]) << "beat " << i + 1;
  }

  // Moving the slider restarts the count: the flag then comes on the third beat.
  SoundState moved;
  ChangeSkip(moved, 3);
  std::vector<int> movedFlags;
  for (int click = 0; click < 6; ++click) {
    Click(moved, sliders, 50, 0);
    if (moved.beatFlag == 1) movedFlags.push_back(click + 1);
    moved.beatFlag = 0;
  }
  EXPECT_EQ(movedFlags, (std::vector<int>{3, 6}));
}

TEST(SoundTick, HoldOffAndRisingLevelGiveOneBeat) {
  // A level that rises tick after tick gives one beat, however long it rises.
  SoundState rising;
  int beats = 0;
  for (int level = 40; level <= 97; level += 3) beats += SoundTick(rising, level, {}).beat;
  EXPECT_EQ(beats, 1);
  // Once it falls back a new beat may come.
  EXPECT_TRUE(SoundTick(rising, 0, {}).beat);

  // Two hits 30 ms apart: the second one's beat waits until 70 ms after the first.
  SoundState state;
  const int levels[] = {99, 0, 0, 99, 0, 0, 0, 0};
  std::vector<int> beatTicks;
  for (int t = 0; t < 8; ++t) {
    if (SoundTick(state, levels[t], {}).beat) beatTicks.push_back(t);
  }
  EXPECT_EQ(beatTicks, (std::vector<int>{0, 7}));

  // A single hit gives one beat, not a second one when its hold-off runs out.
  SoundState single;
  EXPECT_EQ(Click(single, {}, 60, 0), (std::vector<int>{0}));
  // The same for a hit after a quiet passage: a bump below the gate rises and passes, which
  // opens the lock without a beat; the hit then beats at once, and only once.
  EXPECT_FALSE(SoundTick(single, 10, {}).beat);
  EXPECT_FALSE(SoundTick(single, 0, {}).beat);
  EXPECT_EQ(single.beatLocked, 0);
  EXPECT_EQ(Click(single, {}, 60, 0), (std::vector<int>{0}));
}

// A hit whose level stays on the input for several ticks (a program writing the clipboard 20
// times a second holds each level five ticks), or whose attack is spread over two ticks, is one
// beat; the skip count counts hits.
TEST(SoundTick, OneHitGivesOneBeatHoweverLongItsLevelStays) {
  SoundSliders sliders;
  sliders.skip = 3;
  for (const int held : {1, 2, 5, 10}) {
    for (const bool spread : {false, true}) {
      SoundState state;
      std::vector<int> beatsPerHit;
      std::vector<int> flagged;
      for (int hit = 1; hit <= 7; ++hit) {
        std::vector<int> levels;
        if (spread) levels.push_back(40);
        levels.insert(levels.end(), held, 80);
        levels.resize(levels.size() + 40, 0);
        int beats = 0;
        for (const int level : levels) beats += SoundTick(state, level, sliders).beat ? 1 : 0;
        beatsPerHit.push_back(beats);
        if (state.beatFlag == 1) flagged.push_back(hit);
        state.beatFlag = 0;
      }
      EXPECT_EQ(beatsPerHit, std::vector<int>(7, 1)) << held << " ticks, spread " << spread;
      EXPECT_EQ(flagged, (std::vector<int>{1, 4, 7})) << held << " ticks, spread " << spread;
    }
  }
}

TEST(SoundTick, GaugeFallsByTheFallSpeedAndRestsAboveZero) {
  SoundState state;
  SoundSliders sliders;  // fall speed 700
  SoundTick(state, 99, sliders);
  EXPECT_EQ(state.gauge, 31680 - 700);
  for (int t = 1; t <= 44; ++t) {
    const SoundView view = SoundTick(state, 0, sliders);
    ASSERT_EQ(view.gauge, 31680 - 700 * (t + 1)) << t;
  }
  EXPECT_EQ(state.gauge, 180);  // 45 falls, 450 ms
  for (int t = 0; t < 20; ++t) SoundTick(state, 0, sliders);
  EXPECT_EQ(state.gauge, 180);
  // A level above the resting gauge lifts it again.
  SoundTick(state, 1, sliders);
  EXPECT_EQ(state.gauge, 320);
}

TEST(SoundTick, EnvelopeFollowsTheGaugeAndBlocksBeatsBelowIt) {
  SoundSliders sliders;
  sliders.envelopeSpeed = 5000;
  sliders.fallSpeed = 20;
  SoundState state;
  const int expected[] = {5000, 10000, 15000, 15000, 15000};
  for (int e : expected) {
    const SoundView view = SoundTick(state, 50, sliders);  // gauge 16000
    EXPECT_EQ(state.envelopeLevel, e);
    EXPECT_EQ(view.envelopeBar, e);
  }

  // Falling past 0: the level goes below, the bar stops at 0.
  state.gauge = 1000;
  state.envelopeBar = 3000;
  SoundTick(state, 0, sliders);
  EXPECT_EQ(state.envelopeLevel, -2000);
  EXPECT_EQ(state.envelopeBar, 0);
  SoundTick(state, 0, sliders);  // gauge 980: a step up would overshoot it, so no move
  EXPECT_EQ(state.envelopeLevel, 0);

  // Gauge above the gate but below the envelope: no beat.
  SoundState above;
  ChangeGate(above, 255);
  above.gauge = 10000;
  above.envelopeBar = 12000;
  SoundSliders slow;
  const SoundView blocked = SoundTick(above, 0, slow);
  EXPECT_EQ(above.envelopeLevel, 11980);
  EXPECT_FALSE(blocked.beat);
  EXPECT_EQ(above.beatFlag, 0);
}

}  // namespace
}  // namespace kalvetro
