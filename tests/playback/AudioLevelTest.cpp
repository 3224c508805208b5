// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "playback/AudioLevel.h"
#include "playback/SoundTick.h"

namespace kalvetro {
namespace {

constexpr int kRate = 48000;
constexpr int kChunk = kRate / 100;  // 10 ms

TEST(AudioLevel, PeakOnTheLogarithmicScale) {
  const std::vector<std::int16_t> silence(kChunk, 0);
  EXPECT_EQ(AudioLevel(silence), 0);
  EXPECT_EQ(AudioLevel(std::span<const std::int16_t>{}), 0);
  const std::vector<float> floatSilence(kChunk, 0.0F);
  EXPECT_EQ(AudioLevel(floatSilence), 0);

  // A 1 kHz sine at -6 dBFS: (40 - 6) / 40 * 99 = 84.15.
  const double amplitude = std::pow(10.0, -6.0 / 20.0);
  std::vector<std::int16_t> sine16(kChunk);
  std::vector<float> sineFloat(kChunk);
  for (int i = 0; i < kChunk; ++i) {
    const double v = amplitude * std::sin(2.0 * std::numbers::pi * 1000.0 * i / kRate);
    sine16[i] = static_cast<std::int16_t>(std::lround(v * 32768.0));
    sineFloat[i] = static_cast<float>(v);
  }
  EXPECT_EQ(AudioLevel(sine16), 84);
  EXPECT_EQ(AudioLevel(sineFloat), 84);

  // Full scale, either sign, is the top; -10 dBFS is 30 / 40 * 99 = 74.25.
  EXPECT_EQ(AudioLevel(std::vector<std::int16_t>{0, -32768, 5}), 99);
  EXPECT_EQ(AudioLevel(std::vector<std::int16_t>{32767}), 99);
  EXPECT_EQ(AudioLevelFromPeak(std::pow(10.0, -10.0 / 20.0)), 74);
  // -40 dBFS and below is 0; above full scale is still 99.
  EXPECT_EQ(AudioLevelFromPeak(0.01), 0);
  EXPECT_EQ(AudioLevelFromPeak(0.001), 0);
  EXPECT_EQ(AudioLevel(std::vector<std::int16_t>{1}), 0);
  EXPECT_EQ(AudioLevel(std::vector<float>{-1.5F, 0.2F}), 99);
  // Samples that are not numbers do not count.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(AudioLevel(std::vector<float>{nan, inf, 0.5F, -inf}), 84);
  EXPECT_EQ(AudioLevel(std::vector<float>{nan}), 0);
  EXPECT_EQ(AudioLevelFromPeak(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(AudioLevel, ClicksEveryHalfSecondBeatAtOneHundredTwentyPerMinute) {
  // 100 ms of silence, then a 1 ms click at the start of every 500 ms.
  constexpr int kSeconds = 3;
  std::vector<std::int16_t> audio(kRate * kSeconds + kRate / 10, 0);
  for (int start = kRate / 10; start < static_cast<int>(audio.size()); start += kRate / 2) {
    for (int i = 0; i < kRate / 1000; ++i) audio[start + i] = i % 2 == 0 ? 30000 : -30000;
  }

  SoundState state;
  const SoundSliders sliders;  // the sliders as the window opens
  std::vector<int> beatTicks;
  int flags = 0;
  const int chunks = static_cast<int>(audio.size()) / kChunk;
  for (int c = 0; c < chunks; ++c) {
    const std::span<const std::int16_t> chunk(audio.data() + c * kChunk, kChunk);
    if (SoundTick(state, AudioLevel(chunk), sliders).beat) beatTicks.push_back(c);
    flags += state.beatFlag;
    state.beatFlag = 0;  // taken by the sequencer
  }
  // Tick 0 is the start-up beat of the gauge's opening value; then one beat per click, each
  // one tick after its click, 50 ticks (500 ms) apart.
  EXPECT_EQ(beatTicks, (std::vector<int>{0, 11, 61, 111, 161, 211, 261}));
  EXPECT_EQ(flags, 7);
}

}  // namespace
}  // namespace kalvetro
