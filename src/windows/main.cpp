// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>
#include <cstring>
#include <memory>

#include "player/CommandLine.h"
#include "player/HeadlessPlayer.h"
#include "windows/ConsoleStyle.h"
#include "windows/MainWindow.h"

int main(int argc, char* argv[]) {
  // Without a window the player needs no display: it runs on a core application only, which
  // never connects to X or Wayland.
  bool headless = false;
  // Asking for the help or the version only prints and ends: that needs no display either.
  bool printOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) headless = true;
    for (const char* word : {"--help", "-h", "--help-all", "--version", "-v"})
      if (std::strcmp(argv[i], word) == 0) printOnly = true;
  }
  std::unique_ptr<QCoreApplication> app = headless || printOnly
                                              ? std::make_unique<QCoreApplication>(argc, argv)
                                              : std::make_unique<QApplication>(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kalvetro"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KALVETRO_VERSION));
  if (!headless && !printOnly) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Kalvetro"));
    kalvetro::UseConsoleStyle();
  }

  QCommandLineParser parser;
  kalvetro::AddStartOptions(parser);
  parser.process(*app);
  kalvetro::StartOptions options;
  QString error;
  if (!kalvetro::ReadStartOptions(parser, options, error)) {
    std::fputs(("kalvetro: " + error + "\n").toLocal8Bit().constData(), stderr);
    return 2;
  }
  if (options.headless) return kalvetro::RunHeadlessPlayer(options);

  // The run options apply from the start; an installation that starts the console at boot
  // plays its show without a click.
  kalvetro::MainWindow window(options);
  window.showMaximized();
  return QCoreApplication::exec();
}
