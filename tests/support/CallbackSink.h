// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <utility>

#include "output/OutputSink.h"

namespace kalvetro::testing {

// An output sink that hands every finished frame to a test's function, on the output thread.
class CallbackSink : public OutputSink {
 public:
  explicit CallbackSink(std::function<void(const OutputFrames&)> onFrame)
      : onFrame_(std::move(onFrame)) {}
  void WriteFrame(const OutputFrames& frames) override { onFrame_(frames); }

 private:
  std::function<void(const OutputFrames&)> onFrame_;
};

}  // namespace kalvetro::testing
