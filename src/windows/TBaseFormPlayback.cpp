#include "windows/TBaseForm.h"

namespace kalvetro {

// The playback pages: sequencer and show clock, and the scene list commands.
void TBaseForm::BuildPlaybackPages() {}

}  // namespace kalvetro
