#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <initializer_list>

#include "remote/OscClients.h"

class QUdpSocket;

namespace kalvetro {

class Console;
class RemoteControl;

// OSC over UDP: reads each datagram sent to its port, runs what it asks through the remotes'
// door into the show, and sends /kalvetro/state/... messages to every client heard from in
// the last minute when the show changes, whoever changed it. Off until started. Lives on the
// user-interface thread and never blocks: the socket is a Qt object whose readyRead comes
// from the event loop, and UDP sends do not wait.
class OscRemote : public QObject {
  Q_OBJECT

 public:
  OscRemote(Console& console, RemoteControl& control, QObject* parent = nullptr);
  ~OscRemote() override;

  // Listens on every IPv4 interface at `port` (1..65535), after letting go of any port it
  // had. False when the port cannot be bound: BindError() says why (also on the status line).
  bool Start(int port);
  void Stop();

  bool Listening() const { return port_ != 0; }
  int Port() const { return port_; }  // 0 when off
  QString BindError() const { return bindError_; }
  // Good messages run and bad input refused since the start of the program.
  long MessageCount() const { return messages_; }
  long BadCount() const { return bad_; }
  QString LastMessage() const { return lastMessage_; }
  QString LastError() const { return lastError_; }
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

  Console& console_;
  RemoteControl& control_;
  QUdpSocket* socket_ = nullptr;
  int port_ = 0;
  QString bindError_;
  long messages_ = 0;
  long bad_ = 0;
  QString lastMessage_;
  QString lastError_;
  OscClients clients_;
  QElapsedTimer clock_;
};

}  // namespace kalvetro
