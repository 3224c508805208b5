// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "editing/ui/StripPanel.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {

// A started console for the output pages; tests call the output tick by hand.
class OutputFixture : public TestConsole {
 public:
  OutputFixture() { Start(); }

  StripPanel* Strips() const { return Find<StripPanel>(QStringLiteral("StripPanel")); }
  // One period of the 100 ms output display timer.
  void Display() { Strips()->ShowSentLevels(); }
};

}  // namespace kalvetro::testing
