// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

#include "show/Settings.h"
#include "show/ShowMemory.h"

namespace kalvetro {

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

// The one door of every remote (OSC, the phone page, a MIDI desk) and of their panels into
// the console: the commands they may give, what they show of the show, the remotes' own
// settings and the status line. The remotes know nothing else of the console; whoever starts
// the console (the window, the headless player) opens the door and hands it to them.
// User-interface thread.
class RemoteDoor : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Runs the command. Empty when done; otherwise the reason it was refused (nothing changed).
  virtual QString Run(const RemoteCommand& command) = 0;
  // Why Run would refuse the command now, without running it; empty when it would run. A
  // remote that gets several commands at once (an OSC bundle) checks them all first.
  virtual QString Check(const RemoteCommand& command) const = 0;
  virtual RemoteState State() const = 0;
  // The level channel 1..255 has on the wire now (0 out of range).
  virtual std::uint8_t OutputLevel(int channel) const = 0;
  // The level of channel 1..255 in the current scene (0 out of range).
  virtual std::uint8_t SceneLevel(int channel) const = 0;

  // The remotes' settings as last read or set; written with the console's other settings.
  virtual const RemoteSettings& Setup() const = 0;
  virtual void SetSetup(const RemoteSettings& setup) = 0;
  // A short message on the console's status line.
  virtual void Say(const QString& text) = 0;

 signals:
  // One signal per thing that changed, emitted only on a real change, whoever changed it
  // (the window, a key, the sequencer, another remote).
  void SceneChanged(int scene, int lastScene);
  void PlayingChanged(bool playing);
  void BlackOutChanged(bool dark);
  void TempoChanged(int tempo);
  void PictureChanged(int picture, bool on, bool latched);
  void AutomatChanged(int automat, bool withShow);
  void ShowNameChanged(const QString& name);
  // Levels of the show's scenes were changed.
  void LevelsChanged();
  // The settings file was read: the remotes' settings may be new.
  void SetupRead();
};

}  // namespace kalvetro
