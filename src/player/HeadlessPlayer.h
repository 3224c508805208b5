// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StartOptions.h"

namespace kalvetro {

// Plays a show without a window and without a display, on the same show runner as the window,
// started by the same start-up: opens it, plays it from its first scene at its tempo
// (transitions of "Автомат" unless the options choose others), looping, with the automats and
// pictures the options ask for, and sends to every output given. One line per scene change
// on standard output; a show that cannot be read or a port that cannot be opened ends it with
// a message and exit code 2. SIGINT and SIGTERM stop it at once. Needs a QCoreApplication
// (and nothing more); returns the exit code.
int RunHeadlessPlayer(const StartOptions& options);

}  // namespace kalvetro
