#include "windows/TBaseForm.h"

namespace kalvetro {

// The editing pages: the level table, the channel graph and the block copies.
void TBaseForm::BuildEditingPages() {}

}  // namespace kalvetro
