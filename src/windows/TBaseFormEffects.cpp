#include "windows/TBaseForm.h"

namespace kalvetro {

// The beam editor page and the hand scan window.
void TBaseForm::BuildEffectsPages() {}

}  // namespace kalvetro
