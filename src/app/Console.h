// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "app/StartOptions.h"
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

namespace kalvetro {

class DmxLink;
class OlaSink;
class PictureEditorSession;
class ShowFiles;
class ShowHistory;
class ShowRunner;
class ShowUndo;

// How the whole show image was replaced: another show opened, the show emptied (a new show,
// start-up), or the show's own undo copy put back.
enum class ShowReplacement { Opened, Emptied, Restored };

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
  explicit Console(const StartOptions& options = {}, QObject* parent = nullptr);
  ~Console() override;

  ShowState& Show() { return show_; }
  const ShowState& Show() const { return show_; }
  OutputFrames& Frames() { return frames_; }
  OutputEngine& Engine() { return engine_; }
  OutputControls& Controls() { return engine_.Controls(); }
  OutputTicker& Ticker() { return ticker_; }
  // Tells a resting display that the output has changed.
  OutputWatch& Watch() { return watch_; }
  DmxLink& Link() { return *link_; }
  OlaSink& Ola() { return *ola_; }
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
  // What it changed is then one step of the undo history, called `step` (one of the kStep
  // names; when null, after the kinds of bytes changed).
  template <class EditFunction>
  ShowEdit Edit(UndoCopy undo, const char* step, EditFunction&& edit) {
    BeginEdit(undo);
    // What the views write back while they refresh belongs to this step.
    BeginStep();
    const ShowEdit changed = edit(show_);
    Announce(changed);
    EndStep(step);
    return changed;
  }
  template <class EditFunction>
  ShowEdit Edit(UndoCopy undo, EditFunction&& edit) {
    return Edit(undo, nullptr, std::forward<EditFunction>(edit));
  }
  // The operator changed the show outside an Edit: what changed since the last step of the
  // undo history is one step called `step` (nothing when nothing changed).
  void RecordStep(const char* step = nullptr);
  // Takes back / makes again the last step of the undo history; every view refreshes.
  bool UndoStep();
  bool RedoStep();

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

  // ------------------------------------------------------------ the show replaced
  // The show-data steps of emptying a show (the pages follow through ShowReplaced).
  void ClearAll();

  // ------------------------------------------------------------ services
  // The show files and the settings.
  ShowFiles& Files() { return *files_; }
  const ShowFiles& Files() const { return *files_; }
  // The undo copy.
  ShowUndo& Undo() { return *undo_; }
  // The undo history.
  ShowHistory& History() { return *history_; }
  const ShowHistory& History() const { return *history_; }
  // The static picture editor's working state.
  PictureEditorSession& PictureEditor() { return *pictureEditor_; }
  const PictureEditorSession& PictureEditor() const { return *pictureEditor_; }

  // ------------------------------------------------------------ effects (beam editor)
  // Refreshes the caption and the sequencer controls only, as after a change of the current
  // scene that leaves the pages as they are.
  void RefreshShowSettings() { emit ShowSettingsRefresh(); }

  // ------------------------------------------------------------ keyboard
  // "Включить клавиатуру": the main window sees every key ahead of its controls.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool on);
  // "Вкл" of the conveyor: the letter keys Q..L start conveyor slots.
  bool ConveyorKeys() const { return conveyorKeys_; }
  void SetConveyorKeys(bool on);

 signals:
  // RefreshAll, in its order: the caption and the sequencer controls, then the page.
  void ShowSettingsRefresh();
  void PageRefresh();
  void StatusMessage(const QString& text);
  void Changed(ShowArea area);
  void RateChosen(int position);
  // The whole show image was replaced: opened, emptied or restored from the undo copy. Sent
  // before any refresh; what a view keeps of the old show (typing, the picture editor's
  // saved bytes) is dropped or reloaded here.
  void ShowReplaced(ShowReplacement how);
  // The keyboard.
  void KeyPreviewChanged(bool on);
  void ConveyorKeysChanged(bool on);

 private:
  // The services change the show on the console's behalf and say so through it.
  friend class ShowFiles;
  friend class ShowUndo;
  friend class ShowHistory;
  friend class PictureEditorSession;

  // Says what an edit changed, in the order the views expect: the selection, the whole
  // refresh, then levels, rates, names and pictures.
  void Announce(ShowEdit changed);
  // Takes the undo copy when the edit asks for it.
  void BeginEdit(UndoCopy undo);
  // An edit and its refresh are one step of the history, recorded at its end.
  void BeginStep();
  void EndStep(const char* step);
  // The whole show image was replaced: what the picture editor kept of another show is
  // dropped, then ShowReplaced and the refresh of every view.
  void Replaced(ShowReplacement how);

  ShowState show_;
  OutputFrames frames_;
  std::atomic<TitlePrefixId> titlePrefix_{TitlePrefixId::Initialization};
  OutputEngine engine_{show_, frames_};
  std::unique_ptr<DmxLink> link_;
  std::unique_ptr<OlaSink> ola_;
  OutputWatch watch_{engine_.Controls().crossfade};
  OutputTicker ticker_;

  std::unique_ptr<ShowUndo> undo_;
  std::unique_ptr<ShowHistory> history_;
  std::unique_ptr<PictureEditorSession> pictureEditor_;
  std::unique_ptr<ShowFiles> files_;
  bool keyPreview_ = true;
  bool conveyorKeys_ = true;
  ShowRunner* runner_ = nullptr;  // a child of the console, made after everything it uses
};

}  // namespace kalvetro
