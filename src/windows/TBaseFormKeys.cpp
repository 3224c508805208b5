#include "windows/TBaseForm.h"

namespace kalvetro {

// The static pictures window, the keyboard of the main window and the channel names.
void TBaseForm::BuildKeyboardParts() {}

}  // namespace kalvetro
