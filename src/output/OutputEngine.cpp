#include "output/OutputEngine.h"


namespace kalvetro {

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}

void OutputEngine::Tick() {
  SborDmxStroki();
  ManualDmx();
  BlankBlackOut();
  if (send_) send_();
}

void OutputEngine::SborDmxStroki() {
  controls_.audioRed.store(show_.beatFlag.load(kRelaxed) != 0, kRelaxed);

  show_.RaschetAdr(show_.CurrentStep());
  const int row = show_.currentRow.load(kRelaxed);
  const ShowMemory& memory = show_.memory;
  auto& out = frames_.outputFrame;
  auto& target = frames_.targetFrame;

  const int mode = controls_.crossfadeMode.load(kRelaxed);
  const bool playing = show_.playing.load(kRelaxed);
  if (mode == kCrossfadeSliders || (mode == kCrossfadeAutomat && playing)) {
    // The target is the current scene; each channel moves towards it by its own step: the
    // rate row in "Ползунки", the sequencer's table while a show plays in "Автомат".
    const bool sliders = mode == kCrossfadeSliders;
    for (int n = 1; n <= 255; ++n) {
      const std::uint8_t level = memory.Get(row + n);
      target[n].store(level, kRelaxed);
      const std::uint8_t step =
          sliders ? memory.Get(kRateRow + n) : frames_.stepTable[n].load(kRelaxed);
      out[n].store(CrossfadeStep(out[n].load(kRelaxed), level, step), kRelaxed);
    }
  } else if (mode == kCrossfadeAutomat || mode == kCrossfadeOff) {
    // Jump: the frame takes the scene at once; the target is left as it was.
    for (int n = 1; n <= 255; ++n) out[n].store(memory.Get(row + n), kRelaxed);
  }
  // Any other mode (no item chosen) leaves the frame as it is.

  OutJobAvtomats();
}

void OutputEngine::OutJobAvtomats() {}

void OutputEngine::LayPicture(int k) {
  const int flags = PictureOffset(k);
  const int levels = flags + kPictureLevels;
  const ShowMemory& memory = show_.memory;
  auto& out = frames_.outputFrame;
  // Pictures are sparse: eight include flags are tested with one load, and a block whose
  // flags are all 0 is passed over.
  for (int first = 0; first < 256; first += 8) {
    const std::uint64_t included = memory.GetBlock(flags + first);
    if (included == 0) continue;
    const std::uint64_t level = memory.GetBlock(levels + first);
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      if (((included >> (8 * i)) & 0xFF) == 1)
        out[first + i].store(static_cast<std::uint8_t>(level >> (8 * i)), kRelaxed);
    }
  }
}

void OutputEngine::CheckBoxManualScrollBar() {
  int offset = controls_.stripOffset.load(kRelaxed);
  if (offset > kMaxStripOffset) offset = kMaxStripOffset;
  for (int k = 1; k <= kStripCount; ++k) {
    if (controls_.stripTicked[k - 1].load(kRelaxed))
      frames_.outputFrame[offset + k].store(controls_.stripFader[k - 1].load(kRelaxed), kRelaxed);
  }
}

void OutputEngine::ManualDmx() {
  auto& out = frames_.outputFrame;

  for (int k = 0; k < kPictureCount; ++k) {
    if (controls_.Picture(k)) LayPicture(k);
  }

  if (controls_.manual.load(kRelaxed)) CheckBoxManualScrollBar();

  if (controls_.padPriority.load(kRelaxed)) {
    // Every selected channel takes X and the channel above it Y; channel 255 puts its Y into
    // slot 256. A higher selected channel overwrites the Y its neighbour received.
    const std::uint8_t x = controls_.padX.load(kRelaxed);
    const std::uint8_t y = controls_.padY.load(kRelaxed);
    for (int first = 0; first < 256; first += 8) {
      const std::uint64_t selected = show_.memory.GetBlock(kSelectFlags + first);
      if (selected == 0) continue;
#pragma GCC unroll 8
      for (int i = 0; i < 8; ++i) {
        if (((selected >> (8 * i)) & 0xFF) == 1) {
          out[first + i].store(x, kRelaxed);
          out[first + i + 1].store(y, kRelaxed);
        }
      }
    }
  }

  if (controls_.blackOut.load(kRelaxed)) {
    for (int n = 0; n < 256; ++n) out[n].store(0, kRelaxed);  // slot 256 keeps its value
  }

  if (controls_.macroOut.load(kRelaxed)) LayPicture(kMacroPicture);
}

void OutputEngine::BlankBlackOut() {
  if (controls_.blackOut.load(kRelaxed)) {
    controls_.blackOutButtonVisible.store(!controls_.blackOutButtonVisible.load(kRelaxed),
                                          kRelaxed);
  } else {
    controls_.blackOutButtonVisible.store(true, kRelaxed);
  }
}

}  // namespace kalvetro
