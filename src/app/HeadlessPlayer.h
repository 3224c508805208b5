#pragma once

#include <QString>

namespace kalvetro {

// What the player is asked to do on the command line.
struct HeadlessOptions {
  QString showFile;
  QString port;          // empty: no serial output
  int olaUniverse = 0;   // 0: no network output
  int seconds = 0;       // 0: play until stopped
  QString settingsFile;  // empty: a settings file is neither read nor written
};

// Plays a show without a window and without a display: opens it, plays it from its first scene
// at its tempo with the crossfade of "Автомат", looping, and sends to every output given. One
// line per scene change on standard output; a show that cannot be read or a port that cannot
// be opened ends it with a message and exit code 2. SIGINT and SIGTERM stop it at once.
// Needs a QCoreApplication (and nothing more); returns the exit code.
int RunHeadlessPlayer(const HeadlessOptions& options);

}  // namespace kalvetro
