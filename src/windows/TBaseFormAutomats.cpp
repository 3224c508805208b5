#include "windows/TBaseForm.h"

namespace kalvetro {

// The automats page and the sound page.
void TBaseForm::BuildAutomatPages() {}

}  // namespace kalvetro
