// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/BeatTracker.h"
#include "playback/PcmListener.h"

namespace kalvetro {

// Runs a beat tracker on a thread of its own: the audio input hands it blocks of samples from
// whichever thread reads the input (they are copied into a queue under a short lock and the
// call returns), the worker feeds them to the tracker and calls `onBeat` on the worker thread
// for every beat found (the caller hands it on, e.g. through a ThreadInbox).
class BeatListener : public PcmListener {
 public:
  using BeatHandler = std::function<void(const TrackedBeat&)>;

  explicit BeatListener(BeatHandler onBeat);
  ~BeatListener() override;
  BeatListener(const BeatListener&) = delete;
  BeatListener& operator=(const BeatListener&) = delete;

  // Any thread.
  void TakePcm(std::span<const float> mono, int sampleRate,
               std::chrono::steady_clock::time_point lastSampleTime) override;
  // Blocks dropped because the worker fell more than a second behind.
  long DroppedBlocks() const;
  // Waits until the worker has taken every block handed so far (for tests and tools).
  void Drain();

 private:
  struct Block {
    std::vector<float> samples;
    int rate = 0;
    std::chrono::steady_clock::time_point lastSampleTime;
  };
  void Run(std::stop_token stop);

  BeatHandler onBeat_;
  mutable std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable drained_;
  std::vector<Block> queue_;
  std::vector<Block> spare_;  // storage of blocks already taken, to be used again
  std::size_t queuedSamples_ = 0;
  bool busy_ = false;
  long dropped_ = 0;
  BeatTracker tracker_;  // worker thread only
  std::jthread worker_;  // last: it stops before the members above go
};

}  // namespace kalvetro
