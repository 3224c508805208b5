// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/BeatPredictor.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace kalvetro {

namespace {

using Seconds = std::chrono::duration<double>;

constexpr std::size_t kBeatsKept = 8;
constexpr std::size_t kTapsUsed = 4;
constexpr auto kTapGap = std::chrono::seconds(2);  // a longer pause starts the taps afresh

double SecondsOf(BeatPredictor::Clock::duration d) {
  return std::chrono::duration_cast<Seconds>(d).count();
}

BeatPredictor::Clock::duration DurationOf(double seconds) {
  return std::chrono::duration_cast<BeatPredictor::Clock::duration>(Seconds(seconds));
}

// The median (the mean of the two middle values of an even count); 0 for none.
double Middle(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2.0;
}

}  // namespace

void BeatPredictor::Reset() {
  beats_.clear();
  taps_.clear();
  period_ = {};
  tappedPeriod_ = {};
  trackerBpm_ = 0.0;
  confidence_ = 0.0;
  tapped_ = false;
  wasLocked_ = false;
}

double BeatPredictor::Bpm() const {
  return period_.count() > 0 ? 60.0 / SecondsOf(period_) : 0.0;
}

double BeatPredictor::FoldToTapped(double bpm) const {
  if (tappedPeriod_.count() <= 0 || bpm <= 0.0) return bpm;
  const double tapped = 60.0 / SecondsOf(tappedPeriod_);
  // The tracker may lock on half or double the tempo the operator means.
  while (bpm < tapped / 1.5) bpm *= 2.0;
  while (bpm > tapped * 1.5) bpm /= 2.0;
  return bpm;
}

void BeatPredictor::AddBeat(const TrackedBeat& beat) {
  double bpm = FoldToTapped(beat.bpm);
  if (!(bpm >= kMinBpm && bpm <= kMaxBpm)) return;
  const Clock::duration trackerPeriod = DurationOf(60.0 / bpm);
  // After a loss the old beats say nothing about the new phase.
  if (!beats_.empty() &&
      beat.time - beats_.back() > std::max<Clock::duration>(kLostAfter, trackerPeriod * 3))
    beats_.clear();
  // A beat closer than half a period to the last one is the same beat told twice, or an
  // off-beat.
  if (!beats_.empty() && beat.time - beats_.back() < trackerPeriod / 2) return;
  beats_.push_back(beat.time);
  while (beats_.size() > kBeatsKept) beats_.pop_front();
  trackerBpm_ = bpm;
  confidence_ = beat.confidence;
  lastEvidence_ = beat.time;
  if (beats_.size() >= 2) tapped_ = false;
  if (beats_.size() >= static_cast<std::size_t>(kBeatsToLock)) wasLocked_ = true;
  if (!tapped_) {
    period_ = trackerPeriod;
    Refit();
  }
}

void BeatPredictor::Refit() {
  if (beats_.empty() || period_.count() <= 0) return;
  // The period: the tracker's, refined by the spacing of the beats kept when they agree with
  // it (a steady run of beats is a finer clock than one tracker step). Each beat on the grid is
  // (n, offset from the last beat); the period is the middle one of the slopes between every
  // two of them and the phase the middle one of their offsets from that grid, so that a single
  // beat heard late (a burst of the audio delivery, a weak onset) or missed does not move it.
  const double p = SecondsOf(period_);
  const Clock::time_point last = beats_.back();
  std::vector<std::pair<double, double>> points;
  for (const Clock::time_point t : beats_) {
    const double offset = SecondsOf(t - last);
    const double n = std::round(offset / p);
    if (std::abs(offset - n * p) > 0.25 * p) continue;  // off the grid
    points.emplace_back(n, offset);
  }
  double slope = p;
  double intercept = 0.0;
  if (points.size() >= 3) {
    std::vector<double> slopes;
    for (std::size_t i = 0; i < points.size(); ++i)
      for (std::size_t j = i + 1; j < points.size(); ++j)
        if (points[j].first != points[i].first)
          slopes.push_back((points[j].second - points[i].second) /
                           (points[j].first - points[i].first));
    const double fitted = Middle(slopes);
    if (std::abs(fitted - p) < 0.04 * p) slope = fitted;
    std::vector<double> residues;
    for (const auto& [n, offset] : points) residues.push_back(offset - n * slope);
    intercept = Middle(residues);
  }
  period_ = DurationOf(slope);
  anchor_ = last + DurationOf(intercept);
}

bool BeatPredictor::Tap(Clock::time_point time) {
  if (!taps_.empty() && time - taps_.back() > kTapGap) taps_.clear();
  taps_.push_back(time);
  while (taps_.size() > kTapsUsed) taps_.pop_front();
  if (taps_.size() < kTapsUsed) return false;
  const Clock::duration period = (taps_.back() - taps_.front()) / (kTapsUsed - 1);
  const double bpm = 60.0 / SecondsOf(period);
  if (!(bpm >= kMinBpm && bpm <= kMaxBpm)) return false;
  tappedPeriod_ = period;
  period_ = period;
  anchor_ = time;
  lastEvidence_ = time;
  beats_.clear();
  tapped_ = true;
  wasLocked_ = true;
  taps_.clear();
  return true;
}

bool BeatPredictor::Lost(Clock::time_point now) const {
  if (period_.count() <= 0) return false;
  const auto silence =
      std::max<Clock::duration>(kLostAfter, DurationOf(SecondsOf(period_) * kLostPeriods));
  return now - lastEvidence_ > silence;
}

bool BeatPredictor::Locked(Clock::time_point now) const {
  if (period_.count() <= 0 || Lost(now)) return false;
  return tapped_ || beats_.size() >= static_cast<std::size_t>(kBeatsToLock);
}

std::optional<BeatPredictor::Clock::time_point> BeatPredictor::NextBeat(
    Clock::time_point after, Clock::time_point now) const {
  if (period_.count() <= 0) return std::nullopt;
  if (Lost(now)) {
    if (loss_ == PulseLoss::kHold) return std::nullopt;
  } else if (!Locked(now) && !(loss_ == PulseLoss::kKeepTempo && wasLocked_)) {
    // Finding the pulse again: keeping the tempo, the old grid plays on meanwhile.
    return std::nullopt;
  }
  const double p = SecondsOf(period_);
  const double k = std::floor(SecondsOf(after - anchor_) / p) + 1.0;
  return anchor_ + DurationOf(k * p);
}

}  // namespace kalvetro
