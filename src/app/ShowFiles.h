// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <string>

#include "show/FileIo.h"
#include "show/Settings.h"

namespace kalvetro {

class Console;
struct StartOptions;

// The console's show files and settings: opening and saving the show, the autosave, the
// settings file ("Kalvo.ini") and what it keeps (the dialogs' file names, the conveyor's
// files, the remotes' and the sound page's choices).
class ShowFiles : public QObject {
  Q_OBJECT

 public:
  ShowFiles(Console& console, const StartOptions& options);

  // Opens the show file at path: the whole file is read and checked first; on failure the show
  // and the names stay as they were and the result carries the message. `fromFirstScene`
  // starts the opened show at scene 1 instead of the scene it was saved at (the conveyor).
  // The console says ShowReplaced, then every view refreshes.
  Result OpenShow(const QString& path, bool fromFirstScene = false);
  // Saves the show under path (identification text written first); on success the path
  // becomes the show's name. A failure keeps the previous name.
  Result SaveShowAs(const QString& path);
  // Saves the show under its own name.
  Result SaveShow();
  // Writes the autosave file.
  Result Autosave();
  void ReadIniFile();
  Result WriteIniFile();

  // The file names of the open and save dialogs, as the console keeps them.
  const QString& OpenDialogFileName() const { return openDialogFileName_; }
  void SetOpenDialogFileName(const QString& path) { openDialogFileName_ = path; }
  const QString& SaveDialogFileName() const { return saveDialogFileName_; }
  // The show file of conveyor slot 1..20 (empty: no show); written to the settings file.
  const std::array<std::string, kConveyorFiles>& ConveyorFiles() const { return conveyorFiles_; }
  void SetConveyorFile(int slot, const QString& path);
  // The conveyor slots that were down when the settings were last written.
  const std::array<bool, kConveyorFiles>& ConveyorTicks() const { return conveyorTicks_; }
  const QString& SettingsPath() const { return settingsPath_; }
  // The remotes' settings as last read or set; written with the other settings.
  const RemoteSettings& RemoteSetup() const { return remoteSettings_; }
  void SetRemoteSetup(const RemoteSettings& remote) { remoteSettings_ = remote; }
  // The sound page's choices, as the settings file keeps them.
  const SoundSettings& SoundSetup() const { return soundSettings_; }
  void SetSoundSetup(const SoundSettings& sound) { soundSettings_ = sound; }
  // The audio input named on the command line for this run; empty: none named.
  const QString& SoundInputOption() const { return soundInputOption_; }
  // "Kalvo.ini" in the user's config folder, where the window keeps its settings.
  static QString DefaultSettingsPath();
  const QString& AutosavePath() const { return autosavePath_; }

  // ------------------------------------------------------------ crash recovery
  // Every change of the show reaches the recovery file within about a second: the show file
  // image ("Kalvo.recovery.klv" beside the autosave file) and the show's file name beside it
  // ("Kalvo.recovery.name"). A save removes them (the show is in its file), so does a clean
  // shutdown; after a crash the next start finds them.
  static constexpr int kRecoveryDelayMs = 1000;
  QString RecoveryPath() const;
  QString RecoveryNamePath() const;
  // The recovery file of the window's own folders (the headless player keeps its files apart).
  static QString DefaultRecoveryPath();
  // The show changed: the recovery file is written within kRecoveryDelayMs.
  void NoteChange();
  // Writes the recovery files now, if the show differs from what they hold.
  Result WriteRecovery();
  void RemoveRecovery();
  // Whether a recovery file waits that is newer than the show file it names (or names none).
  bool RecoveryWaiting() const;
  // Opens the recovery file as the show, under the name it keeps, as a show with unsaved
  // changes (its recovery file stays until it is saved).
  Result OpenRecovery();
  // Keeps the recovery files aside under names with their time
  // ("Kalvo.recovery-2026-12-10-0915.klv"); returns the new path of the image.
  QString SetRecoveryAside();
  // The show holds changes that are in no show file (a change since the last open or save,
  // or a recovered show).
  bool Unsaved() const { return unsaved_; }
  // The show came from the recovery file and has not been saved since: the caption marks it.
  bool Recovered() const { return recovered_; }

 signals:
  // The show's file name changed (opened or saved under a new name).
  void FileNameChanged(const QString& path);
  // SaveShowAs wrote the show under a new name (the window colour may change on).
  void ShowSavedAs();
  // ReadIniFile has read the settings (the conveyor labels its slots, the remotes start).
  void SettingsRead();

 private:
  // A save wrote the show: the recovery files go.
  void Saved();

  Console& console_;
  QString openDialogFileName_;
  QString saveDialogFileName_ = QStringLiteral("Unit_001");
  bool saveNameFromFile_ = false;  // the save name came from an open or a save
  std::array<std::string, kConveyorFiles> conveyorFiles_;
  std::array<bool, kConveyorFiles> conveyorTicks_{};
  QString lastPathRead_;
  int olaUniverseOption_ = 0;
  QString soundInputOption_;
  QString settingsPath_;
  RemoteSettings remoteSettings_;
  SoundSettings soundSettings_;
  QString autosavePath_;
  QTimer recoveryTimer_;
  QByteArray recoveryWritten_;  // the image the recovery file holds, or the saved show's
  bool unsaved_ = false;
  bool recovered_ = false;
};

}  // namespace kalvetro
