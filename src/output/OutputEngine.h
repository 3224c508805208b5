#pragma once

#include <functional>

#include "output/OutputFrames.h"
#include "show/ShowState.h"

namespace kalvetro {

// One output tick: frame assembly, overlays, blackout blink, then the packet to the port.
// Runs on the output thread; it touches no widget.
class OutputEngine {
 public:
  OutputEngine(ShowState& show, OutputFrames& frames) : show_(show), frames_(frames) {}

  // Called every 50 ms on the output thread.
  void Tick();
  // The last step of a tick: hands the finished frame to the DMX link.
  void SetSender(std::function<void()> send) { send_ = std::move(send); }

 private:
  ShowState& show_;
  OutputFrames& frames_;
  std::function<void()> send_;
};

}  // namespace kalvetro
