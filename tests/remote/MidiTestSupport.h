// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test helpers of the MIDI desk: a JACK server of the test's own with the dummy driver (no
// sound hardware, no ALSA sequencer needed) and a desk of two RtMidi objects with virtual ports.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

#include <RtMidi.h>

#include <QProcess>
#include <memory>
#include <mutex>
#include <vector>

#include "remote/CallbackMutex.h"
#include "serial/SerialTestSupport.h"

namespace kalvetro::testing {

inline constexpr unsigned char kNoteOn = 0x90;
inline constexpr unsigned char kControl = 0xB0;

// A JACK server with the dummy driver under a name of this process, so that tests run in
// parallel do not meet; every JACK client of the process finds it through the environment.
// It runs synchronously with a long client timeout: each period waits until every client has
// run. In JACK's default asynchronous mode a client that a busy machine starts late (a
// sanitizer build beside other work) misses its 5 ms period, and the MIDI events of that
// period are dropped without a word to either end; the tests would then wait for a message
// that is gone.
class JackServer {
 public:
  JackServer() {
    static int count = 0;
    name_ = QStringLiteral("kalvetro-midi-%1-%2").arg(::getpid()).arg(++count);
    qputenv("JACK_DEFAULT_SERVER", name_.toUtf8());
    qputenv("JACK_NO_AUDIO_RESERVATION", "1");
    server_.setProcessChannelMode(QProcess::MergedChannels);
    // The server ends with the test process even when that dies: a server left behind counts
    // against the few that JACK lets run at once.
    server_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server_.start(QStringLiteral("jackd"),
                  {QStringLiteral("-n"), name_, QStringLiteral("-r"), QStringLiteral("-S"),
                   QStringLiteral("-t"), QStringLiteral("5000"), QStringLiteral("-d"),
                   QStringLiteral("dummy"), QStringLiteral("-p"), QStringLiteral("256")});
    started_ = server_.waitForStarted(5000) && WaitFor(
                                                   [] {
                                                     QProcess list;
                                                     list.start(QStringLiteral("jack_lsp"), {});
                                                     return list.waitForFinished(5000) &&
                                                            list.exitCode() == 0;
                                                   },
                                                   10000);
  }
  ~JackServer() {
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill();
    server_.waitForFinished(2000);
  }
  bool Started() const { return started_; }
  // Everything the server has written so far.
  QString Output() {
    output_ += QString::fromLocal8Bit(server_.readAll());
    return output_;
  }
  // True when a port whose name holds `part` is connected to another port: JACK makes a
  // connection asked for with one of its next graph changes, which a busy machine delays.
  bool Linked(const QString& part) const {
    QProcess list;
    list.start(QStringLiteral("jack_lsp"), {QStringLiteral("-c")});
    if (!list.waitForFinished(5000)) return false;
    const QStringList lines = QString::fromLocal8Bit(list.readAllStandardOutput()).split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
      if (!lines[i].startsWith(' ') && lines[i].contains(part) && lines[i + 1].startsWith(' '))
        return true;
    return false;
  }
  // For a failure message: how many times the server said a client was late.
  std::string Late() {
    return " (JACK: " + std::to_string(Output().count(QStringLiteral("was not finished"))) +
           " late clients)";
  }

 private:
  QString name_;
  QProcess server_;
  QString output_;
  bool started_ = false;
};

// The desk: a port it sends its controls on ("Desk:controls") and one it hears the console on
// ("DeskLights:lights"), which a desk made without lights gets with AddLights().
class Desk {
 public:
  // (Two JACK clients of one name would be told apart by a number JACK adds.)
  explicit Desk(bool lights = true) : out_(RtMidi::UNIX_JACK, "Desk") {
    out_.openVirtualPort("controls");
    if (lights) AddLights();
  }
  ~Desk() {
    if (in_) in_->cancelCallback();
  }
  void AddLights() {
    in_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "DeskLights");
    in_->ignoreTypes(false, false, false);
    in_->setCallback(&Desk::Heard, this);
    in_->openVirtualPort("lights");
  }

  void Send(std::initializer_list<unsigned char> bytes) {
    const std::vector<unsigned char> v(bytes);
    out_.sendMessage(&v);
  }
  void Send(const std::vector<unsigned char>& v) { out_.sendMessage(&v); }
  // The last value the console showed on control (status byte and number), -1 none yet.
  int Shown(unsigned char status, unsigned char number) {
    std::lock_guard lock(lock_);
    for (auto it = heard_.rbegin(); it != heard_.rend(); ++it)
      if (it->size() == 3 && (*it)[0] == status && (*it)[1] == number) return (*it)[2];
    return -1;
  }
  // Waits until the console shows value on the control; the failure says what it showed.
  ::testing::AssertionResult WaitShown(unsigned char status, unsigned char number, int value,
                                       int ms = 2000) {
    if (WaitFor([&] { return Shown(status, number) == value; }, ms))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the desk's control " << int(status) << "/" << int(number) << " shows "
           << Shown(status, number) << ", not " << value << ", after " << ms << " ms";
  }
  void Forget() {
    std::lock_guard lock(lock_);
    heard_.clear();
  }

 private:
  static void Heard(double, std::vector<unsigned char>* message, void* self) {
    auto* desk = static_cast<Desk*>(self);
    std::lock_guard lock(desk->lock_);
    desk->heard_.push_back(*message);
  }
  // What the callback fills comes first: JACK starts the thread that calls it when the port
  // objects are made, so these must exist before it does.
  CallbackMutex lock_;
  std::vector<std::vector<unsigned char>> heard_;
  RtMidiOut out_;
  std::unique_ptr<RtMidiIn> in_;
};

}  // namespace kalvetro::testing
