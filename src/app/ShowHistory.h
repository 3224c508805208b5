// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "show/ShowMemory.h"

namespace kalvetro {

class Console;

// The names of the steps, as "Отменить: ..." shows them.
inline constexpr char kStepFader[] = "фэйдер";
inline constexpr char kStepLevels[] = "уровни каналов";
inline constexpr char kStepSceneList[] = "список сцен";
inline constexpr char kStepPaste[] = "копирование сцены в буфер";
inline constexpr char kStepBlockCopy[] = "копирование блока";
inline constexpr char kStepNameCopy[] = "копирование имён";
inline constexpr char kStepChannelName[] = "имя канала";
inline constexpr char kStepFigure[] = "фигура луча";
inline constexpr char kStepGraph[] = "график канала";
inline constexpr char kStepLevelTable[] = "таблица уровней";
inline constexpr char kStepPicture[] = "статическая картинка";
inline constexpr char kStepRate[] = "плавность";
inline constexpr char kStepSelection[] = "выбор каналов";
inline constexpr char kStepColour[] = "цвет окна";
inline constexpr char kStepScene[] = "выбор сцены";
inline constexpr char kStepTempo[] = "темп";
inline constexpr char kStepAutomat[] = "автомат";
inline constexpr char kStepSettings[] = "установки шоу";
inline constexpr char kStepRestore[] = "возврат прежней сцены";
inline constexpr char kStepHandScan[] = "ручной луч";

// The undo history of the show: every change of the show file image the operator makes is
// one step, kept as the byte ranges it changed. The history is no second copy of the show: it
// compares the image with the image of its last step (81,920 bytes, a cheap compare done on
// the user-interface thread after an edit, never on the output tick) and keeps only the
// difference. A step holds, for each of its ranges, the bytes "on the other side": before an
// undo those from before the step, after it those from after; undo and redo swap them with the
// show's bytes.
//
// While the picture editor is open the image compared is the show as it stands outside the
// editor (its working row and masks are no change of the show), and undo and redo wait until
// it is closed.
class ShowHistory : public QObject {
  Q_OBJECT

 public:
  // At least this many steps are kept; the oldest go when there are more, or when the kept
  // bytes pass kMaxBytes.
  static constexpr int kMaxSteps = 1000;
  static constexpr std::size_t kMaxBytes = 16u << 20;

  explicit ShowHistory(Console& console);

  // A new history from the show as it is now (another show opened, the show emptied).
  void Start();
  // Records what changed since the last step as one step called `step` (a name of its kinds
  // when empty). While a mouse button is held, a change with the same name as the step before
  // it, made since the press, joins that step: a fader drag is one step from press to release.
  // Scene choices in a row are one step too. Returns whether anything changed.
  bool Record(const QString& step = {});
  // A mouse button went down / up over the window. The release records what the press
  // changed and closes its step.
  void Hold();
  void Release();
  // Between the two, nothing is recorded; the end records everything since as one step
  // (an edit and what the views write back while they refresh after it). They nest.
  void BeginStep();
  void EndStep(const QString& step);

  // Remotes send in bursts (a fader of a desk or a touch panel a level every few
  // milliseconds, a flood as fast as the network goes): what a remote command changes is
  // recorded kRemoteStepMs later, once for all the commands that came meanwhile, and a burst
  // of the same kind within kRemoteJoinMs of the last one joins its step; the step is named
  // after the kinds of bytes it changed (a burst may hold several). So a remote never
  // costs a compare of the whole show per datagram, nor pushes the operator's own steps out of
  // the history. Any other step records the remote's waiting changes first.
  static constexpr int kRemoteStepMs = 250;
  static constexpr int kRemoteJoinMs = 1000;
  // While one lives, what is recorded waits as the remote's change.
  class RemoteBurst {
   public:
    explicit RemoteBurst(ShowHistory& history) : history_(history) { ++history_.remoteDepth_; }
    ~RemoteBurst() { history_.EndRemote(); }
    RemoteBurst(const RemoteBurst&) = delete;
    RemoteBurst& operator=(const RemoteBurst&) = delete;

   private:
    ShowHistory& history_;
  };
  // Takes back / makes again one step; false when there is none or the picture editor is open.
  // The console announces the whole show afterwards.
  bool Undo();
  bool Redo();

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < static_cast<int>(steps_.size()); }
  // The name of the step Undo / Redo would take (empty: none).
  QString UndoName() const;
  QString RedoName() const;
  int Steps() const { return static_cast<int>(steps_.size()); }
  // What the steps keep: their bytes and their bookkeeping.
  std::size_t KeptBytes() const { return keptBytes_; }

 signals:
  // A step was recorded, undone or made again, or the history began anew.
  void Changed();
  // The show changed by a step: recorded, undone or made again.
  void Stepped();

 private:
  struct Step {
    QString name;
    std::vector<std::uint32_t> ranges;  // offset and length, pairs
    std::vector<std::uint8_t> bytes;    // the other side of each range, one after the other
    bool open = false;                  // later changes of the same name may still join it
    bool remote = false;                // a remote's burst
    std::size_t Size() const;
  };
  using Image = std::array<std::uint8_t, kShowFileSize>;

  // The differences between before and after as a step called name (no ranges: none).
  static Step Difference(const Image& before, const Image& after, const QString& name);
  // The name of the kinds of bytes a step changed.
  static QString NameOf(const Step& step);
  // The image of the show as the history sees it.
  void ReadImage(Image& image) const;
  // Swaps the step's bytes with the show's (and the history's image).
  void Swap(Step& step);
  void Push(Step step);
  void DropRedo();
  void EndRemote();
  // Records the remote's waiting changes as its step.
  void RecordRemote();

  Console& console_;
  Image image_{};    // the show as of the last step
  Image scratch_{};  // the show now, while a record compares
  std::deque<Step> steps_;
  int position_ = 0;  // steps_[0..position_) are done
  bool held_ = false;
  bool swapping_ = false;  // an undo or redo is putting bytes back
  int depth_ = 0;          // steps begun and not yet ended
  std::size_t keptBytes_ = 0;
  int remoteDepth_ = 0;         // remote commands running
  bool remoteWaiting_ = false;  // a remote changed something not yet recorded
  bool recordingRemote_ = false;
  QTimer remoteTimer_;
  QElapsedTimer sinceRemote_;  // since the remote's last step
};

}  // namespace kalvetro
