// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/HeadlessPlayer.h"

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
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "output/DmxLink.h"
#include "playback/SoundInputs.h"
#include "player/StartUp.h"
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

void StopListeningForSignals() {
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
}

// Beat pacing from the chosen audio input (by default the default one); without one the
// show keeps its tempo, and while a chosen input is away it plays at its tempo until the
// input comes back. The input is handed back to be kept for the run.
std::unique_ptr<AudioInput> PaceBySound(Console& console, const StartOptions& options) {
  QString error;
  std::unique_ptr<AudioInput> audio = OpenAudioInput(options.soundInput, &error);
  if (!audio) {
    if (options.soundInput.isEmpty())
      Complain(QStringLiteral("no audio input: the show plays at its tempo"));
    else
      Complain(QStringLiteral("no audio input \"%1\": the show plays at its tempo")
                   .arg(options.soundInput));
    return nullptr;
  }
  ShowRunner* runner = &console.Runner();
  runner->SetSoundSource(audio.get());
  if (options.beat) {
    audio->SetPcmListener(runner->BeatPcm());
    // Hold or keep the tempo when the pulse is lost, as the window's sound page chose.
    const int loss = console.Files().SoundSetup().pulseLoss;
    runner->SetPulseLoss(loss == 1 ? PulseLoss::kKeepTempo : PulseLoss::kHold);
    runner->SetBeatPaced(true);
  }
  runner->SetSoundPaced(true);
  QObject::connect(audio.get(), &AudioInput::Failed, [runner] {
    Complain(QStringLiteral("the audio input was lost: the show goes on at its tempo"));
    runner->SetBeatPaced(false);
    runner->SetSoundPaced(false);
    runner->SetSoundSource(nullptr);
  });
  QObject::connect(audio.get(), &AudioInput::Lost, [runner](const QString& reason) {
    Complain(reason.trimmed());
    runner->SetSoundPaced(false);
  });
  QObject::connect(audio.get(), &AudioInput::Back, [runner](const QString& reason) {
    Complain(reason.trimmed());
    runner->SetSoundPaced(true);
  });
  return audio;
}

}  // namespace

int RunHeadlessPlayer(const StartOptions& options) {
  // The player keeps no settings of its own: its folder for them is a temporary one unless
  // one is named.
  QTemporaryDir scratch;
  StartOptions start = options;
  start.headless = true;
  if (start.settingsFile.isEmpty())
    start.settingsFile = scratch.filePath(QStringLiteral("Kalvo.ini"));
  start.autosaveFile = scratch.filePath(QStringLiteral("ShouTemp.klv"));
  Console console(start);
  RemoteControl door(console);
  Remotes remotes(door);
  QObject::connect(&console, &Console::StatusMessage,
                   [](const QString& text) { Complain(text.trimmed()); });
  // SIGINT and SIGTERM reach the event loop through a pipe.
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 2;
  QSocketNotifier stopNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&stopNotifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);

  const Result started = StartConsole(console, remotes, start, [](const Result&) {});
  if (!started.ok) {
    Complain(QString::fromStdString(started.error));
    console.StopOutput();
    console.Link().CloseAtShutdown();
    StopListeningForSignals();
    return 2;
  }

  ShowRunner& runner = console.Runner();
  ShowState& show = console.Show();
  auto announce = [&] {
    Say(QStringLiteral("Сцена %1 из %2  %3")
            .arg(show.CurrentStep() + 1)
            .arg(show.LastScene() + 1)
            .arg(QFileInfo(console.Files().OpenDialogFileName()).fileName()));
  };
  QObject::connect(&runner, &ShowRunner::SceneStepped, announce);
  std::unique_ptr<AudioInput> audio;
  if (options.sound) audio = PaceBySound(console, options);
  announce();
  if (remotes.Web().Listening())
    Say(QStringLiteral("Пульт на телефоне: %1  PIN %2")
            .arg(WebRemote::PhoneUrl(remotes.Web().Bind(), remotes.Web().Port()),
                 remotes.Web().Pin()));
  if (remotes.Midi().Running()) Say(QStringLiteral("MIDI-пульт: %1").arg(options.midiPort));

  if (options.seconds > 0)
    QTimer::singleShot(options.seconds * 1000, [] { QCoreApplication::quit(); });

  QCoreApplication::exec();

  runner.SetSoundSource(nullptr);
  console.StopOutput();
  console.Link().CloseAtShutdown();
  StopListeningForSignals();
  return 0;
}

}  // namespace kalvetro
