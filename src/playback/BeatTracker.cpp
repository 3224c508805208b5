// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/BeatTracker.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace kalvetro {

namespace {

// aubio's tempo tracker counts its tempo range and its preferred tempo in hops: a hop of
// 512 samples at 44.1 kHz (11.6 ms). The hop keeps that length at every rate, so a loop at
// 48 or 96 kHz is tracked as it is at 44.1; the window is two hops.
int HopFor(int rate) {
  return std::max(64, static_cast<int>(std::lround(512.0 * rate / 44100.0)));
}

}  // namespace

struct BeatTracker::Aubio {
  aubio_tempo_t* tempo = nullptr;
  fvec_t* hop = nullptr;
  fvec_t* out = nullptr;
  ~Aubio() {
    if (tempo) del_aubio_tempo(tempo);
    if (hop) del_fvec(hop);
    if (out) del_fvec(out);
  }
};

BeatTracker::BeatTracker() = default;

BeatTracker::~BeatTracker() {
  Close();
}

void BeatTracker::Close() {
  aubio_.reset();
}

void BeatTracker::Open(int sampleRate) {
  Close();
  rate_ = sampleRate;
  hopSize_ = HopFor(sampleRate);
  const int window = 2 * hopSize_;
  aubio_ = std::make_unique<Aubio>();
  // Onsets by weighted phase deviation: a soft hi-hat under noise and a ridden fader still
  // gives its pulse, where the spectral flux drowns with it.
  aubio_->tempo = new_aubio_tempo("wphase", window, hopSize_, sampleRate);
  aubio_->hop = new_fvec(hopSize_);
  aubio_->out = new_fvec(2);
  if (aubio_->tempo) aubio_tempo_set_silence(aubio_->tempo, kSilenceDb);
  filled_ = 0;
  samplesFed_ = 0;
  received_ = 0;
  lastBeat_ = 0;
  silentHops_ = 0;
  haveOrigin_ = false;
  bpm_ = 0.0;
  confidence_ = 0.0;
  // Four seconds of hops.
  rise_.assign(static_cast<std::size_t>(4 * sampleRate / hopSize_), 0.0f);
  levelsBefore_.assign(
      static_cast<std::size_t>(std::max<long>(1, std::lround(0.0116 * sampleRate / hopSize_))),
      HopLevel{-120.0f, 0.0f});
  heardBeats_.clear();
  onset_.assign(rise_.size(), 0.0f);
  doubled_ = false;
  octaveKept_ = false;
  highBpm_ = 0.0;
  highBeats_ = 0;
  strongOffBeats_ = 0;
  reach_ = static_cast<std::int64_t>(sampleRate) * kReachMs / 1000;
  pendingBeat_ = -1;
  pendingGrid_ = -1;
  lastPlaced_ = -1;
  pendingPeriod_ = 0.0;
  pendingOffBeat_ = -1;
  lastReported_ = false;
}

std::int64_t BeatTracker::Slot(std::int64_t hop) const {
  const std::int64_t hops = samplesFed_ / hopSize_;
  const auto size = static_cast<std::int64_t>(rise_.size());
  return hop >= 0 && hop < hops && hops - hop <= size ? hop % size : -1;
}

float BeatTracker::OnsetNear(std::int64_t sample) const {
  const std::int64_t centre = sample / hopSize_;
  float most = 0.0f;
  for (std::int64_t h = centre - 2; h <= centre + 2; ++h)
    if (const std::int64_t slot = Slot(h); slot >= 0) most = std::max(most, onset_[slot]);
  return most;
}

double BeatTracker::OffBeatRatio(std::int64_t lastBeat, double periodSamples) const {
  if (periodSamples < hopSize_ * 8.0) return 0.0;
  // The beats of the last few seconds before the tracker's last one, each with the off-beat
  // that follows it; all of them already heard.
  const auto keptSamples = static_cast<double>(onset_.size() - 4) * hopSize_;
  const int count = std::min(8, static_cast<int>(keptSamples / periodSamples) - 1);
  double on = 0.0;
  double off = 0.0;
  for (int k = 1; k <= count; ++k) {
    const double beat = static_cast<double>(lastBeat) - k * periodSamples;
    if (beat < 0) break;
    on += OnsetNear(static_cast<std::int64_t>(beat));
    off += OnsetNear(static_cast<std::int64_t>(beat + periodSamples / 2));
  }
  return on > 1e-6 ? off / on : 0.0;
}

float BeatTracker::OnsetAt(std::int64_t sample) const {
  const std::int64_t slot = Slot(sample / hopSize_);
  return slot >= 0 ? onset_[slot] : 0.0f;
}

std::int64_t BeatTracker::OnsetWithin(std::int64_t sample) const {
  std::int64_t best = -1;
  float strongest = 0.0f;
  for (std::int64_t h = (sample - reach_) / hopSize_; h <= (sample + reach_) / hopSize_; ++h) {
    const std::int64_t slot = Slot(h);
    if (slot < 0 || rise_[slot] < kMinRiseDb) continue;
    if (best < 0 || onset_[slot] > strongest) {
      best = h;
      strongest = onset_[slot];
    }
  }
  // The hit rose somewhere in that hop: its middle is the beat, within half a hop.
  return best < 0 ? -1 : best * hopSize_ + hopSize_ / 2;
}

void BeatTracker::Report(std::int64_t sample, std::vector<TrackedBeat>& beats) {
  beats.push_back({TimeOfSample(sample), bpm_, confidence_});
}

double BeatTracker::Salience() const {
  if (heardBeats_.empty() || hopSize_ <= 0) return 0.0;
  const std::int64_t hops = samplesFed_ / hopSize_;
  const auto size = static_cast<std::int64_t>(rise_.size());
  double mean = 0.0;
  const std::int64_t span = std::min(hops, size);
  for (std::int64_t h = hops - span; h < hops; ++h) mean += rise_[h % size];
  mean /= static_cast<double>(std::max<std::int64_t>(span, 1));
  // The rise at a beat: the largest within about 45 ms either side of it (the tracker's beat
  // and the onset it stands for need not fall in the same hop).
  // The middle one of the rises at the beats (the lower of the two middle ones), so that one
  // loud hit among steady sound does not make a pulse.
  const std::int64_t kNear = std::max<std::int64_t>(1, rate_ * 45 / 1000 / hopSize_);
  std::vector<float> rises;
  for (const std::int64_t beat : heardBeats_) {
    const std::int64_t centre = beat / hopSize_;
    float most = 0.0f;
    for (std::int64_t h = centre - kNear; h <= centre + kNear; ++h)
      if (const std::int64_t slot = Slot(h); slot >= 0) most = std::max(most, rise_[slot]);
    rises.push_back(most);
  }
  std::sort(rises.begin(), rises.end());
  const double atBeats = rises[(rises.size() - 1) / 2];
  return atBeats >= 2.0 * mean ? atBeats : 0.0;
}

void BeatTracker::Reset() {
  const int rate = rate_;
  Close();
  rate_ = 0;
  if (rate > 0) Open(rate);
}

BeatTracker::Clock::time_point BeatTracker::TimeOfSample(std::int64_t sample) const {
  return origin_ + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(static_cast<double>(sample) / rate_));
}

void BeatTracker::Feed(std::span<const float> mono, int sampleRate,
                       Clock::time_point lastSampleTime, std::vector<TrackedBeat>& beats) {
  if (sampleRate < 8000 || sampleRate > 384000 || mono.empty()) return;
  if (sampleRate != rate_ || !aubio_) Open(sampleRate);
  if (!aubio_->tempo || !aubio_->hop || !aubio_->out) return;
  aubio_tempo_t* tempo = aubio_->tempo;

  // Where sample 0 lies on the steady clock by this block. Deliveries come late by varying
  // amounts, never early: the earliest origin seen is the truest. A block far later than the
  // clock expects means samples were lost; the tracker starts again from here.
  const std::int64_t lastSample = received_ + static_cast<std::int64_t>(mono.size()) - 1;
  const auto blockOrigin =
      lastSampleTime - std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(static_cast<double>(lastSample) / rate_));
  if (!haveOrigin_) {
    origin_ = blockOrigin;
    haveOrigin_ = true;
  } else if (blockOrigin < origin_) {
    origin_ = blockOrigin;
  } else if (blockOrigin - origin_ > kClockJump) {
    Reset();
    Feed(mono, sampleRate, lastSampleTime, beats);
    return;
  } else {
    // The two clocks run at slightly different speeds: follow a lasting lateness slowly.
    origin_ += (blockOrigin - origin_) / 1000;
  }
  received_ += static_cast<std::int64_t>(mono.size());

  for (const float sample : mono) {
    aubio_->hop->data[filled_++] = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
    if (filled_ < hopSize_) continue;
    filled_ = 0;
    samplesFed_ += hopSize_;
    aubio_tempo_do(tempo, aubio_->hop, aubio_->out);
    double energy = 0.0;
    for (int i = 0; i < hopSize_; ++i) energy += aubio_->hop->data[i] * aubio_->hop->data[i];
    const HopLevel level{10.0f * std::log10(static_cast<float>(energy / hopSize_) + 1e-12f),
                         std::sqrt(static_cast<float>(energy / hopSize_))};
    // rise_ and onset_ are kept alike: one slot per hop of the last few seconds.
    const auto slot = static_cast<std::size_t>((samplesFed_ / hopSize_ - 1) %
                                               static_cast<std::int64_t>(rise_.size()));
    rise_[slot] = std::clamp(level.db - levelsBefore_.front().db, 0.0f, 30.0f);
    onset_[slot] = std::max(0.0f, level.rms - levelsBefore_.front().rms);
    levelsBefore_.erase(levelsBefore_.begin());
    levelsBefore_.push_back(level);
    // The tracker's beat once its hit can have been heard.
    if (pendingBeat_ >= 0 && samplesFed_ >= std::max(pendingBeat_, pendingGrid_) + reach_) {
      // On the grid's hit or aubio's, whichever is the stronger.
      const std::int64_t onGrid = pendingGrid_ >= 0 ? OnsetWithin(pendingGrid_) : -1;
      const std::int64_t onAubio = OnsetWithin(pendingBeat_);
      std::int64_t placed = onGrid;
      if (placed < 0 || (onAubio >= 0 && OnsetAt(onAubio) > OnsetAt(onGrid))) placed = onAubio;
      if (placed >= 0) lastPlaced_ = placed;
      if (placed < 0) placed = pendingBeat_;
      if (!heardBeats_.empty() && heardBeats_.back() == pendingBeat_) heardBeats_.back() = placed;
      Report(placed, beats);
      if (doubled_) pendingOffBeat_ = placed + std::lround(pendingPeriod_ / 2);
      pendingBeat_ = pendingGrid_ = -1;
    }
    // While doubled, the point half way between two beats of the tracker is a beat too.
    if (pendingOffBeat_ >= 0 && samplesFed_ >= pendingOffBeat_ + reach_) {
      if (doubled_ && lastReported_) {
        const std::int64_t hit = OnsetWithin(pendingOffBeat_);
        if (hit >= 0) lastPlaced_ = hit;
        Report(hit >= 0 ? hit : pendingOffBeat_, beats);
      }
      pendingOffBeat_ = -1;
    }
    if (aubio_silence_detection(aubio_->hop, kSilenceDb) == 1) {
      ++silentHops_;
    } else {
      silentHops_ = 0;
    }
    // A beat moves the tracker's last beat on. (Its output flag is the beat's position within
    // the hop, which is 0 for a beat at the hop's start, so it misses beats.) A beat predicted
    // into silence (a second of it) is no beat heard.
    const auto last = static_cast<std::int64_t>(aubio_tempo_get_last(tempo));
    if (last == lastBeat_) continue;
    lastBeat_ = last;
    if (silentHops_ * hopSize_ > kSilentTime * rate_ / 1000) continue;
    // Judged by the beats before it, whose onsets have been heard by now; the beat itself is
    // kept to judge the next ones by.
    const double salience = Salience();
    heardBeats_.push_back(last);
    if (heardBeats_.size() > 4) heardBeats_.erase(heardBeats_.begin());
    // An off-beat still waiting for its hit is kept: it lies before this beat.
    if (!doubled_) pendingOffBeat_ = -1;
    lastReported_ = pendingOffBeat_ >= 0;
    pendingBeat_ = -1;
    if (salience < kMinRiseDb) continue;
    const double trackerBpm = aubio_tempo_get_bpm(tempo);
    const double period = aubio_tempo_get_period(tempo);
    const double ratio = OffBeatRatio(last, period);
    strongOffBeats_ = ratio >= kOffBeatsTake ? strongOffBeats_ + 1 : 0;
    const bool fellToHalf = highBeats_ >= kHighBeatsHeld && !doubled_ &&
                            std::abs(2.0 * trackerBpm - highBpm_) <= kOctaveFall * highBpm_;
    if (trackerBpm > kDoubleBelow * 1.05) {
      highBeats_ = std::abs(trackerBpm - highBpm_) <= kOctaveFall * highBpm_ ? highBeats_ + 1 : 1;
      highBpm_ = trackerBpm;
    } else {
      highBeats_ = 0;  // the fall is judged at its first beat only
    }
    if (trackerBpm > kDoubleBelow * 1.05) {
      doubled_ = octaveKept_ = false;
    } else if (fellToHalf && ratio >= kOffBeatsKeep) {
      doubled_ = octaveKept_ = true;
    } else if (ratio < (octaveKept_ ? kOffBeatsKeep : kOffBeatsDrop)) {
      doubled_ = octaveKept_ = false;
    } else if (trackerBpm <= kDoubleBelow && strongOffBeats_ >= 2) {
      doubled_ = true;
    }
    bpm_ = doubled_ ? 2.0 * trackerBpm : trackerBpm;
    confidence_ = aubio_tempo_get_confidence(tempo);
    pendingBeat_ = last;
    pendingPeriod_ = period;
    // The same beat counted on from the last one placed, when aubio's is near it.
    pendingGrid_ = -1;
    // While doubled the grid's step is half the tracker's period, the off-beats being beats.
    const double step = doubled_ ? period / 2 : period;
    if (lastPlaced_ >= 0 && step > 0.0) {
      const double steps = static_cast<double>(last - lastPlaced_) / step;
      const double whole = std::max(1.0, std::round(steps));
      if (whole <= 8.0) pendingGrid_ = lastPlaced_ + std::lround(whole * step);
    }
    lastReported_ = true;
  }
}

}  // namespace kalvetro
