// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

#include "app/Console.h"

namespace kalvetro::testing {

// A console without a window on the given port, its settings and autosave files in dir.
inline StartOptions OptionsIn(const QTemporaryDir& dir, const QString& port) {
  StartOptions options;
  options.port = port;
  options.settingsFile = dir.filePath(QStringLiteral("Kalvo.ini"));
  options.autosaveFile = dir.filePath(QStringLiteral("ShouTemp.klv"));
  return options;
}

}  // namespace kalvetro::testing
