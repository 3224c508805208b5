// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "output/OutputControls.h"

class QCommandLineParser;

namespace kalvetro {

class Remotes;
class ShowRunner;

// How a show is played from the command line, the same for the window (with --play) and the
// headless player, so that both put the same show on the wire.
struct RunOptions {
  std::array<bool, kAutomatCount> automatWithShow{};  // --automat N: runs as "С основным"
  std::array<bool, kPictureCount> latchedPictures{};  // --picture N: latched for the run
  std::optional<int> crossfadeMode;                   // --crossfade sliders|automat|off
  std::optional<int> oscPort;                         // --osc PORT: OSC remote on this port
  std::optional<int> webPort;                         // --web PORT: the phone page on for the run
  QString midiPort;    // --midi PORT-NAME: a MIDI desk on ports of that name for the run
  QString soundInput;  // --sound-input NAME: listen to the audio input of that name for the run
};

// Adds --automat, --picture, --crossfade, --osc, --web, --midi and --sound-input to a command
// line parser.
void AddRunOptions(QCommandLineParser& parser);
// Reads them after the parser has processed the command line. A bad value gives false and
// a message for the operator.
bool ReadRunOptions(const QCommandLineParser& parser, RunOptions& options, QString& error);
// Sets the runner up as the options say; the crossfade mode only when one was given.
void ApplyRunOptions(ShowRunner& runner, const RunOptions& options);
// Starts the remotes the options ask for (this run only: the settings keep their own choice).
// A port that cannot be bound is reported on the status line; the console runs on.
void ApplyRemoteOptions(Remotes& remotes, const RunOptions& options);

}  // namespace kalvetro
