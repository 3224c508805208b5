// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kalvetro {

// A file or folder of the console's data: the installed copy (share/kalvetro beside the
// program's bin folder) first, then the source tree the program was built from. Empty when
// neither exists.
QString DataPath(const QString& relative);

}  // namespace kalvetro
