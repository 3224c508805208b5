// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "output/OutputControls.h"
#include "output/OutputFrames.h"
#include "show/ShowMemory.h"

namespace kalvetro {

// The frame being assembled during one tick. It belongs to the output thread alone, so the
// layers work on plain bytes; the finished frame is published to OutputFrames in one pass.
using FrameSlots = std::array<std::uint8_t, kFrameBytes>;

// What a layer sees of one tick: the show, the scene row this tick plays (computed by the tick
// itself from the current step, never stored where other threads address through it), the
// playing flag as the tick read it, the frame under assembly and the shared tables.
struct TickContext {
  const ShowMemory& memory;
  int row;
  bool playing;
  FrameSlots& frame;
  OutputFrames& frames;
};

// One stage of the frame pipeline. A layer reads its own block of control atomics and the show
// and writes into the frame; it allocates nothing and takes no lock.
class OutputLayer {
 public:
  virtual ~OutputLayer() = default;
  virtual const char* Name() const = 0;
  virtual void Apply(TickContext& tick) = 0;
};

// One step of the crossfade of a channel towards its target, on whole numbers: a step of 0
// freezes the channel, a step of 255 reaches any target at once, and nothing wraps.
// Written without branches: channels move up and down in no pattern a predictor could learn.
constexpr std::uint8_t CrossfadeStep(std::uint8_t out, std::uint8_t target, std::uint8_t step) {
  const int distance = target - out;                     // -255..255
  const int sign = distance >> 31;                       // 0 up, -1 down
  const int magnitude = (distance ^ sign) - sign;        // |distance|
  const int move = magnitude < step ? magnitude : step;  // never past the target
  return static_cast<std::uint8_t>(out + ((move ^ sign) - sign));
}

// Moves every channel towards the current scene by the crossfade mode, and asks for the
// "Audio" caption colour of the beat flag.
class CrossfadeLayer : public OutputLayer {
 public:
  CrossfadeLayer(CrossfadeControls& controls, const std::atomic<std::uint8_t>& beatFlag)
      : controls_(controls), beatFlag_(beatFlag) {}
  const char* Name() const override { return "crossfade"; }
  void Apply(TickContext& tick) override;

 private:
  CrossfadeControls& controls_;
  const std::atomic<std::uint8_t>& beatFlag_;
};

// The two automatic chasers: each active one writes its four levels, automat 2 after automat 1.
class AutomatLayer : public OutputLayer {
 public:
  explicit AutomatLayer(std::array<AutomatControls, kAutomatCount>& controls)
      : controls_(controls) {}
  const char* Name() const override { return "automats"; }
  void Apply(TickContext& tick) override;

 private:
  std::array<AutomatControls, kAutomatCount>& controls_;
};

// The ticked static pictures in key order 1..8, Space, Z, X, C, V, B, N, M: every slot whose
// include flag is exactly 1 takes the picture's level.
class PictureLayer : public OutputLayer {
 public:
  explicit PictureLayer(PictureControls& controls) : controls_(controls) {}
  const char* Name() const override { return "static pictures"; }
  void Apply(TickContext& tick) override;

 private:
  PictureControls& controls_;
};

// The manual override: in manual mode every selected channel of the strip window takes the
// position of its strip's fader.
class StripLayer : public OutputLayer {
 public:
  explicit StripLayer(StripControls& controls) : controls_(controls) {}
  const char* Name() const override { return "manual strips"; }
  void Apply(TickContext& tick) override;

 private:
  StripControls& controls_;
};

// The hand scan pad with priority: every selected channel takes X and the channel above it Y;
// channel 255 puts its Y into slot 256, which is dark whenever the pad does not drive it.
class PadLayer : public OutputLayer {
 public:
  explicit PadLayer(PadControls& controls) : controls_(controls) {}
  const char* Name() const override { return "hand scan pad"; }
  void Apply(TickContext& tick) override;

 private:
  PadControls& controls_;
};

// Blackout: every slot dark, 0..256.
class BlackoutLayer : public OutputLayer {
 public:
  explicit BlackoutLayer(BlackoutControls& controls) : controls_(controls) {}
  const char* Name() const override { return "blackout"; }
  void Apply(TickContext& tick) override;

 private:
  BlackoutControls& controls_;
};

// The macro picture "M" once more, over blackout, while the macro button is down.
class MacroLayer : public OutputLayer {
 public:
  explicit MacroLayer(PictureControls& controls) : controls_(controls) {}
  const char* Name() const override { return "macro picture"; }
  void Apply(TickContext& tick) override;

 private:
  PictureControls& controls_;
};

// Lays static picture k over the frame (include flag exactly 1).
void LayPicture(const ShowMemory& memory, int k, FrameSlots& frame);

}  // namespace kalvetro
