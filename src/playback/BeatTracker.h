// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace kalvetro {

// A beat found in the music: when it was heard, and the tempo and confidence of the tracker
// at that moment.
struct TrackedBeat {
  std::chrono::steady_clock::time_point time;
  double bpm = 0.0;
  double confidence = 0.0;
};

// Finds the beats of music with aubio's tempo tracker. Fed blocks of mono samples of any length
// at any rate, each with the steady-clock time of its last sample; cuts them into hops and runs
// one tracker step per hop. A new rate starts the tracker afresh. Not thread-safe: one thread
// feeds it.
class BeatTracker {
 public:
  using Clock = std::chrono::steady_clock;

  BeatTracker();
  ~BeatTracker();
  BeatTracker(const BeatTracker&) = delete;
  BeatTracker& operator=(const BeatTracker&) = delete;

  // Appends the beats found in this block to `beats`.
  void Feed(std::span<const float> mono, int sampleRate, Clock::time_point lastSampleTime,
            std::vector<TrackedBeat>& beats);
  // Forgets everything heard (a new input, a gap in the delivery).
  void Reset();

  double Bpm() const { return bpm_; }
  double Confidence() const { return confidence_; }
  int SampleRate() const { return rate_; }

  // Levels below this (dBFS) count as silence: no beats there.
  static constexpr float kSilenceDb = -55.0f;
  // A beat after this long (ms) of silence is not heard.
  static constexpr int kSilentTime = 1000;
  // Steps that deliver later than this after the samples imply a gap: the clock is taken anew.
  static constexpr auto kClockJump = std::chrono::milliseconds(250);
  // A beat is reported when the beats before it rose by at least this much (dB) on average
  // and by twice the average rise of the music around them.
  static constexpr double kMinRiseDb = 3.0;
  // The octave rule: a tracked tempo at or below kDoubleBelow whose off-beats (the points half
  // a period after each beat) carry onsets at least kOffBeatsTake as strong as the beats is
  // taken at double the tempo; the choice is dropped again only when the off-beats fall below
  // kOffBeatsDrop of the beats (or the tempo leaves the lower octave), so it does not flip.
  static constexpr double kDoubleBelow = 95.0;
  static constexpr double kOffBeatsTake = 0.6;
  static constexpr double kOffBeatsDrop = 0.4;
  // A tracker that falls from a tempo to half of it (within kOctaveFall) while the off-beats
  // still carry onsets of at least kOffBeatsKeep of the beats' has lost its octave, not its
  // tempo: the beats stay doubled. A weak hit between two strong ones is still a beat.
  static constexpr double kOctaveFall = 0.06;
  static constexpr double kOffBeatsKeep = 0.15;
  // True while the tracker's tempo is taken at double.
  bool Doubled() const { return doubled_; }

 private:
  void Open(int sampleRate);
  void Close();
  Clock::time_point TimeOfSample(std::int64_t sample) const;

  // How clearly the last beats stood out of the music: the mean, over the beats before, of
  // the rise of the level (dB) at each beat. Steady sound (noise, a held tone) gives beats
  // that nobody hears; they are not reported.
  double Salience() const;
  // The onsets half a period after the tracker's last beats over their onsets at the beats
  // (0 when there is too little heard to say).
  double OffBeatRatio(std::int64_t lastBeat, double periodSamples) const;
  // The slot of rise_ and onset_ that holds the hop, or -1 when the hop is not heard yet or no
  // longer kept.
  std::int64_t Slot(std::int64_t hop) const;
  // Strongest onset within two hops of `sample` (0 outside the kept hops).
  float OnsetNear(std::int64_t sample) const;
  void Report(std::int64_t sample, std::vector<TrackedBeat>& beats);
  // The strongest onset within the reach of `sample` that rises clearly (the start of its hop),
  // or -1 when there is none.
  std::int64_t OnsetWithin(std::int64_t sample) const;
  // The onset strength of the hop of `sample` (0 outside the kept hops).
  float OnsetAt(std::int64_t sample) const;

  struct Aubio;  // aubio's tempo object and its two vectors
  std::unique_ptr<Aubio> aubio_;
  int rate_ = 0;
  int hopSize_ = 0;
  int filled_ = 0;               // samples in hop_ so far
  std::int64_t samplesFed_ = 0;  // samples the tracker has stepped through
  std::int64_t received_ = 0;    // samples fed since the tracker started
  std::int64_t lastBeat_ = 0;    // the tracker's last beat, in samples
  int silentHops_ = 0;           // hops in a row below the silence level
  // Steady-clock time of sample 0: the earliest time the blocks say, which is the one with the
  // least delivery delay; drifts slowly later when the blocks keep saying so.
  Clock::time_point origin_{};
  bool haveOrigin_ = false;
  double bpm_ = 0.0;
  double confidence_ = 0.0;
  // The rise of the level (dB, 0 for a fall) of each hop of the last few seconds over the level
  // about 12 ms before, by hop number modulo the size; the levels of the hops of those 12 ms,
  // oldest first; the beats kept to judge by.
  std::vector<float> rise_;
  struct HopLevel {
    float db;   // the level in dB
    float rms;  // the RMS level, linear
  };
  std::vector<HopLevel> levelsBefore_;
  std::vector<std::int64_t> heardBeats_;
  // The onset strength of each hop (the rise of its RMS level over the level about 12 ms
  // before, linear, so a soft hi-hat counts for little beside a kick), kept like rise_.
  std::vector<float> onset_;
  bool doubled_ = false;
  // Doubled because the tracker fell to half the tempo it had.
  bool octaveKept_ = false;
  // The tracker's last tempo above the lower octave and for how many beats in a row it held
  // about that tempo: a fall straight to half of a tempo held for kHighBeatsHeld beats keeps
  // the octave. (A tracker that starts on the eighths of a hi-hat holds them for a beat or
  // three.)
  static constexpr int kHighBeatsHeld = 6;
  double highBpm_ = 0.0;
  int highBeats_ = 0;
  // Beats in a row whose off-beats were as strong as kOffBeatsTake: one such beat is not yet
  // a doubled tempo (a fill, a loud hi-hat), two are.
  int strongOffBeats_ = 0;
  // aubio's beats drift off the hits by tens of milliseconds before its phase catches up, and
  // it puts a beat down before the hit is heard: a beat is reported once the samples up to
  // kReachMs after it have been heard, on the hit it stands for.
  static constexpr int kReachMs = 60;
  std::int64_t reach_ = 0;  // kReachMs in samples
  // aubio's period is a little off now and then, and its beats walk away from the hits until it
  // finds its phase again (at times on the off-beats): the beat a period after the last one
  // placed, when a hit is there, is the beat; aubio's own when none is.
  std::int64_t pendingBeat_ = -1;     // the tracker's beat waiting to be placed, in samples
  std::int64_t pendingGrid_ = -1;     // a period after the last beat placed, in samples
  std::int64_t lastPlaced_ = -1;      // the last beat placed on a hit, in samples
  double pendingPeriod_ = 0.0;        // the tracker's period at that beat, in samples
  std::int64_t pendingOffBeat_ = -1;  // the off-beat to report while doubled, in samples
  bool lastReported_ = false;         // the tracker's last beat was reported
};

}  // namespace kalvetro
