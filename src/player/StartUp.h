// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

#include "app/StartOptions.h"
#include "show/Result.h"

namespace kalvetro {

class Console;
class Remotes;

// Starts a console as the options ask, in the same steps for the window and the headless
// player: the DMX link, the empty show and its defaults, the settings, the last or the given
// show, the runner's choices for the run, the remotes, playing, the output.
// The window starts on whatever fails: each failure goes to `report` (a show that cannot be
// read), and a port that cannot be opened puts the link in demo mode. For the headless player
// a failure ends the start-up and is returned (it then ends with a message).
// A recovery file newer than its show (changes a crash kept from their file) is offered to the
// window through `ask` (Yes: it becomes the show); the player never asks.
Result StartConsole(Console& console, Remotes& remotes, const StartOptions& options,
                    const std::function<void(const Result&)>& report,
                    const std::function<bool(const QString&)>& ask = {});

}  // namespace kalvetro
