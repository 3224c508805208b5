// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "app/StartOptions.h"

class QCommandLineParser;

namespace kalvetro {

// Adds every option of the console's command line (the window's and the headless player's,
// which are the same) to a parser, with the help and version options and the show file.
void AddStartOptions(QCommandLineParser& parser);
// Reads them after the parser has processed the command line. A bad value gives false and
// a message for the operator.
bool ReadStartOptions(const QCommandLineParser& parser, StartOptions& options, QString& error);

}  // namespace kalvetro
