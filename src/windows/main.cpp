// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>
#include <cstring>
#include <memory>

#include "app/ShowRunner.h"
#include "player/HeadlessPlayer.h"
#include "player/RunOptions.h"
#include "remote/Remotes.h"
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
  parser.setApplicationDescription(QStringLiteral("Kalvetro DMX512 lighting console"));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption portOption(
      QStringLiteral("port"),
      QStringLiteral("Serial port of the DMX interface: COM1, COM2, ... or a device path."),
      QStringLiteral("DEVICE"), QString::fromLatin1(kalvetro::kDefaultPort));
  QCommandLineOption olaOption(
      QStringLiteral("ola"),
      QStringLiteral("Also send every frame to this universe (1..65535) of the OLA daemon."),
      QStringLiteral("UNIVERSE"));
  QCommandLineOption headlessOption(
      QStringLiteral("headless"),
      QStringLiteral("Play SHOW.klv without a window, looping, until stopped (SIGINT, SIGTERM)."));
  QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                   QStringLiteral("With --headless: stop after N seconds."),
                                   QStringLiteral("N"));
  parser.addOption(portOption);
  parser.addOption(olaOption);
  parser.addOption(headlessOption);
  QCommandLineOption playOption(
      QStringLiteral("play"),
      QStringLiteral("Start playing the show as soon as the window has opened it."));
  QCommandLineOption soundOption(
      QStringLiteral("sound"),
      QStringLiteral("With --headless: step on the sound of the default audio input, on the "
                     "peaks of its level (level) or on the beats of the music (beat); without "
                     "an input the show plays at its tempo."),
      QStringLiteral("level|beat"));
  parser.addOption(secondsOption);
  parser.addOption(playOption);
  parser.addOption(soundOption);
  QCommandLineOption conveyorOption(
      QStringLiteral("conveyor"),
      QStringLiteral("With --headless and no show file: play the conveyor list of the "
                     "settings (its slots and ticks) from the first ticked slot."));
  parser.addOption(conveyorOption);
  kalvetro::AddRunOptions(parser);
  parser.addPositionalArgument(QStringLiteral("SHOW.klv"), QStringLiteral("Show file to open."),
                               QStringLiteral("[SHOW.klv]"));
  parser.process(*app);

  int universe = 0;
  if (parser.isSet(olaOption)) {
    bool ok = false;
    universe = parser.value(olaOption).toInt(&ok);
    if (!ok || universe < 1 || universe > 65535) {
      std::fputs("kalvetro: --ola takes a universe 1..65535\n", stderr);
      return 2;
    }
  }

  kalvetro::RunOptions run;
  QString runError;
  if (!kalvetro::ReadRunOptions(parser, run, runError)) {
    std::fputs(("kalvetro: " + runError + "\n").toLocal8Bit().constData(), stderr);
    return 2;
  }

  if (headless) {
    kalvetro::HeadlessOptions options;
    options.run = run;
    if (parser.isSet(soundOption)) {
      const QString sound = parser.value(soundOption);
      if (sound != QStringLiteral("level") && sound != QStringLiteral("beat")) {
        std::fputs("kalvetro: --sound takes level or beat\n", stderr);
        return 2;
      }
      options.sound = true;
      options.beat = sound == QStringLiteral("beat");
    }
    options.sound = options.sound || !run.soundInput.isEmpty();
    options.conveyor = parser.isSet(conveyorOption);
    if (options.conveyor && !parser.positionalArguments().isEmpty()) {
      std::fputs("kalvetro: --conveyor plays the shows of the conveyor: give no show file\n",
                 stderr);
      return 2;
    }
    if (!options.conveyor && parser.positionalArguments().isEmpty()) {
      std::fputs("kalvetro: --headless needs a show file\n", stderr);
      return 2;
    }
    if (!options.conveyor) options.showFile = parser.positionalArguments().first();
    if (parser.isSet(portOption)) options.port = parser.value(portOption);
    options.olaUniverse = universe;
    options.seconds = parser.value(secondsOption).toInt();
    return kalvetro::RunHeadlessPlayer(options);
  }

  kalvetro::StartOptions options;
  options.port = parser.value(portOption);
  options.olaUniverse = universe;
  options.soundInput = run.soundInput;
  if (!parser.positionalArguments().isEmpty())
    options.showFile = parser.positionalArguments().first();

  kalvetro::MainWindow window(options);
  window.showMaximized();
  // The run options apply from the start; an installation that starts the console at boot
  // plays its show without a click.
  kalvetro::ApplyRunOptions(window.GetConsole().Runner(), run);
  kalvetro::ApplyRemoteOptions(window.Remote(), run);
  if (parser.isSet(playOption)) window.GetConsole().Runner().Play();
  if (run.webPort) window.Remote().StartWeb(*run.webPort);
  if (!run.midiPort.isEmpty()) window.Remote().StartMidi(run.midiPort);
  return QCoreApplication::exec();
}
