// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <initializer_list>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "remote/CoalescedCall.h"
#include "remote/OscClients.h"
#include "show/Result.h"

class QUdpSocket;

namespace kalvetro {

class RemoteDoor;

// The senders OSC takes commands from, from the text of the settings: addresses and subnets
// ("192.168.1.20", "10.0.0.0/8", "fe80::/10") separated by commas, semicolons or blanks;
// "none" allows nobody. Nothing when an item is neither.
std::optional<std::vector<std::pair<QHostAddress, int>>> ParseOscAllowList(const QString& text);

// OSC over UDP: reads each datagram sent to its port, runs what it asks through the remotes'
// door into the show, and sends /kalvetro/state/... messages to every client heard from in
// the last minute when the show changes, whoever changed it. Off until started. Lives on the
// user-interface thread and never blocks: the socket is a Qt object whose readyRead comes
// from the event loop, and UDP sends do not wait.
//
// A UDP sender's address can be forged, so OSC takes datagrams only from the allowed
// addresses and subnets (by default this machine, the private ranges and link-local), answers
// a sync at most once a second per address, and never sends one address more than
// kMaxDatagramsPerSecond datagrams a second: the console cannot be used to flood a third
// machine.
class OscRemote : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxDatagramsPerSecond = 64;
  static constexpr std::int64_t kSyncIntervalMs = 1000;

  OscRemote(RemoteDoor& door, QObject* parent = nullptr);
  ~OscRemote() override;

  // Listens at `port` (1..65535) on the bind address of the remote settings (empty: every
  // IPv4 interface), taking datagrams from the senders the settings allow, after letting go of
  // any port it had. False when the port cannot be bound or the settings cannot be read:
  // BindError() says why (also on the status line).
  Result Start(int port);
  void Stop();

  bool Listening() const { return port_ != 0; }
  int Port() const { return port_; }  // 0 when off
  QString BindError() const { return bindError_; }
  // Good messages run and bad input refused since the start of the program.
  long MessageCount() const { return messages_; }
  long BadCount() const { return bad_; }
  QString LastMessage() const { return lastMessage_; }
  QString LastError() const { return lastError_; }
  // Datagrams dropped because their sender is not allowed, and the last such sender.
  long ForeignCount() const { return foreign_; }
  QString LastForeign() const { return lastForeign_; }
  // Datagrams not sent because their address had had its share of the second.
  long HeldBackCount() const { return heldBack_; }
  int ClientCount();

 signals:
  // Something the options group shows changed: listening, a message, bad input.
  void Changed();

 private:
  void ReadDatagrams();
  void Handle(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort);
  void Refuse(const QString& error, const QString& from);
  // Sends one message of int32 arguments to every active client, or to one.
  void SendToClients(const char* path, std::initializer_list<int> values);
  void Send(const QHostAddress& to, quint16 port, const char* path,
            std::initializer_list<int> values);
  void SendWholeState(const QHostAddress& to, quint16 port);
  bool Allowed(const QHostAddress& sender) const;
  // Counts one datagram to `to` against its share of the current second; false when spent.
  bool TakeSendBudget(const QHostAddress& to);

  // What each address has been sent in the current second and when it last had a sync.
  struct Budget {
    std::int64_t secondStartMs = -1;
    int sent = 0;
    std::int64_t lastSyncMs = -kSyncIntervalMs;
  };

  RemoteDoor& door_;
  QUdpSocket* socket_ = nullptr;
  int port_ = 0;
  QString bindError_;
  long messages_ = 0;
  long bad_ = 0;
  QString lastMessage_;
  QString lastError_;
  long foreign_ = 0;
  QString lastForeign_;
  long heldBack_ = 0;
  OscClients clients_;
  QElapsedTimer clock_;
  std::vector<std::pair<QHostAddress, int>> allowed_;
  std::map<QString, Budget> budgets_;
  // Changed, once per turn of the event loop however many datagrams came.
  CoalescedCall changed_{this, [this] { emit Changed(); }};
};

}  // namespace kalvetro
