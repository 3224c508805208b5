// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/CommandLine.h"

#include <QCommandLineParser>

#include "output/DmxLink.h"

namespace kalvetro {

namespace {

const QString kPort = QStringLiteral("port");
const QString kOla = QStringLiteral("ola");
const QString kHeadless = QStringLiteral("headless");
const QString kSeconds = QStringLiteral("seconds");
const QString kPlay = QStringLiteral("play");
const QString kSound = QStringLiteral("sound");
const QString kConveyor = QStringLiteral("conveyor");
const QString kAutomat = QStringLiteral("automat");
const QString kPicture = QStringLiteral("picture");
const QString kCrossfade = QStringLiteral("crossfade");
const QString kOsc = QStringLiteral("osc");
const QString kWeb = QStringLiteral("web");
const QString kMidi = QStringLiteral("midi");
const QString kSoundInput = QStringLiteral("sound-input");

// Every value of a repeatable option as a number in first..last; nullopt on a bad one.
std::optional<QList<int>> Numbers(const QCommandLineParser& parser, const QString& name, int first,
                                  int last) {
  QList<int> numbers;
  for (const QString& value : parser.values(name)) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < first || n > last) return std::nullopt;
    numbers.append(n);
  }
  return numbers;
}

// A port option's value, 1..65535, when it is given; false and the message for a bad one.
bool ReadPort(const QCommandLineParser& parser, const QString& name, const char* message,
              std::optional<int>& port, QString& error) {
  if (!parser.isSet(name)) return true;
  bool ok = false;
  const int value = parser.value(name).toInt(&ok);
  if (!ok || value < 1 || value > 65535) {
    error = QString::fromUtf8(message);
    return false;
  }
  port = value;
  return true;
}

}  // namespace

void AddStartOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(QStringLiteral("Kalvetro DMX512 lighting console"));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption(QCommandLineOption(
      kPort, QStringLiteral("Serial port of the DMX interface: COM1, COM2, ... or a device path."),
      QStringLiteral("DEVICE"), QString::fromLatin1(kDefaultPort)));
  parser.addOption(QCommandLineOption(
      kOla, QStringLiteral("Also send every frame to this universe (1..65535) of the OLA daemon."),
      QStringLiteral("UNIVERSE")));
  parser.addOption(QCommandLineOption(
      kHeadless,
      QStringLiteral("Play SHOW.klv without a window, looping, until stopped (SIGINT, SIGTERM).")));
  parser.addOption(QCommandLineOption(
      kSeconds, QStringLiteral("With --headless: stop after N seconds."), QStringLiteral("N")));
  parser.addOption(QCommandLineOption(
      kPlay, QStringLiteral("Start playing the show as soon as the window has opened it.")));
  parser.addOption(QCommandLineOption(
      kSound,
      QStringLiteral("With --headless: step on the sound of the default audio input, on the "
                     "peaks of its level (level) or on the beats of the music (beat); without "
                     "an input the show plays at its tempo."),
      QStringLiteral("level|beat")));
  parser.addOption(QCommandLineOption(
      kConveyor, QStringLiteral("With --headless and no show file: play the conveyor list of the "
                                "settings (its slots and ticks) from the first ticked slot.")));

  parser.addOption(
      QCommandLineOption(kAutomat,
                         QStringLiteral("Automat N (1 or 2) runs with the show, as \"С основным\" "
                                        "ticked; may be given twice."),
                         QStringLiteral("N")));
  parser.addOption(QCommandLineOption(
      kPicture,
      QStringLiteral("Static picture N (1..16) latched on for the whole run; may be "
                     "given more than once."),
      QStringLiteral("N")));
  parser.addOption(QCommandLineOption(
      kCrossfade,
      QStringLiteral("Scene transitions: sliders (the channels' own rates), automat (over one "
                     "scene period) or off."),
      QStringLiteral("MODE")));
  parser.addOption(QCommandLineOption(
      kOsc, QStringLiteral("Listen for OSC commands on this UDP port (1..65535), for this run."),
      QStringLiteral("PORT")));
  parser.addOption(QCommandLineOption(
      kWeb,
      QStringLiteral("Turn the phone remote on for this run: its page and WebSocket on port "
                     "1..65535 (the PIN and bind address come from the settings)."),
      QStringLiteral("PORT")));
  parser.addOption(QCommandLineOption(
      kMidi,
      QStringLiteral("Turn a MIDI desk on for this run: its input and output ports are the "
                     "first whose names contain PORT-NAME (the back end and mappings come from "
                     "the settings)."),
      QStringLiteral("PORT-NAME")));
  parser.addOption(QCommandLineOption(
      kSoundInput,
      QStringLiteral("Listen to the audio input whose name contains NAME (an input or the "
                     "sound of an output of this computer, as the sound server names them), "
                     "for this run; with --headless it implies --sound."),
      QStringLiteral("NAME")));
  parser.addPositionalArgument(QStringLiteral("SHOW.klv"), QStringLiteral("Show file to open."),
                               QStringLiteral("[SHOW.klv]"));
}

bool ReadStartOptions(const QCommandLineParser& parser, StartOptions& options, QString& error) {
  if (parser.isSet(kOla)) {
    bool ok = false;
    options.olaUniverse = parser.value(kOla).toInt(&ok);
    if (!ok || options.olaUniverse < 1 || options.olaUniverse > 65535) {
      error = QStringLiteral("--ola takes a universe 1..65535");
      return false;
    }
  }
  options.headless = parser.isSet(kHeadless);
  options.play = parser.isSet(kPlay);
  // The window takes the default port when none is given; the player then sends to no port.
  if (parser.isSet(kPort) || !options.headless) options.port = parser.value(kPort);
  options.seconds = parser.value(kSeconds).toInt();
  if (parser.isSet(kSound)) {
    const QString sound = parser.value(kSound);
    if (sound != QLatin1String("level") && sound != QLatin1String("beat")) {
      error = QStringLiteral("--sound takes level or beat");
      return false;
    }
    options.sound = true;
    options.beat = sound == QLatin1String("beat");
  }
  options.conveyor = parser.isSet(kConveyor);
  const QStringList shows = parser.positionalArguments();
  if (!shows.isEmpty()) options.showFile = shows.first();
  if (options.headless && options.conveyor && !shows.isEmpty()) {
    error = QStringLiteral("--conveyor plays the shows of the conveyor: give no show file");
    return false;
  }
  if (options.headless && !options.conveyor && shows.isEmpty()) {
    error = QStringLiteral("--headless needs a show file");
    return false;
  }
  const auto automats = Numbers(parser, kAutomat, 1, kAutomatCount);
  if (!automats) {
    error = QStringLiteral("--automat takes 1 or 2");
    return false;
  }
  for (int a : *automats) options.automatWithShow[a - 1] = true;
  const auto pictures = Numbers(parser, kPicture, 1, kPictureCount);
  if (!pictures) {
    error = QStringLiteral("--picture takes a picture 1..16");
    return false;
  }
  for (int k : *pictures) options.latchedPictures[k - 1] = true;
  if (parser.isSet(kCrossfade)) {
    const QString mode = parser.value(kCrossfade);
    if (mode == QLatin1String("sliders")) {
      options.crossfadeMode = kCrossfadeSliders;
    } else if (mode == QLatin1String("automat")) {
      options.crossfadeMode = kCrossfadeAutomat;
    } else if (mode == QLatin1String("off")) {
      options.crossfadeMode = kCrossfadeOff;
    } else {
      error = QStringLiteral("--crossfade takes sliders, automat or off");
      return false;
    }
  }
  if (!ReadPort(parser, kOsc, "--osc takes a UDP port 1..65535", options.oscPort, error) ||
      !ReadPort(parser, kWeb, "--web takes a port 1..65535", options.webPort, error))
    return false;
  if (parser.isSet(kMidi)) {
    options.midiPort = parser.value(kMidi).trimmed();
    if (options.midiPort.isEmpty()) {
      error = QStringLiteral("--midi takes the name of a MIDI port");
      return false;
    }
  }
  if (parser.isSet(kSoundInput)) {
    options.soundInput = parser.value(kSoundInput).trimmed();
    if (options.soundInput.isEmpty()) {
      error = QStringLiteral("--sound-input takes (a part of) the name of an audio input");
      return false;
    }
  }
  // An audio input named for the player is listened to.
  options.sound = options.sound || (options.headless && !options.soundInput.isEmpty());
  return true;
}

}  // namespace kalvetro
