// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The console binary of this build (KALVETRO_CONSOLE_BINARY of the test program) started as a
// process of a test, and the user's settings it reads written for it.
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "show/Settings.h"

namespace kalvetro::testing {

struct ConsoleEnvironment {
  QString configHome = {};  // XDG_CONFIG_HOME, the folder of its settings; empty: as it is
  QString dataHome = {};    // XDG_DATA_HOME, the folder of its autosave; empty: as it is
  bool offscreen = false;   // QT_QPA_PLATFORM=offscreen
  bool noDisplay = false;   // no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM: nothing to draw on
};

// Started, not waited for; owner deletes it (and so ends it) when the test is done.
inline QProcess* StartConsoleProcess(QObject* owner, const QStringList& arguments,
                                     const ConsoleEnvironment& how = {}) {
  auto* console = new QProcess(owner);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  if (!how.configHome.isEmpty())
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), how.configHome);
  if (!how.dataHome.isEmpty()) environment.insert(QStringLiteral("XDG_DATA_HOME"), how.dataHome);
  if (how.offscreen)
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  if (how.noDisplay) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      environment.remove(QString::fromLatin1(name));
  }
  console->setProcessEnvironment(environment);
  console->start(QStringLiteral(KALVETRO_CONSOLE_BINARY), arguments);
  return console;
}

// Writes settings as the user's Kalvo.ini below dir and returns the folder to give as
// configHome; empty when it could not be written.
inline QString WriteUserSettings(const QTemporaryDir& dir, const Settings& settings) {
  const QString home = dir.filePath(QStringLiteral("config"));
  if (!QDir().mkpath(home + QStringLiteral("/kalvetro"))) return {};
  const std::string file = (home + QStringLiteral("/kalvetro/Kalvo.ini")).toStdString();
  return WriteSettings(file, settings).ok ? home : QString();
}

}  // namespace kalvetro::testing
