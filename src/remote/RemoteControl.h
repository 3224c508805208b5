// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

#include "show/ShowMemory.h"

namespace kalvetro {

class Console;

// What a remote may ask of the show. Numbers are as the operator counts them: scene 1..m,
// picture 1..16, channel 1..255, automat 1..2, conveyor slot 1..20.
enum class RemoteCommandKind {
  Play,  // a = 1 play, 0 stop
  Next,
  Previous,
  Scene,         // a = scene 1..m: go there
  Tempo,         // a = 10..170
  BlackOut,      // a = 1 on, 0 off
  Picture,       // a = picture, b = 1 flash on, 0 off
  Latch,         // a = picture, b = 1 latched on, 0 let go
  Channel,       // a = channel, b = level 0..255 in the current scene (refused while playing)
  Automat,       // a = automat, b = 1 runs with the show ("С основным"), 0 not
  ConveyorSlot,  // a = slot: a click on its button (loads its show by hand, toggles it in a list)
};

struct RemoteCommand {
  RemoteCommandKind kind = RemoteCommandKind::Next;
  int a = 0;
  int b = 0;
};

// What a remote shows of the show.
struct RemoteState {
  int scene = 1;      // current scene, 1..lastScene
  int lastScene = 1;  // scenes in the show
  bool playing = false;
  bool blackOut = false;
  int tempo = 10;
  QString showName;  // the file name without folder, empty for a show never saved
  std::array<bool, kPictureCount> pictures{};  // on (held or latched)
  std::array<bool, kPictureCount> latched{};
  std::array<bool, 2> automats{};  // runs with the show
};

// The one door of every remote (OSC, the phone page) into the show: range-checks a command
// and runs it through the show runner, and tells what the remotes show when it changes,
// whoever changed it (the window, a key, the sequencer, another remote). User-interface thread.
class RemoteControl : public QObject {
  Q_OBJECT

 public:
  explicit RemoteControl(Console& console, QObject* parent = nullptr);

  // Runs the command. Empty when done; otherwise the reason it was refused (nothing changed).
  QString Run(const RemoteCommand& command);
  // Why Run would refuse the command now, without running it; empty when it would run. A
  // remote that gets several commands at once (an OSC bundle) checks them all first.
  QString Check(const RemoteCommand& command) const;
  RemoteState State() const { return state_; }
  // The level channel 1..255 has on the wire now (0 out of range).
  std::uint8_t OutputLevel(int channel) const;

 signals:
  // One signal per thing that changed, emitted only on a real change.
  void SceneChanged(int scene, int lastScene);
  void PlayingChanged(bool playing);
  void BlackOutChanged(bool dark);
  void TempoChanged(int tempo);
  void PictureChanged(int picture, bool on, bool latched);
  void AutomatChanged(int automat, bool withShow);
  void ShowNameChanged(const QString& name);

 private:
  // Reads the state anew and emits what differs from the last reading.
  void Refresh();
  RemoteState Read() const;

  Console& console_;
  RemoteState state_;
  QString showPath_;
};

}  // namespace kalvetro
