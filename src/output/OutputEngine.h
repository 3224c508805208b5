// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include "output/OutputControls.h"
#include "output/OutputFrames.h"
#include "output/OutputLayers.h"
#include "output/OutputSink.h"
#include "show/ShowState.h"

namespace kalvetro {

// One output tick: the frame is assembled by a fixed, ordered pipeline of layers (crossfade,
// automats, static pictures, manual strips, hand scan pad, blackout, macro picture), the
// blackout button blink is requested, and the finished frame goes to every output sink.
// Runs on the output thread every 50 ms; it reads the show and the control blocks, touches no
// widget, writes no state that other threads address through, and allocates nothing.
class OutputEngine {
 public:
  static constexpr int kLayerCount = 7;
  static constexpr int kMaxSinks = 4;

  OutputEngine(ShowState& show, OutputFrames& frames);
  OutputEngine(const OutputEngine&) = delete;
  OutputEngine& operator=(const OutputEngine&) = delete;

  // Called every 50 ms on the output thread: AssembleFrame, LayOverlays, BlinkBlackOut, then
  // SendPacket through every sink. While the show image is being replaced, or when it was
  // replaced during the assembly, the previous frame is sent again.
  void Tick();
  // Asks the next assembled frame to start dark instead of from the previous frame (a show
  // emptied). The frame is the output thread's alone: the user interface never writes it.
  void RequestDarkFrame() { darkFrame_.store(true, std::memory_order_release); }
  // Adds a sink; only before the output thread starts. Returns false when the list is full.
  bool AddSink(OutputSink* sink);

  // The control blocks the layers read and the visual requests they send back.
  OutputControls& Controls() { return controls_; }
  const OutputControls& Controls() const { return controls_; }
  // The layers in the order they are laid.
  const std::array<OutputLayer*, kLayerCount>& Layers() const { return layers_; }

 private:
  // The crossfade and then the automats on the frame under assembly, then the overlays
  // (LayOverlays).
  void AssembleFrame(TickContext& tick);
  void LayOverlays(TickContext& tick);
  // The blackout button blinks (hidden every other tick) while blackout is on.
  void BlinkBlackOut();
  // Hands the published frame to every sink.
  void SendToSinks();

  ShowState& show_;
  OutputFrames& frames_;
  OutputControls controls_;
  CrossfadeLayer crossfade_;
  AutomatLayer automats_;
  PictureLayer pictures_;
  StripLayer strips_;
  PadLayer pad_;
  BlackoutLayer blackout_;
  MacroLayer macro_;
  std::array<OutputLayer*, kLayerCount> layers_;
  std::array<OutputSink*, kMaxSinks> sinks_{};
  int sinkCount_ = 0;
  alignas(8) FrameSlots work_{};  // output thread only
  std::atomic<bool> darkFrame_{false};
};

}  // namespace kalvetro
