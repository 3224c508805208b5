// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "remote/CallbackMutex.h"
#include "remote/MidiMapping.h"
#include "serial/ThreadInbox.h"
#include "show/Settings.h"

namespace kalvetro {

class RemoteDoor;

// A MIDI desk through RtMidi: one input and one output port opened by name, its controls
// driving the show through the remote door as mapped, and what they drive shown back on the
// desk. User-interface thread; RtMidi's own thread only parses and leaves the newest value of
// each control in a table, with one queued call to take them (a flood of messages is one call,
// and nothing here ever waits for the output tick or it for us). The port list is looked at
// every two seconds: a desk gone leaves the show as it is, and a desk back under the same name
// is opened again and gets the whole state.
class MidiRemote : public QObject {
  Q_OBJECT

 public:
  MidiRemote(RemoteDoor& door);
  ~MidiRemote() override;

  // Opens the back end and, when they are there, the ports of setup; off when !setup.on.
  // False: the back end could not be opened (the reason in LastError()). A port not there
  // yet is no error: it is opened when it comes.
  bool Start(const MidiSettings& setup);
  void Stop();
  bool Running() const { return running_; }
  // The desk's input (what we read) is open.
  bool Connected() const { return connected_; }

  // Takes new mapping lines of the settings without opening the ports again.
  void SetMappings(const std::vector<std::string>& lines);
  const MidiSettings& Setup() const { return setup_; }
  MidiMapper& Mapper() { return mapper_; }
  // Mapping lines of the settings that were not understood.
  int BadMappings() const { return badMappings_; }

  // Messages taken from the desk, messages ignored (fragments, kinds not used; SysEx, clock
  // and active sensing are dropped by RtMidi before they reach us and are not counted),
  // commands refused, and the last message and last refusal for the operator.
  long Received() const { return received_.load(); }
  long Ignored() const { return ignored_.load(); }
  long Refused() const { return refused_; }
  QString LastMessage() const { return lastMessage_; }
  QString LastError() const { return lastError_; }

  // Every port of the kind on the back end now (input ports: what the desk sends on).
  QStringList InputPorts() const;
  QStringList OutputPorts() const;

  // Looks at the port list now (the timer does it every two seconds).
  void Scan();

 signals:
  // A control moved on the desk (after the mapping ran), for the learn button of the page.
  void ControlMoved(const MidiControl& control, int value);
  void ConnectedChanged(bool connected);

 private:
  struct Ports;
  // RtMidi's thread: parses and leaves the value for Drain.
  static void Receive(double stamp, std::vector<unsigned char>* message, void* self);
  void Take(const std::vector<unsigned char>& message);
  // The UI thread: runs what came since the last call.
  void Drain();
  void Open();
  // Opens the desk's output if it is there (closes it if not) and shows it the whole state.
  void OpenOutput();
  void Close(bool gone);
  // Sends what differs from what the desk shows (all of it when everything is true).
  void SendFeedback(bool everything = false);
  MidiConsoleView View() const;

  RemoteDoor& door_;
  MidiMapper mapper_;
  MidiSettings setup_;
  std::unique_ptr<Ports> ports_;
  QTimer scanTimer_;
  // The whole state once more shortly after the desk's output was opened: a JACK connection
  // made just now may not carry what is sent in the same period.
  QTimer resendTimer_;
  bool running_ = false;
  bool connected_ = false;
  bool outConnected_ = false;
  int badMappings_ = 0;

  // Shared with RtMidi's thread.
  CallbackMutex pendingLock_;
  struct Pending {
    int value = -1;  // the newest, -1 none
    int low = 0;     // the lowest and highest since the last Drain
    int high = 0;
  };
  std::array<Pending, kMidiControlSlots> pending_;
  std::vector<int> dirty_;  // controls with a value, in order of arrival
  bool posted_ = false;
  std::atomic<long> received_{0};
  std::atomic<long> ignored_{0};

  long refused_ = 0;
  QString lastMessage_;
  QString lastError_;
  std::vector<int> shown_;  // per mapping: the value last sent, -1 none
  // RtMidi's thread hands the drain to this object's thread through it. Last, so that it and
  // the drains still waiting in it go first when the remote is deleted.
  ThreadInbox inbox_;
};

}  // namespace kalvetro
