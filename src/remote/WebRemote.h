// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

#include "remote/CoalescedCall.h"
#include "show/ShowMemory.h"

class QHttpServer;
class QWebSocket;

namespace kalvetro {

class RemoteDoor;
struct WebMessage;

// The phone remote: an HTTP server that hands out the page (from the resources) and a
// WebSocket at /ws through which the page runs show commands and hears the show's state.
// The HTTP layer under it (GuardedTcpServer) limits connections, request heads and bodies and
// refuses foreign hosts and origins. A connection must send the PIN first: at most two per
// address and four in all may wait for it, each for five seconds; five wrong tries from one
// address make that address wait, and twenty from anywhere within ten minutes close logins
// for five minutes. At most eight phones are in at once; each is pinged and dropped when it
// stops answering. User-interface thread; never blocks.
class WebRemote : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxClients = 8;
  static constexpr int kMaxWrongPins = 5;
  static constexpr std::chrono::milliseconds kLockoutWait{30000};
  // A connection that has not sent the right PIN by then is closed.
  static constexpr std::chrono::milliseconds kPinTimeout{5000};
  // Connections waiting for their PIN: from one address, and in all.
  static constexpr int kMaxWaitingPerAddress = 2;
  static constexpr int kMaxWaiting = 4;
  // Wrong PINs from all addresses together within kWrongPinWindow close logins for
  // kLoginsClosedWait.
  static constexpr int kMaxWrongPinsInAll = 20;
  static constexpr std::chrono::milliseconds kWrongPinWindow{10 * 60 * 1000};
  static constexpr std::chrono::milliseconds kLoginsClosedWait{5 * 60 * 1000};
  // Phones in are pinged this often and dropped after kSilenceLimit without a word.
  static constexpr std::chrono::milliseconds kPingPeriod{5000};
  static constexpr std::chrono::milliseconds kSilenceLimit{15000};
  // Output levels of a watched channel go out at most this often.
  static constexpr std::chrono::milliseconds kLevelPeriod{100};

  explicit WebRemote(RemoteDoor& door, QObject* parent = nullptr);
  ~WebRemote() override;

  // Listens on port (0: any free one) at bind (empty: every interface). Already listening
  // there: nothing changes. False when the port cannot be had: the remote is off and
  // StartError() says why, in Russian.
  bool Start(int port, const QString& bind);
  // Closes every connection and stops listening.
  void Stop();
  bool Listening() const { return server_ != nullptr; }
  int Port() const { return port_; }
  const QString& Bind() const { return bind_; }
  const QString& StartError() const { return startError_; }
  // The PIN a connection must send first. A change lets go of every connection.
  void SetPin(const QString& pin);
  const QString& Pin() const { return pin_; }
  // How long an address waits after five wrong PINs (tests shorten it).
  void SetLockoutWait(std::chrono::milliseconds wait) { lockoutWait_ = wait; }

  // Phones in (that gave the PIN).
  int Clients() const;
  // Connections that have not given the PIN yet.
  int Waiting() const { return static_cast<int>(clients_.size()) - Clients(); }
  // True while logins are closed after too many wrong PINs from anywhere.
  bool LoginsClosed();
  // How long logins stay closed after the budget of wrong PINs is spent (tests shorten it).
  void SetLoginsClosedWait(std::chrono::milliseconds wait) { loginsClosedWait_ = wait; }
  // Bad messages and wrong PINs since the start of the program, and the last of them.
  long Errors() const { return errors_; }
  const QString& LastError() const { return lastError_; }

  // The address to open on a phone: http://, this machine's LAN address (or the bind
  // address), the port.
  static QString PhoneUrl(const QString& bind, int port);

 signals:
  // Listening, clients, errors or the PIN changed.
  void StatusChanged();
  // Something the operator must hear of once, on the status line (logins closed).
  void Notice(const QString& text);

 private:
  struct Client {
    QWebSocket* socket = nullptr;  // owned by this remote
    QString address;
    bool authorized = false;
    std::chrono::steady_clock::time_point lastHeard{};
    int watchedChannel = 0;
    int sentLevel = -1;
    // Pictures this phone holds down: let go when the phone goes, so that a lost phone
    // never leaves a flash on.
    std::array<bool, kPictureCount> flashing{};
  };
  struct PinTally {
    int wrong = 0;
    std::chrono::steady_clock::time_point until{};  // waiting until then
  };

  void AcceptConnections();
  void Admit(QWebSocket* socket);
  void ReadText(QWebSocket* socket, const QString& text);
  void ReadBinary(QWebSocket* socket);
  void RunMessage(Client& client, const WebMessage& message);
  void WrongPin(Client& client, const QString& reason);
  void Forget(QWebSocket* socket);
  // Takes the socket's client off the list and lets go of the pictures it held.
  void Drop(QWebSocket* socket);
  void CloseAll();
  // Says why, then closes: the socket goes when it has disconnected.
  void Refuse(QWebSocket* socket, const QString& type, const QString& message);
  void CountError(const QString& address, const QString& reason);
  Client* Find(QWebSocket* socket);
  bool LockedOut(const QString& address);
  int WaitingFrom(const QString& address) const;
  void PingClients();
  void PushState();
  void SendLevels();
  QByteArray StateMessage() const;

  RemoteDoor& door_;
  std::unique_ptr<QHttpServer> server_;
  int port_ = 0;
  QString bind_;
  QString startError_;
  QString pin_;
  std::vector<Client> clients_;
  std::map<QString, PinTally> tallies_;
  std::chrono::milliseconds lockoutWait_ = kLockoutWait;
  long errors_ = 0;
  QString lastError_;
  QTimer levelTimer_;
  QTimer pingTimer_;
  // Times of the wrong PINs of the last window, from every address.
  std::vector<std::chrono::steady_clock::time_point> wrongPins_;
  std::chrono::steady_clock::time_point loginsClosedUntil_{};
  std::chrono::milliseconds loginsClosedWait_ = kLoginsClosedWait;
  // Several signals of one change go out as one state message; a flood of refusals redraws
  // the group once per turn of the event loop, not once per refusal.
  CoalescedCall push_{this, [this] { PushState(); }};
  CoalescedCall status_{this, [this] { emit StatusChanged(); }};
};

}  // namespace kalvetro
