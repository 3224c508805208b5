// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/HeadlessPlayer.h"
#include "app/ShowFiles.h"
#include "output/DmxLink.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowRunner.h"
#include "playback/SoundInputs.h"
#include "remote/MidiRemote.h"
#include "remote/Remotes.h"
#include "remote/WebRemote.h"

namespace kalvetro {

namespace {

int signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

void Say(const QString& line) {
  std::fputs(line.toLocal8Bit().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Complain(const QString& line) {
  std::fputs(("kalvetro: " + line).toLocal8Bit().constData(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace

int RunHeadlessPlayer(const HeadlessOptions& options) {
  // The player keeps no settings of its own: its folder for them is a temporary one unless
  // one is named.
  QTemporaryDir scratch;
  ConsoleOptions consoleOptions;
  consoleOptions.port = options.port.isEmpty() ? QString::fromLatin1(kDefaultPort) : options.port;
  consoleOptions.settingsFile = options.settingsFile.isEmpty()
                                    ? scratch.filePath(QStringLiteral("Kalvo.ini"))
                                    : options.settingsFile;
  consoleOptions.autosaveFile = scratch.filePath(QStringLiteral("ShouTemp.klv"));
  consoleOptions.olaUniverse = options.olaUniverse;
  Console console(consoleOptions);
  RemoteControl door(console);
  Remotes remotes(door);
  QObject::connect(&console, &Console::StatusMessage,
                   [](const QString& text) { Complain(text.trimmed()); });

  if (options.port.isEmpty()) {
    console.Link().SetDemo(true);  // no serial output asked for
  } else if (!console.Link().OpenAtStart()) {
    Complain(QStringLiteral("the port %1 cannot be opened").arg(options.port));
    return 2;
  }
  console.ClearAll();
  // The window's settings, read once: the conveyor list, the remotes' setup, the sound choices.
  const Settings windowSettings = ReadSettings(ShowFiles::DefaultSettingsPath().toStdString());
  if (options.conveyor) {
    // The slots and ticks the window keeps; the shows come from them one after the other.
    for (int k = 1; k <= kConveyorFiles; ++k)
      console.Files().SetConveyorFile(k,
                                      QString::fromStdString(windowSettings.conveyorFiles[k - 1]));
  } else {
    const QString path = QFileInfo(options.showFile).absoluteFilePath();
    const FileResult opened = console.Files().OpenShow(path);
    if (!opened.ok) {
      Complain(
          QStringLiteral("%1: %2").arg(options.showFile, QString::fromStdString(opened.error)));
      console.Link().CloseAtShutdown();
      return 2;
    }
  }

  // SIGINT and SIGTERM reach the event loop through a pipe.
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 2;
  QSocketNotifier stopNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&stopNotifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);

  // From the first scene, at the show's tempo, crossfading as "Автомат" does while playing
  // unless the options choose otherwise: the same runner the window plays a show with.
  ShowRunner& runner = console.Runner();
  ShowState& show = console.Show();
  show.memory.Set(kCurrentStep, 0);
  runner.SetCrossfadeMode(kCrossfadeAutomat);
  ApplyRunOptions(runner, options.run);
  // The remotes keep the window's settings: the phone page's PIN and bind address, OSC's bind
  // address and allowed senders, the desk's back end and mappings.
  if (options.run.oscPort || options.run.webPort || !options.run.midiPort.isEmpty())
    console.Files().SetRemoteSetup(windowSettings.remote);
  ApplyRemoteOptions(remotes, options.run);
  auto announce = [&] {
    Say(QStringLiteral("Сцена %1 из %2  %3")
            .arg(show.CurrentStep() + 1)
            .arg(show.LastScene() + 1)
            .arg(QFileInfo(console.Files().OpenDialogFileName()).fileName()));
  };
  QObject::connect(&runner, &ShowRunner::SceneStepped, announce);
  // Beat pacing from the chosen audio input (by default the default one); without one the
  // show keeps its tempo, and while a chosen input is away it plays at its tempo until the
  // input comes back.
  std::unique_ptr<AudioInput> audio;
  if (options.sound) {
    QString error;
    audio = OpenAudioInput(options.run.soundInput, &error);
    if (audio) {
      runner.SetSoundSource(audio.get());
      if (options.beat) {
        audio->SetPcmListener(runner.BeatPcm());
        // Hold or keep the tempo when the pulse is lost, as the window's sound page chose.
        const int loss = windowSettings.sound.pulseLoss;
        runner.SetPulseLoss(loss == 1 ? PulseLoss::kKeepTempo : PulseLoss::kHold);
        runner.SetBeatPaced(true);
      }
      runner.SetSoundPaced(true);
      QObject::connect(audio.get(), &AudioInput::Failed, [&] {
        Complain(QStringLiteral("the audio input was lost: the show goes on at its tempo"));
        runner.SetBeatPaced(false);
        runner.SetSoundPaced(false);
        runner.SetSoundSource(nullptr);
      });
      QObject::connect(audio.get(), &AudioInput::Lost, [&](const QString& reason) {
        Complain(reason.trimmed());
        runner.SetSoundPaced(false);
      });
      QObject::connect(audio.get(), &AudioInput::Back, [&](const QString& reason) {
        Complain(reason.trimmed());
        runner.SetSoundPaced(true);
      });
    } else if (options.run.soundInput.isEmpty()) {
      Complain(QStringLiteral("no audio input: the show plays at its tempo"));
    } else {
      Complain(QStringLiteral("no audio input \"%1\": the show plays at its tempo")
                   .arg(options.run.soundInput));
    }
  }
  if (options.conveyor) {
    if (!runner.PlayConveyorList(windowSettings.conveyorTicks)) {
      Complain(QStringLiteral("no ticked conveyor slot has a show (%1)")
                   .arg(ShowFiles::DefaultSettingsPath()));
      console.Link().CloseAtShutdown();
      return 2;
    }
  } else {
    runner.Play();
  }
  console.StartOutput();
  announce();
  if (options.run.webPort) {
    // The phone page keeps the PIN and bind address of the window's settings, so a phone
    // that knows the window knows the player; without one the run gets its own PIN.
    if (remotes.StartWeb(*options.run.webPort))
      Say(QStringLiteral("Пульт на телефоне: %1  PIN %2")
              .arg(WebRemote::PhoneUrl(remotes.Web().Bind(), remotes.Web().Port()),
                   remotes.Web().Pin()));
  }
  if (!options.run.midiPort.isEmpty()) {
    // The desk keeps the back end and mappings of the window's settings.
    if (remotes.StartMidi(options.run.midiPort))
      Say(QStringLiteral("MIDI-пульт: %1").arg(options.run.midiPort));
    else
      Complain(remotes.Midi().LastError());
  }

  if (options.seconds > 0)
    QTimer::singleShot(options.seconds * 1000, [] { QCoreApplication::quit(); });

  QCoreApplication::exec();

  runner.SetSoundSource(nullptr);
  console.StopOutput();
  console.Link().CloseAtShutdown();
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
  return 0;
}

}  // namespace kalvetro
