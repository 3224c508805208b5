// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/OutputWatch.h"

#include "serial/ThreadInbox.h"

namespace kalvetro {

OutputWatch::OutputWatch(const CrossfadeControls& crossfade, QObject* parent)
    : QObject(parent), crossfade_(crossfade) {
  setObjectName(QStringLiteral("OutputWatch"));
  inbox_ = new ThreadInbox(this);
}

void OutputWatch::WriteFrame(const OutputFrames& frames) {
  std::array<std::uint8_t, kFrameBytes> now;
  frames.ReadFrame(now.data());
  const bool audioRed = crossfade_.audioRed.load(kRelaxedOrder);
  if (now == last_ && audioRed == lastAudioRed_) return;
  last_ = now;
  lastAudioRed_ = audioRed;
  // The version moves before the request is looked at: a display that asks after this point
  // finds the new version and does not rest; one that asked before is woken here.
  version_.fetch_add(1);
  if (armed_.exchange(false)) inbox_->Post([this] { emit OutputChanged(); });
}

bool OutputWatch::WakeAfter(std::uint64_t seen) {
  armed_.store(true);
  if (version_.load() == seen) return true;
  armed_.store(false);
  return false;
}

}  // namespace kalvetro
