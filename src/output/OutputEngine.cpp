// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/OutputEngine.h"

namespace kalvetro {

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
// Layers 0 and 1 (crossfade and automats) make the scene frame; the rest lie over it.
constexpr int kFirstOverlay = 2;
}  // namespace

OutputEngine::OutputEngine(ShowState& show, OutputFrames& frames)
    : show_(show),
      frames_(frames),
      crossfade_(controls_.crossfade, show.beatFlag),
      automats_(controls_.automats),
      pictures_(controls_.pictures),
      strips_(controls_.strips),
      pad_(controls_.pad),
      blackout_(controls_.blackout),
      macro_(controls_.pictures),
      layers_{&crossfade_, &automats_, &pictures_, &strips_, &pad_, &blackout_, &macro_} {}

bool OutputEngine::AddSink(OutputSink* sink) {
  if (sinkCount_ >= kMaxSinks || !sink) return false;
  sinks_[sinkCount_++] = sink;
  return true;
}

void OutputEngine::Tick() {
  // The replace sequence is read like a sequence lock: an odd value or a change between the
  // start and the end of the assembly means the image moved under the tick.
  const std::uint32_t sequence = show_.replaceSequence.load(std::memory_order_acquire);
  if ((sequence & 1) == 0) {
    if (darkFrame_.exchange(false, std::memory_order_acquire)) {
      work_.fill(0);
    } else {
      frames_.ReadFrame(work_.data());
    }
    TickContext tick{show_.memory, SceneRowOffset(show_.CurrentStep()),
                     show_.playing.load(kRelaxed), work_, frames_};
    AssembleFrame(tick);
    LayOverlays(tick);
    // A read-modify-write that changes nothing: the reads of the assembly stay before it.
    if (show_.replaceSequence.fetch_add(0, std::memory_order_acq_rel) == sequence) {
      frames_.WriteFrame(work_.data());
    }
  }
  BlinkBlackOut();
  SendToSinks();
}

void OutputEngine::AssembleFrame(TickContext& tick) {
  for (int i = 0; i < kFirstOverlay; ++i) layers_[i]->Apply(tick);
}

void OutputEngine::LayOverlays(TickContext& tick) {
  for (int i = kFirstOverlay; i < kLayerCount; ++i) layers_[i]->Apply(tick);
}

void OutputEngine::BlinkBlackOut() {
  BlackoutControls& blackout = controls_.blackout;
  if (blackout.on.load(kRelaxed)) {
    blackout.buttonVisible.store(!blackout.buttonVisible.load(kRelaxed), kRelaxed);
  } else {
    blackout.buttonVisible.store(true, kRelaxed);
  }
}

void OutputEngine::SendToSinks() {
  for (int i = 0; i < sinkCount_; ++i) sinks_[i]->WriteFrame(frames_);
}

}  // namespace kalvetro
