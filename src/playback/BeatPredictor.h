// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <deque>
#include <optional>

#include "playback/BeatTracker.h"

namespace kalvetro {

// What the show does when the pulse of the music is lost (silence, a break).
enum class PulseLoss : int {
  kHold = 0,       // "Стоять": no beat until the pulse comes back
  kKeepTempo = 1,  // "Держать темп": beats go on at the last tempo
};

// The beat grid of the music: from the beats a tracker found (and the operator's taps) it
// knows the period and the phase and says when the next beat falls. Plain C++, one thread.
class BeatPredictor {
 public:
  using Clock = std::chrono::steady_clock;

  // The pulse counts as lost once no beat came for this many periods (and at least kLostAfter).
  static constexpr double kLostPeriods = 2.5;
  static constexpr auto kLostAfter = std::chrono::milliseconds(1500);
  // Beats the grid needs before it is trusted.
  static constexpr int kBeatsToLock = 3;
  // Tempo range of music the grid follows.
  static constexpr double kMinBpm = 50.0;
  static constexpr double kMaxBpm = 220.0;

  void SetPulseLoss(PulseLoss loss) { loss_ = loss; }
  PulseLoss Loss() const { return loss_; }

  // A beat of the tracker.
  void AddBeat(const TrackedBeat& beat);
  // A tap of the operator at `time`; four taps within a steady tempo set the grid's tempo and
  // phase, and the tracker's tempo is then read in the tapped octave. True when that happened.
  bool Tap(Clock::time_point time);
  // Forgets the grid (a new source).
  void Reset();

  // The first beat of the grid after `after`; nothing while there is no grid, or the pulse is
  // lost and the show holds.
  std::optional<Clock::time_point> NextBeat(Clock::time_point after, Clock::time_point now) const;
  // The grid follows the music at `now`.
  bool Locked(Clock::time_point now) const;
  // The pulse was there and no longer is.
  bool Lost(Clock::time_point now) const;
  // Period and tempo of the grid; 0 without one.
  Clock::duration Period() const { return period_; }
  double Bpm() const;
  double Confidence() const { return confidence_; }

 private:
  double FoldToTapped(double bpm) const;
  void Refit();

  PulseLoss loss_ = PulseLoss::kHold;
  std::deque<Clock::time_point> beats_;  // the last beats of the pulse, oldest first
  std::deque<Clock::time_point> taps_;
  Clock::duration period_{0};
  Clock::duration tappedPeriod_{0};
  Clock::time_point anchor_{};  // a beat of the grid
  Clock::time_point lastEvidence_{};
  double trackerBpm_ = 0.0;
  double confidence_ = 0.0;
  bool tapped_ = false;     // the grid is the taps' until the tracker agrees
  bool wasLocked_ = false;  // there was a grid to keep
};

}  // namespace kalvetro
