// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <array>
#include <atomic>
#include <cstdint>

#include "output/OutputControls.h"
#include "output/OutputSink.h"

namespace kalvetro {

class ThreadInbox;

// Tells the user-interface thread when the output has changed, so that a display which has
// found nothing new for a while can rest instead of looking ten times a second. The tick
// compares every frame (the levels and the beat lamp's request) with the one before it; a
// difference moves the version on and, when the display asked to be woken, posts one
// OutputChanged to the thread this object lives on.
class OutputWatch : public QObject, public OutputSink {
  Q_OBJECT

 public:
  explicit OutputWatch(const CrossfadeControls& crossfade, QObject* parent = nullptr);

  // Output thread.
  void WriteFrame(const OutputFrames& frames) override;

  // Any thread: how many times the output has changed so far.
  std::uint64_t Version() const { return version_.load(); }
  // Asks for one OutputChanged when the output next changes after version `seen`. Returns
  // false, and asks for nothing, when it has changed already: the caller has not yet shown
  // the newest output.
  bool WakeAfter(std::uint64_t seen);
  // Withdraws a request that is no longer wanted (the display woke for another reason).
  void CancelWake() { armed_.store(false); }

 signals:
  void OutputChanged();

 private:
  const CrossfadeControls& crossfade_;
  ThreadInbox* inbox_ = nullptr;
  std::array<std::uint8_t, kFrameBytes> last_{};  // output thread only
  bool lastAudioRed_ = false;                     // output thread only
  std::atomic<std::uint64_t> version_{0};
  std::atomic<bool> armed_{false};
};

}  // namespace kalvetro
