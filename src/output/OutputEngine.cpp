#include "output/OutputEngine.h"

namespace kalvetro {

void OutputEngine::Tick() {
  // Until the crossfade exists the frame follows the current scene directly.
  show_.RaschetAdr(show_.CurrentStep());
  for (int n = 1; n <= 255; ++n) frames_.SetOutput(n, show_.RowLevel(n));
  if (send_) send_();
}

}  // namespace kalvetro
