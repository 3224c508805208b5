// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "player/RunOptions.h"

namespace kalvetro {

// What the player is asked to do on the command line.
struct HeadlessOptions {
  QString showFile;
  QString port;          // empty: no serial output
  int olaUniverse = 0;   // 0: no network output
  int seconds = 0;       // 0: play until stopped
  QString settingsFile;  // empty: a settings file is neither read nor written
  RunOptions run;        // automats, pictures and transitions of the run
  bool sound = false;    // step on the sound of the audio input (run.soundInput, else the
                         // default; none: tempo pacing)
  bool beat = false;     // with sound: on the beats of the music, not the level's peaks
  // Play the conveyor list of the window's settings (its slots and ticks) from the first
  // ticked slot instead of one show file.
  bool conveyor = false;
};

// Plays a show without a window and without a display, on the same show runner as the window:
// opens it, plays it from its first scene at its tempo (transitions of "Автомат" unless the
// run options choose others), looping, with the automats and pictures the run options ask
// for, and sends to every output given. One
// line per scene change on standard output; a show that cannot be read or a port that cannot
// be opened ends it with a message and exit code 2. SIGINT and SIGTERM stop it at once.
// Needs a QCoreApplication (and nothing more); returns the exit code.
int RunHeadlessPlayer(const HeadlessOptions& options);

}  // namespace kalvetro
