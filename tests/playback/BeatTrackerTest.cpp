// SPDX-License-Identifier: GPL-3.0-or-later
// The beat tracker and the beat grid, fed straight with samples made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "playback/BeatPredictor.h"
#include "playback/BeatTracker.h"

namespace kalvetro {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr double kPi = 3.14159265358979323846;

// A kick drum (a falling sine with a click) on every beat, from `first` seconds on.
std::vector<float> Kicks(double bpm, double seconds, int rate, double first = 0.5,
                         double gain = 0.8) {
  std::vector<float> out(static_cast<std::size_t>(seconds * rate), 0.0f);
  const double period = 60.0 / bpm;
  for (double t = first; t < seconds; t += period) {
    const auto start = static_cast<std::size_t>(t * rate);
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.15 * rate) && start + i < out.size();
         ++i) {
      const double s = static_cast<double>(i) / rate;
      const double f = 50.0 + 100.0 * std::exp(-s * 30.0);
      out[start + i] += static_cast<float>(gain * std::exp(-s * 20.0) * std::sin(2 * kPi * f * s));
      if (i < 40) out[start + i] += static_cast<float>(gain * 0.5 * (1.0 - i / 40.0));
    }
  }
  return out;
}

// Feeds samples in blocks of `block` as a live input would, the block's last sample heard at
// start + its position; returns the beats.
std::vector<TrackedBeat> Track(BeatTracker& tracker, const std::vector<float>& pcm, int rate,
                               Clock::time_point start, std::size_t block = 441) {
  std::vector<TrackedBeat> beats;
  for (std::size_t at = 0; at < pcm.size(); at += block) {
    const std::size_t n = std::min(block, pcm.size() - at);
    const auto last = start + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>((at + n - 1.0) / rate));
    tracker.Feed(std::span(pcm).subspan(at, n), rate, last, beats);
  }
  return beats;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The distance (s) of a beat heard at `t` from the nearest beat of the grid first + k * period.
double OffGrid(double t, double first, double period) {
  const double k = std::round((t - first) / period);
  return std::abs(t - first - k * period);
}

// Drum loops at known tempi and both usual rates: the tracker finds the tempo, its first beat
// within four seconds, and beats on the grid from then on.
TEST(BeatTracker, FindsTheBeatsOfDrumLoops) {
  const Clock::time_point start = Clock::now();
  for (const double bpm : {90.0, 120.0, 128.0}) {
    for (const int rate : {44100, 48000}) {
      SCOPED_TRACE(testing::Message() << bpm << " BPM at " << rate << " Hz");
      BeatTracker tracker;
      const std::vector<TrackedBeat> beats =
          Track(tracker, Kicks(bpm, 20, rate), rate, start, rate / 100);
      ASSERT_FALSE(beats.empty());
      EXPECT_LT(Seconds(beats.front().time - start), 4.0);
      EXPECT_NEAR(tracker.Bpm(), bpm, bpm * 0.03);
      const double period = 60.0 / bpm;
      int onGrid = 0;
      for (const TrackedBeat& beat : beats)
        if (OffGrid(Seconds(beat.time - start), 0.5, period) <= 0.07) ++onGrid;
      EXPECT_GE(onGrid, static_cast<int>(beats.size()) * 9 / 10);
      // Nearly every beat of the loop after the first one heard.
      const double heard = 20.0 - Seconds(beats.front().time - start);
      EXPECT_GE(static_cast<double>(beats.size()), 0.85 * heard / period);
    }
  }
}

// A drum loop of a bar of 4/4: kick on 1 and 3, snare (a noise burst) on 2 and 4, a soft closed
// hi-hat (a short high burst) on every eighth.
std::vector<float> Loop(double bpm, double seconds, int rate) {
  std::vector<float> out = Kicks(bpm / 2, seconds, rate, 0.5);
  std::mt19937 random(3);
  std::uniform_real_distribution<float> white(-1.0f, 1.0f);
  const double period = 60.0 / bpm;
  int beat = 0;
  for (double t = 0.5; t < seconds; t += period, ++beat) {
    const auto put = [&](double at, double gain, double length, double decay, bool high) {
      const auto start = static_cast<std::size_t>(at * rate);
      float before = 0.0f;
      for (std::size_t i = 0; i < static_cast<std::size_t>(length * rate) && start + i < out.size();
           ++i) {
        const float w = white(random);
        const float s = high ? w - before : w;  // a first difference: mostly high frequencies
        before = w;
        out[start + i] += static_cast<float>(gain * std::exp(-decay * i / rate)) * s;
      }
    };
    if (beat % 2 == 1) put(t, 0.6, 0.15, 25.0, false);
    put(t, 0.1, 0.05, 80.0, true);
    put(t + period / 2, 0.07, 0.05, 80.0, true);
  }
  return out;
}

// The beats of a loop on the true grid from the tenth second on: how many, and how many of them
// within 50 ms of it.
std::pair<int, int> LateBeatsOnGrid(const std::vector<TrackedBeat>& beats, Clock::time_point start,
                                    double period) {
  int late = 0;
  int onGrid = 0;
  for (const TrackedBeat& beat : beats) {
    const double t = Seconds(beat.time - start);
    if (t < 10.0) continue;
    ++late;
    if (OffGrid(t, 0.5, period) < 0.05) ++onGrid;
  }
  return {late, onGrid};
}

// At 174 BPM aubio alone settles on half the tempo, a beat on every kick; the snares between
// them are as strong, so the tracker takes the double tempo and reports every beat. At 90 BPM
// the eighths between the beats are soft hi-hats: the tempo stays 90.
TEST(BeatTracker, ChoosesTheOctaveByTheOffBeats) {
  const Clock::time_point start = Clock::now();
  for (const int rate : {44100, 48000}) {
    for (const double bpm : {174.0, 90.0}) {
      SCOPED_TRACE(testing::Message() << bpm << " BPM at " << rate << " Hz");
      BeatTracker tracker;
      const std::vector<TrackedBeat> beats =
          Track(tracker, Loop(bpm, 30, rate), rate, start, rate / 100);
      EXPECT_NEAR(tracker.Bpm(), bpm, bpm * 0.03);
      EXPECT_EQ(tracker.Doubled(), bpm > 100);
      // Beats of the last 20 s: nearly every beat, each on the grid.
      const double period = 60.0 / bpm;
      const auto [late, onGrid] = LateBeatsOnGrid(beats, start, period);
      EXPECT_GE(late, static_cast<int>(0.9 * 20.0 / period));
      EXPECT_LE(late, static_cast<int>(1.1 * 20.0 / period) + 1);
      EXPECT_GE(onGrid, late * 9 / 10);
    }
  }
}

// A sample of one of Debian's hydrogen drum kits, decoded by sox to mono floats at `rate`.
std::vector<float> KitSample(const std::string& kit, const std::string& file, int rate) {
  const std::string command = "sox '/usr/share/hydrogen/data/drumkits/" + kit + "/" + file +
                              "' -t f32 -c 1 -r " + std::to_string(rate) + " - 2>/dev/null";
  std::vector<float> samples;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return samples;
  float block[4096];
  std::size_t n = 0;
  while ((n = std::fread(block, sizeof(float), 4096, pipe)) > 0)
    samples.insert(samples.end(), block, block + n);
  ::pclose(pipe);
  return samples;
}

// A 40-second loop of a real kit laid out as a drummer would: kick on 1 and 3, snare or clap on
// 2 and 4, closed hi-hat on the eighths; the first beat at 0.5 s.
std::vector<float> KitLoop(const std::string& kit, const std::array<std::string, 3>& samples,
                           double bpm, int rate) {
  const std::vector<float> kick = KitSample(kit, samples[0], rate);
  const std::vector<float> snare = KitSample(kit, samples[1], rate);
  const std::vector<float> hat = KitSample(kit, samples[2], rate);
  if (kick.empty() || snare.empty() || hat.empty()) return {};
  std::vector<float> out(static_cast<std::size_t>(41 * rate), 0.0f);
  const auto put = [&](const std::vector<float>& sample, double at, float gain) {
    const auto from = static_cast<std::size_t>(std::lround(at * rate));
    for (std::size_t i = 0; i < sample.size() && from + i < out.size(); ++i)
      out[from + i] += gain * sample[i];
  };
  const double period = 60.0 / bpm;
  int beat = 0;
  for (double t = 0.5; t < 40.5; t += period, ++beat) {
    put(beat % 2 == 0 ? kick : snare, t, 0.8f);
    put(hat, t, 0.3f);
    put(hat, t + period / 2, 0.2f);
  }
  return out;
}

// Steady noise and a fader ridden between -9 and +3 dB every four seconds, as a DJ would.
void AddNoiseAndRideTheFader(std::vector<float>& pcm, int rate) {
  std::mt19937 random(11);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  std::uniform_real_distribution<float> fader(-9.0f, 3.0f);
  float gain = 1.0f;
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    if (i % (4 * static_cast<std::size_t>(rate)) == 0)
      gain = std::pow(10.0f, fader(random) / 20.0f);
    pcm[i] = std::clamp(gain * pcm[i] + noise(random), -1.0f, 1.0f);
  }
}

// Loops of two real kits, the ones that are hard for a tracker: a fast electronic loop at
// 48 kHz (its hop must be as long in time as at 44.1 kHz, or aubio settles beside the beat),
// and an acoustic kit whose soft hi-hat drowns under noise while the fader is ridden.
TEST(BeatTracker, FollowsRealKitsAtEveryRateAndUnderNoise) {
  const Clock::time_point start = Clock::now();
  const std::array<std::string, 3> electro{"PowR_BD_1.flac", "Clap_1.flac", "Hard_CHH_01.flac"};
  const std::array<std::string, 3> acoustic{"bd1.flac", "snare1.flac", "closehihat3.flac"};
  struct Case {
    const char* kit;
    const std::array<std::string, 3>* samples;
    double bpm;
    int rate;
    bool noisy;
    double silenceBefore = 0.0;  // seconds of silence before the loop
  };
  for (const Case& c : {Case{"HardElectro1", &electro, 174, 48000, false},
                        Case{"HardElectro1", &electro, 120, 96000, false},
                        Case{"Millo-Drums_v.1", &acoustic, 128, 44100, true},
                        Case{"Millo-Drums_v.1", &acoustic, 90, 44100, true},
                        // aubio's beats walk off the hits of this one and come back on the
                        // off-beats, unless the beats are placed on the hits.
                        Case{"HardElectro1", &electro, 120, 44100, false, 0.3}}) {
    SCOPED_TRACE(testing::Message() << c.kit << " " << c.bpm << " BPM at " << c.rate << " Hz"
                                    << (c.noisy ? " with noise" : ""));
    std::vector<float> pcm = KitLoop(c.kit, *c.samples, c.bpm, c.rate);
    ASSERT_FALSE(pcm.empty()) << "sox or the hydrogen-drumkits package is missing";
    if (c.noisy) AddNoiseAndRideTheFader(pcm, c.rate);
    pcm.insert(pcm.begin(), static_cast<std::size_t>(c.silenceBefore * c.rate), 0.0f);
    BeatTracker tracker;
    const std::vector<TrackedBeat> beats = Track(tracker, pcm, c.rate, start, c.rate / 100);
    const auto [late, onGrid] =
        LateBeatsOnGrid(beats,
                        start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(c.silenceBefore)),
                        60.0 / c.bpm);
    EXPECT_GE(late, static_cast<int>(0.9 * 30.0 * c.bpm / 60.0));
    EXPECT_LE(late, static_cast<int>(1.1 * 30.0 * c.bpm / 60.0) + 1);
    EXPECT_GE(onGrid, late * 9 / 10);
  }
}

// Sound without a pulse: silence, a single hit, steady white noise and a clipped square wave
// give no beat at all, so a beat-paced show does not step.
TEST(BeatTracker, HearsNoBeatWithoutAPulse) {
  const Clock::time_point start = Clock::now();
  const int rate = 44100;
  std::vector<float> silence(rate * 15, 0.0f);
  std::vector<float> hit(rate * 15, 0.0f);
  const std::vector<float> one = Kicks(120, 1.0, rate, 0.2);
  std::copy(one.begin(), one.end(), hit.begin());
  std::mt19937 random(7);
  std::normal_distribution<float> gauss(0.0f, 0.2f);
  std::vector<float> noise(rate * 15);
  for (float& s : noise) s = gauss(random);
  std::vector<float> square(rate * 15);
  for (std::size_t i = 0; i < square.size(); ++i) square[i] = (i / 100) % 2 ? 1.0f : -1.0f;
  for (const auto& [name, pcm] :
       {std::pair{"silence", &silence}, std::pair{"one hit", &hit},
        std::pair{"white noise", &noise}, std::pair{"square wave", &square}}) {
    BeatTracker tracker;
    EXPECT_TRUE(Track(tracker, *pcm, rate, start).empty()) << name;
  }
  // Rubbish samples (not finite, beyond full scale) are taken as silence or full scale.
  std::vector<float> bad(rate * 2, std::numeric_limits<float>::quiet_NaN());
  BeatTracker tracker;
  EXPECT_TRUE(Track(tracker, bad, rate, start).empty());
}

// Beats handed over in bursts: one beat 60 ms late, one missing, the rest within a few ms.
// From the fifth beat on, the grid's next beat stays within 5 ms of the true one, whichever
// beat was the last.
TEST(BeatPredictor, OneLateOrMissingBeatDoesNotMoveTheGrid) {
  const Clock::time_point t0 = Clock::now();
  const auto at = [&](double s) {
    return t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
  };
  const double jitter[] = {0.003, -0.002, 0.001, 0.060, -0.003, 0.002, 0.0, -0.001, 0.002, 0.001};
  BeatPredictor grid;
  for (int k = 0; k < 10; ++k) {
    if (k == 6) continue;  // missed
    grid.AddBeat({at(0.5 * k + jitter[k]), 120.0, 2.0});
    if (k < 4) continue;
    const double now = 0.5 * k + 0.1;
    const auto next = grid.NextBeat(at(now), at(now));
    ASSERT_TRUE(next) << k;
    EXPECT_NEAR(Seconds(*next - t0), 0.5 * (k + 1), 0.005) << "after beat " << k;
  }
}

// The grid predicts the next beat from the tracked ones, holds or keeps the tempo when the
// pulse goes, takes a tapped tempo, and reads a tracker at double tempo in the tapped octave.
TEST(BeatPredictor, PredictsHoldsKeepsAndTaps) {
  const Clock::time_point t0 = Clock::now();
  const auto at = [&](double s) {
    return t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
  };
  for (const PulseLoss loss : {PulseLoss::kHold, PulseLoss::kKeepTempo}) {
    BeatPredictor grid;
    grid.SetPulseLoss(loss);
    EXPECT_FALSE(grid.NextBeat(t0, t0));
    // Beats at 120 BPM with a few milliseconds of jitter and a tracker tempo a little off.
    const double jitter[] = {0.004, -0.006, 0.002, -0.003, 0.005, -0.001};
    for (int k = 0; k < 6; ++k) grid.AddBeat({at(0.5 * k + jitter[k]), 121.5, 2.0});
    EXPECT_TRUE(grid.Locked(at(2.6)));
    EXPECT_NEAR(grid.Bpm(), 120.0, 1.0);
    const auto next = grid.NextBeat(at(2.6), at(2.6));
    ASSERT_TRUE(next);
    EXPECT_NEAR(Seconds(*next - t0), 3.0, 0.015);
    // Four seconds without a beat: lost.
    EXPECT_TRUE(grid.Lost(at(6.6)));
    EXPECT_FALSE(grid.Locked(at(6.6)));
    const auto later = grid.NextBeat(at(6.6), at(6.6));
    if (loss == PulseLoss::kHold) {
      EXPECT_FALSE(later);
    } else {
      ASSERT_TRUE(later);
      EXPECT_NEAR(OffGrid(Seconds(*later - t0), 0.0, 0.5), 0.0, 0.02);
    }
    // The pulse comes back at another phase: the grid follows it after a few beats.
    for (int k = 0; k < 4; ++k) grid.AddBeat({at(10.2 + 0.5 * k), 120.0, 2.0});
    const auto back = grid.NextBeat(at(11.8), at(11.8));
    ASSERT_TRUE(back);
    EXPECT_NEAR(Seconds(*back - t0), 12.2, 0.015);
  }

  // Four taps at 100 BPM give the grid its tempo and phase at once; a tracker that hears
  // 200 BPM afterwards is read as 100.
  BeatPredictor grid;
  EXPECT_FALSE(grid.Tap(at(0.0)));
  EXPECT_FALSE(grid.Tap(at(0.6)));
  EXPECT_FALSE(grid.Tap(at(1.2)));
  EXPECT_TRUE(grid.Tap(at(1.8)));
  EXPECT_NEAR(grid.Bpm(), 100.0, 0.1);
  EXPECT_TRUE(grid.Locked(at(1.9)));
  ASSERT_TRUE(grid.NextBeat(at(1.9), at(1.9)));
  EXPECT_NEAR(Seconds(*grid.NextBeat(at(1.9), at(1.9)) - t0), 2.4, 0.001);
  for (int k = 0; k < 4; ++k) grid.AddBeat({at(2.4 + 0.6 * k), 200.0, 2.0});
  EXPECT_NEAR(grid.Bpm(), 100.0, 1.0);
  // Taps too slow for music count for nothing.
  BeatPredictor slow;
  for (int k = 0; k < 4; ++k) slow.Tap(at(1.9 * k));
  EXPECT_EQ(slow.Bpm(), 0.0);
}

}  // namespace
}  // namespace kalvetro
