// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

#include "output/OutputSink.h"

namespace kalvetro {

class ThreadInbox;

// Network DMX through the Open Lighting Architecture daemon (olad): every output frame's slots
// 1..256 go to one OLA universe, and from there to whatever the rig has (Art-Net, sACN, USB
// interfaces that olad drives). The output tick never waits for the network: it leaves the
// frame in a one-slot mailbox (the newest frame wins) and a sender thread of this sink writes
// it. When the daemon is missing, stops or restarts, the sink says so once and reconnects by
// itself every few seconds, off the tick's thread.
class OlaSink : public QObject, public OutputSink {
  Q_OBJECT

 public:
  static constexpr int kSlots = 256;
  static constexpr std::uint16_t kDefaultServerPort = 9010;

  explicit OlaSink(QObject* parent = nullptr);
  ~OlaSink() override;

  // Output thread: the frame into the mailbox, nothing else.
  void WriteFrame(const OutputFrames& frames) override;

  // The operator's choices (any thread).
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_.load(); }
  void SetUniverse(unsigned universe);
  unsigned Universe() const { return universe_.load(); }
  // The daemon's RPC port (tests run a daemon of their own elsewhere).
  void SetServerPort(std::uint16_t port) { serverPort_.store(port); }

  bool Connected() const { return connected_.load(); }
  long FramesSent() const { return framesSent_.load(); }

  // Status texts.
  static QString NoDaemonText();
  static QString ConnectedText();

 signals:
  // A change of the connection, emitted on this object's thread (the sender thread hands it
  // over through an inbox).
  void ConnectionChanged(bool connected, const QString& text);

 private:
  void Run(std::stop_token stop);
  // Sender thread: has ConnectionChanged emitted on this object's thread.
  void Announce(bool connected, const QString& text);

  ThreadInbox* inbox_;  // a child: made before the sender thread starts

  std::array<std::atomic<std::uint8_t>, kSlots> mailbox_{};
  std::atomic<std::uint64_t> version_{0};
  std::atomic<bool> enabled_{false};
  std::atomic<unsigned> universe_{1};
  std::atomic<std::uint16_t> serverPort_{kDefaultServerPort};
  std::atomic<bool> connected_{false};
  std::atomic<long> framesSent_{0};
  std::jthread thread_;
};

}  // namespace kalvetro
