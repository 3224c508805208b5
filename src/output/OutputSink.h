// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/OutputFrames.h"

namespace kalvetro {

// Where a finished output frame goes: the serial link to the DMX interface, or another output
// beside it. The output tick calls every sink once per tick, on the output thread, after the
// frame is complete. A sink must not allocate and must not block past its share of the 50 ms
// period: a sink that may wait (a network) hands the frame to a thread of its own. Failures are
// reported by the sink itself to the user-interface thread; the tick never stops for them.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Slots 1..256 of the output frame (frames.Output) are the levels to send; slot 0 is never sent.
  virtual void WriteFrame(const OutputFrames& frames) = 0;
};

}  // namespace kalvetro
