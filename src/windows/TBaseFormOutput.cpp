#include "windows/TBaseForm.h"

namespace kalvetro {

// The output pages: crossfade mode, rates, levels and blackout, static picture boxes and the
// channel strip panel.
void TBaseForm::BuildOutputPages() {}

}  // namespace kalvetro
