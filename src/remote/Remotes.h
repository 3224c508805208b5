// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>

#include "door/RemoteDoor.h"
#include "remote/OscRemote.h"

namespace kalvetro {

class MidiRemote;
class WebRemote;

// Every remote of a console (OSC, the phone page, a MIDI desk) and the one door they share
// into the show. Made by whoever starts the console (the window, the headless player) right
// after the console, before its settings are read, and gone before it; on the user-interface
// thread. Each remote is off until turned on.
class Remotes : public QObject {
  Q_OBJECT

 public:
  explicit Remotes(RemoteDoor& door);
  ~Remotes() override;

  RemoteDoor& Door() { return door_; }
  OscRemote& Osc() { return osc_; }

  // The phone page.
  WebRemote& Web() { return *web_; }
  // The phone page's PIN from the settings; when they have none, a new random one of six
  // digits, kept in the settings (written with them).
  QString WebPin();
  // Turns the phone page on at port with the settings' bind address and PIN, for this run:
  // the settings' on/off and port stay as they are. On failure the page stays off, and the
  // reason is in the result, on the status line and in Web().StartError().
  Result StartWeb(int port);
  // Turns the phone page on or off as the settings say (after they were read or changed).
  void ApplyWebSetup();

  // The MIDI desk.
  MidiRemote& Midi() { return *midi_; }
  // Opens the desk as the settings say (after they were read or changed); off when they say
  // off. A back end that cannot be opened: the reason on the status line.
  void ApplyMidiSetup();
  // Opens the desk on input and output ports whose names contain port, for this run, with the
  // settings' back end and mappings. On failure the reason is in the result and on the status
  // line.
  Result StartMidi(const QString& port);

 private:
  RemoteDoor& door_;
  OscRemote osc_;
  std::unique_ptr<WebRemote> web_;
  std::unique_ptr<MidiRemote> midi_;
};

}  // namespace kalvetro
