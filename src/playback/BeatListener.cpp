// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/BeatListener.h"

#include <utility>

namespace kalvetro {

BeatListener::BeatListener(BeatHandler onBeat)
    : onBeat_(std::move(onBeat)), worker_([this](std::stop_token stop) { Run(stop); }) {}

BeatListener::~BeatListener() {
  worker_.request_stop();
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void BeatListener::TakePcm(std::span<const float> mono, int sampleRate,
                           std::chrono::steady_clock::time_point lastSampleTime) {
  if (mono.empty() || sampleRate <= 0) return;
  {
    std::lock_guard lock(mutex_);
    // A worker a second behind is starved of the processor: the oldest music is of no use.
    while (!queue_.empty() && queuedSamples_ > static_cast<std::size_t>(sampleRate)) {
      queuedSamples_ -= queue_.front().samples.size();
      queue_.erase(queue_.begin());
      ++dropped_;
    }
    Block block;
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
    block.samples.assign(mono.begin(), mono.end());
    block.rate = sampleRate;
    block.lastSampleTime = lastSampleTime;
    queuedSamples_ += block.samples.size();
    queue_.push_back(std::move(block));
  }
  wake_.notify_one();
}

long BeatListener::DroppedBlocks() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

void BeatListener::Drain() {
  std::unique_lock lock(mutex_);
  drained_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void BeatListener::Run(std::stop_token stop) {
  std::vector<Block> taken;
  std::vector<TrackedBeat> beats;
  while (true) {
    {
      std::unique_lock lock(mutex_);
      for (Block& block : taken) spare_.push_back(std::move(block));
      taken.clear();
      busy_ = false;
      drained_.notify_all();
      wake_.wait(lock, stop, [this] { return !queue_.empty(); });
      if (stop.stop_requested()) return;
      taken.swap(queue_);
      queuedSamples_ = 0;
      busy_ = true;
    }
    for (const Block& block : taken) {
      beats.clear();
      tracker_.Feed(block.samples, block.rate, block.lastSampleTime, beats);
      for (const TrackedBeat& beat : beats) onBeat_(beat);
    }
  }
}

}  // namespace kalvetro
