#pragma once

#include <cstdint>
#include <functional>

#include "output/OutputControls.h"
#include "output/OutputFrames.h"
#include "show/ShowState.h"

namespace kalvetro {

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

// One output tick: frame assembly with the crossfade, the live overlays, the blackout blink,
// then the packet to the port. Runs on the output thread every 50 ms; it reads the show and
// the mirrored control states, touches no widget and allocates nothing.
class OutputEngine {
 public:
  OutputEngine(ShowState& show, OutputFrames& frames) : show_(show), frames_(frames) {}

  // Called every 50 ms on the output thread: SborDmxStroki, ManualDmx, BlankBlackOut, then
  // the sender.
  void Tick();
  // The last step of a tick: hands the finished frame to the DMX link (SendToCom).
  void SetSender(std::function<void()> send) { send_ = std::move(send); }

  // The control states the tick reads and the visual requests it sends back.
  OutputControls& Controls() { return controls_; }
  const OutputControls& Controls() const { return controls_; }

  // The crossfade: beat colour request, current row, the move of every channel towards the
  // current scene by the crossfade mode, then the automats.
  void SborDmxStroki();
  // The automatic channel programs write their channels into the frame here, at the end of
  // the crossfade and before the overlays. No automat runs yet, so nothing is written.
  void OutJobAvtomats();
  // The overlays, later ones winning: the ticked static pictures in their key order, the
  // manual strips, the hand scan pad, blackout, then the macro picture "M" once more.
  void ManualDmx();
  // The manual strips: every ticked visible strip forces its channel to its fader.
  void CheckBoxManualScrollBar();
  // The blackout button blinks (hidden every other tick) while blackout is on.
  void BlankBlackOut();

 private:
  // Lays static picture k over the frame: every slot 0..255 whose include flag is exactly 1
  // takes the picture's level.
  void LayPicture(int k);

  ShowState& show_;
  OutputFrames& frames_;
  OutputControls controls_;
  std::function<void()> send_;
};

}  // namespace kalvetro
