// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/OutputLayers.h"

namespace kalvetro {

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}

void CrossfadeLayer::Apply(TickContext& tick) {
  controls_.audioRed.store(beatFlag_.load(kRelaxed) != 0, kRelaxed);

  const ShowMemory& memory = tick.memory;
  FrameSlots& out = tick.frame;
  auto& target = tick.frames.targetFrame;
  const int row = tick.row;

  const int mode = controls_.mode.load(kRelaxed);
  if (mode == kCrossfadeSliders || (mode == kCrossfadeAutomat && tick.playing)) {
    // The target is the current scene; each channel moves towards it by its own step: the
    // rate row in "Ползунки", the sequencer's table while a show plays in "Автомат".
    const bool sliders = mode == kCrossfadeSliders;
    for (int n = 1; n <= 255; ++n) {
      const std::uint8_t level = memory.Get(row + n);
      target[n].store(level, kRelaxed);
      const std::uint8_t step =
          sliders ? memory.Get(kRateRow + n) : tick.frames.stepTable[n].load(kRelaxed);
      out[n] = CrossfadeStep(out[n], level, step);
    }
  } else if (mode == kCrossfadeAutomat || mode == kCrossfadeOff) {
    // Jump: the frame takes the scene at once; the target is left as it was.
    for (int n = 1; n <= 255; ++n) out[n] = memory.Get(row + n);
  }
  // Any other mode (no item chosen) leaves the frame as it is.
}

void AutomatLayer::Apply(TickContext& tick) {
  for (const AutomatControls& automat : controls_) {
    if (!automat.active.load(kRelaxed)) continue;
    int p = automat.position.load(kRelaxed);
    if (p > kMaxAutomatPosition) p = kMaxAutomatPosition;
    for (int i = 0; i < kAutomatChannels; ++i)
      tick.frame[p + 1 + i] = automat.levels[i].load(kRelaxed);
  }
}

void LayPicture(const ShowMemory& memory, int k, FrameSlots& frame) {
  const int flags = PictureOffset(k);
  const int levels = flags + kPictureLevels;
  // Pictures are sparse: eight include flags are tested with one load, and a block whose
  // flags are all 0 is passed over.
  for (int first = 0; first < 256; first += 8) {
    const std::uint64_t included = memory.GetBlock(flags + first);
    if (included == 0) continue;
    const std::uint64_t level = memory.GetBlock(levels + first);
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      if (((included >> (8 * i)) & 0xFF) == 1)
        frame[first + i] = static_cast<std::uint8_t>(level >> (8 * i));
    }
  }
}

void PictureLayer::Apply(TickContext& tick) {
  for (int k = 0; k < kPictureCount; ++k) {
    if (controls_.Picture(k)) LayPicture(tick.memory, k, tick.frame);
  }
}

void StripLayer::Apply(TickContext& tick) {
  if (!controls_.manual.load(kRelaxed)) return;
  int offset = controls_.offset.load(kRelaxed);
  if (offset > kMaxStripOffset) offset = kMaxStripOffset;
  // A strip overrides its channel while the channel is selected: the selection byte is the
  // one state the strip's box shows and the operator ticks.
  for (int k = 1; k <= kStripCount; ++k) {
    if (tick.memory.Get(kSelectFlags + offset + k) == 1)
      tick.frame[offset + k] = controls_.fader[k - 1].load(kRelaxed);
  }
}

void PadLayer::Apply(TickContext& tick) {
  // Slot 256 belongs to no channel: only the pad's pair of channel 255 lights it, and only
  // while the pad drives it. Every tick starts it dark, so the pad letting go gives it back.
  tick.frame[256] = 0;
  if (!controls_.priority.load(kRelaxed)) return;
  // A higher selected channel overwrites the Y its neighbour received.
  const std::uint8_t x = controls_.x.load(kRelaxed);
  const std::uint8_t y = controls_.y.load(kRelaxed);
  for (int first = 0; first < 256; first += 8) {
    const std::uint64_t selected = tick.memory.GetBlock(kSelectFlags + first);
    if (selected == 0) continue;
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      if (((selected >> (8 * i)) & 0xFF) == 1) {
        tick.frame[first + i] = x;
        tick.frame[first + i + 1] = y;
      }
    }
  }
}

void BlackoutLayer::Apply(TickContext& tick) {
  if (!controls_.on.load(kRelaxed)) return;
  // Every slot that is sent goes dark, the pad's slot 256 too.
  for (int n = 0; n < kFrameSlots; ++n) tick.frame[n] = 0;
}

void MacroLayer::Apply(TickContext& tick) {
  if (controls_.macroOut.load(kRelaxed)) LayPicture(tick.memory, kMacroPicture, tick.frame);
}

}  // namespace kalvetro
