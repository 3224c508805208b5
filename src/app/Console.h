// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <string>

#include "effects/StaticPictures.h"
#include "output/DmxLink.h"
#include "output/OlaSink.h"
#include "output/OutputEngine.h"
#include "output/OutputFrames.h"
#include "output/OutputPeriod.h"
#include "output/OutputTicker.h"
#include "output/OutputWatch.h"
#include "playback/Sequencer.h"
#include "show/Settings.h"
#include "show/ShowEdit.h"
#include "show/ShowFile.h"
#include "show/ShowState.h"
#include "show/TitlePrefix.h"

class QTimer;

namespace kalvetro {

class ShowRunner;

// How the whole show image was replaced: another show opened, the show emptied (a new show,
// start-up), or the show's own undo copy put back.
enum class ShowReplacement { Opened, Emptied, Restored };

// Where the console finds its port and files. Empty paths mean the user's folders.
struct ConsoleOptions {
  QString port = QString::fromLatin1(kDefaultPort);
  QString settingsFile;  // default: "Kalvo.ini" in the user's config folder
  QString autosaveFile;  // default: "ShouTemp.klv" in the user's data folder
  int olaUniverse = 0;   // 1..65535: network output to this universe (overrides the settings)
  // --sound-input: the audio input for this run, a name or a part of one (overrides the
  // settings for this run; the settings keep their own choice).
  QString soundInput;
};

// The running console without any widget: the show and its working state, the output frames,
// the frame pipeline and its control blocks, the output tick, the DMX link, undo and paste, the
// show file and settings operations. The main window is a view over it; a headless player can
// run on it alone.
//
// Pages call its services and never each other. After a change it says what changed through
// its signals, and every page refreshes itself from the show memory, the one source of truth.
class Console : public QObject {
  Q_OBJECT

 public:
  explicit Console(const ConsoleOptions& options = {}, QObject* parent = nullptr);
  ~Console() override;

  ShowState& Show() { return show_; }
  const ShowState& Show() const { return show_; }
  OutputFrames& Frames() { return frames_; }
  OutputEngine& Engine() { return engine_; }
  OutputControls& Controls() { return engine_.Controls(); }
  OutputTicker& Ticker() { return ticker_; }
  // Tells a resting display that the output has changed.
  OutputWatch& Watch() { return watch_; }
  DmxLink& Link() { return link_; }
  OlaSink& Ola() { return ola_; }
  // The clocks that play the show and their commands: every view drives the show through it.
  ShowRunner& Runner() { return *runner_; }

  // ------------------------------------------------------------ output
  // Starts the 50 ms output tick (once); StopOutput waits for it to end.
  void StartOutput();
  void StopOutput();

  // The caption prefix; the output tick may set it from its own thread.
  std::atomic<TitlePrefixId>& TitlePrefixState() { return titlePrefix_; }
  TitlePrefixId TitlePrefix() const { return titlePrefix_.load(); }
  void SetTitlePrefix(TitlePrefixId id) { titlePrefix_.store(id); }

  // ------------------------------------------------------------ refresh and status
  // The refresh after an operation that replaces or reshapes the show: the caption and the
  // sequencer controls, then the page that is shown.
  void RefreshAll();
  // A short message on the status line (about two seconds).
  void ShowStatus(const QString& text);

  // ------------------------------------------------------------ edits
  // Runs an edit of the show: takes the undo copy first when asked, then runs `edit` on the
  // show and says what it changed. `edit` takes the ShowState and returns the ShowEdit of
  // what it changed (an empty one when it changed nothing). Returns that ShowEdit.
  template <class EditFunction>
  ShowEdit Edit(UndoCopy undo, EditFunction&& edit) {
    if (undo == UndoCopy::Take) TakeUndoCopy();
    const ShowEdit changed = edit(show_);
    Announce(changed);
    return changed;
  }

  // ------------------------------------------------------------ playback
  // Whether the show plays; the show runner starts and stops it and says so.
  bool Playing() const { return show_.playing.load(); }

  // ------------------------------------------------------------ selection
  // The selection byte of channel n (1..255) := flag (0 or 1).
  void SetSelected(int channel, bool selected);
  bool Selected(int channel) const { return show_.memory.Get(kSelectFlags + channel) == 1; }

  // ------------------------------------------------------------ rates
  // Position of a rate slider -> fade step; the rate page shows the position last chosen.
  std::uint8_t ChooseRate(int position);

  // ------------------------------------------------------------ undo
  // Takes the one undo copy of the whole show.
  void TakeUndoCopy();
  // Puts the undo copy back and refreshes.
  void RestoreUndo();
  bool UndoAvailable() const { return undoAvailable_; }

  // ------------------------------------------------------------ show files and settings
  // The show-data steps of emptying a show (the pages follow through ShowReplaced).
  void ClearAll();
  // Opens the show file at path: the whole file is read and checked first; on failure the show
  // and the names stay as they were and the result carries the message. `fromFirstScene`
  // starts the opened show at scene 1 instead of the scene it was saved at (the conveyor).
  // Opening, emptying and restoring each say ShowReplaced, then refresh every view.
  FileResult OpenShow(const QString& path, bool fromFirstScene = false);
  // Saves the show under path (identification text written first); on success the path
  // becomes the show's name. A failure keeps the previous name.
  FileResult SaveShowAs(const QString& path);
  // Saves the show under its own name.
  FileResult SaveShow();
  // Writes the autosave file.
  FileResult Autosave();
  void ReadIniFile();
  FileResult WriteIniFile();

  // The file names of the open and save dialogs, as the console keeps them.
  const QString& OpenDialogFileName() const { return openDialogFileName_; }
  void SetOpenDialogFileName(const QString& path) { openDialogFileName_ = path; }
  const QString& SaveDialogFileName() const { return saveDialogFileName_; }
  const std::array<std::string, kConveyorFiles>& ConveyorFiles() const { return conveyorFiles_; }
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

  // ------------------------------------------------------------ effects (beam editor)
  // Refreshes the caption and the sequencer controls only, as after a change of the current
  // scene that leaves the pages as they are.
  void RefreshShowSettings() { emit ShowSettingsRefresh(); }

  // ------------------------------------------------------------ keyboard, names, picture editor
  // "Включить клавиатуру": the main window sees every key ahead of its controls.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool on);
  // "Вкл" of the conveyor: the letter keys Q..L start conveyor slots.
  bool ConveyorKeys() const { return conveyorKeys_; }
  void SetConveyorKeys(bool on);
  // The static picture editor is open: the sequencer hides its Play button meanwhile.
  bool ChaserEditing() const { return chaserEditing_; }
  // Opens the picture editor's working state: keeps scene 0, the rates, the step and the
  // selection aside and gives the editor an empty scene 0 and mask (the caller stops the show
  // first). A second opening keeps what the first one kept. Saves write the kept bytes, not
  // the working state. The views refresh.
  void OpenPictureEditor();
  // Puts back what the editor kept and ends its working state; the views refresh.
  void ClosePictureEditor();
  // ------------------------------------------------------------ conveyor (effects)
  // The show file of conveyor slot 1..20 (empty: no show); written to the settings file.
  void SetConveyorFile(int slot, const QString& path);

 signals:
  // RefreshAll, in its order: the caption and the sequencer controls, then the page.
  void ShowSettingsRefresh();
  void PageRefresh();
  void StatusMessage(const QString& text);
  void Changed(ShowArea area);
  void RateChosen(int position);
  void UndoAvailableChanged(bool available);
  // The whole show image was replaced: opened, emptied or restored from the undo copy. Sent
  // before any refresh; what a view keeps of the old show (typing, the picture editor's
  // saved bytes) is dropped or reloaded here.
  void ShowReplaced(ShowReplacement how);
  // The show's file name changed (opened or saved under a new name).
  void FileNameChanged(const QString& path);

  // Keyboard, names and the picture editor.
  void KeyPreviewChanged(bool on);
  void ConveyorKeysChanged(bool on);
  void ChaserEditingChanged(bool open);
  // SaveShowAs wrote the show under a new name (the window colour may change on).
  void ShowSavedAs();
  // ReadIniFile has read the conveyor names (the conveyor labels its slots).
  void SettingsRead();

 private:
  // Says what an edit changed, in the order the views expect: the selection, the whole
  // refresh, then levels, rates, names and pictures.
  void Announce(ShowEdit changed);
  void SetUndoAvailable(bool available);
  void SetChaserEditing(bool open);
  void Replaced(ShowReplacement how);
  // The show file image of the show as it stands outside the picture editor.
  std::array<std::uint8_t, kShowFileSize> FileImage() const;

  ShowState show_;
  OutputFrames frames_;
  std::atomic<TitlePrefixId> titlePrefix_{TitlePrefixId::Initialization};
  OutputEngine engine_{show_, frames_};
  DmxLink link_;
  OlaSink ola_;
  OutputWatch watch_{engine_.Controls().crossfade};
  OutputTicker ticker_;

  bool undoAvailable_ = false;
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
  // Keyboard and picture editor.
  bool keyPreview_ = true;
  bool conveyorKeys_ = true;
  bool chaserEditing_ = false;
  ChaserSaveArea chaserArea_;     // what the open picture editor keeps of the show
  ShowRunner* runner_ = nullptr;  // a child of the console, made after everything it uses
};

}  // namespace kalvetro
