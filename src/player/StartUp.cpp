// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/StartUp.h"

#include <QFileInfo>

#include "app/Console.h"
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "editing/ChannelNames.h"
#include "output/DmxLink.h"
#include "remote/Remotes.h"

namespace kalvetro {

namespace {

// A show file named on the command line, or remembered by the settings, opened as the open
// command opens it.
Result OpenNamedShow(Console& console, const QString& path) {
  ShowFiles& files = console.Files();
  files.SetOpenDialogFileName(QFileInfo(path).absoluteFilePath());
  return files.OpenShow(files.OpenDialogFileName());
}

// The player's settings are the window's, read and never written: the conveyor list, the
// sound page's choices and, when a remote is asked for, the remotes' setup (the phone page's
// PIN and bind address, OSC's bind address and allowed senders, the desk's back end and
// mappings).
Settings TakeWindowSettings(ShowFiles& files, const StartOptions& options) {
  Settings window = ReadSettings(ShowFiles::DefaultSettingsPath().toStdString());
  for (int k = 1; k <= kConveyorFiles; ++k)
    files.SetConveyorFile(k, QString::fromStdString(window.conveyorFiles[k - 1]));
  files.SetSoundSetup(window.sound);
  if (options.oscPort || options.webPort || !options.midiPort.isEmpty())
    files.SetRemoteSetup(window.remote);
  return window;
}

// The automats, pictures and transitions asked for the run. The player crossfades as
// "Автомат" does while playing unless the options choose otherwise.
void ApplyRunChoices(ShowRunner& runner, const StartOptions& options) {
  if (options.headless) runner.SetCrossfadeMode(kCrossfadeAutomat);
  for (int a = 1; a <= kAutomatCount; ++a)
    if (options.automatWithShow[a - 1]) runner.SetAutomatWithShow(a, true);
  for (int k = 0; k < kPictureCount; ++k)
    if (options.latchedPictures[k]) runner.LatchPicture(k, true);
  if (options.crossfadeMode) runner.SetCrossfadeMode(*options.crossfadeMode);
}

// Changes that a crash kept from their show file: the window offers them; No keeps them aside
// under their time. The player asks nobody and leaves the window's file alone.
void OfferRecovery(Console& console, bool player, const std::function<bool(const QString&)>& ask,
                   const std::function<void(const Result&)>& report) {
  ShowFiles& files = console.Files();
  if (player) {
    if (QFileInfo::exists(ShowFiles::DefaultRecoveryPath()))
      console.ShowStatus(QStringLiteral("unsaved changes of the window wait in %1: the window "
                                        "offers them at its next start")
                             .arg(ShowFiles::DefaultRecoveryPath()));
  } else if (files.RecoveryWaiting()) {
    if (ask && ask(QStringLiteral("Восстановить несохранённые изменения?"))) {
      const Result recovered = files.OpenRecovery();
      if (!recovered.ok) {
        report(recovered);
        files.SetRecoveryAside();
      }
    } else {
      files.SetRecoveryAside();
    }
  } else if (QFileInfo::exists(files.RecoveryPath())) {
    // Older than the show it names: the show was saved after it. Kept aside all the same.
    files.SetRecoveryAside();
  }
}

}  // namespace

Result StartConsole(Console& console, Remotes& remotes, const StartOptions& options,
                    const std::function<void(const Result&)>& report,
                    const std::function<bool(const QString&)>& ask) {
  const bool player = options.headless;
  ShowFiles& files = console.Files();
  ShowRunner& runner = console.Runner();

  // The link: the player without a port sends to none, and one that does not open ends it.
  DmxLink& link = console.Link();
  if (player && options.port.isEmpty()) {
    link.SetDemo(true);
  } else if (const Result opened = link.OpenAtStart(); !opened.ok && player) {
    return Result::Fail(QStringLiteral("the port %1 cannot be opened: %2")
                            .arg(options.port, QString::fromStdString(opened.error))
                            .toStdString());
  }

  // The empty show and its defaults: no channel names, both automats at tempo 10.
  ShowMemory& memory = console.Show().memory;
  ClearChannelNames(memory);
  memory.Set(kAutomat1 + kAutomatTempo, 10);
  memory.Set(kAutomat2 + kAutomatTempo, 10);
  console.ClearAll();

  // The settings. The window keeps its own; the player reads the window's once.
  Settings windowSettings;
  if (player)
    windowSettings = TakeWindowSettings(files, options);
  else
    files.ReadIniFile();

  // The show: the window opens the last one of its settings, then the one named; the player
  // the one named (or, for the conveyor, the first of its list when it plays).
  if (!player && !files.OpenDialogFileName().isEmpty()) {
    const Result opened = files.OpenShow(files.OpenDialogFileName());
    if (!opened.ok) report(opened);
  }
  if (!options.showFile.isEmpty() && !(player && options.conveyor)) {
    const Result opened = OpenNamedShow(console, options.showFile);
    if (!opened.ok) {
      if (player)
        return Result::Fail(QStringLiteral("%1: %2")
                                .arg(options.showFile, QString::fromStdString(opened.error))
                                .toStdString());
      report(opened);
    }
  }

  OfferRecovery(console, player, ask, report);

  // The runner's choices for the run. The player plays from the first scene.
  if (player) memory.Set(kCurrentStep, 0);
  ApplyRunChoices(runner, options);

  // The remotes asked for the run (the settings' own choices start when they are read).
  if (options.oscPort) remotes.Osc().Start(*options.oscPort);
  if (options.webPort) remotes.StartWeb(*options.webPort);
  if (!options.midiPort.isEmpty()) remotes.StartMidi(options.midiPort);

  // Playing, then the output, so that the first packet carries the first scene.
  if (player && options.conveyor) {
    if (!runner.PlayConveyorList(windowSettings.conveyorTicks))
      return Result::Fail(QStringLiteral("no ticked conveyor slot has a show (%1)")
                              .arg(ShowFiles::DefaultSettingsPath())
                              .toStdString());
  } else if (player || options.play) {
    runner.Play();
  }
  if (options.startOutput) console.StartOutput();
  return Result::Ok();
}

}  // namespace kalvetro
