// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <chrono>
#include <map>
#include <string_view>

class QTcpSocket;

namespace kalvetro {

// What the guard reads of one request head: enough to refuse it, never to serve it.
struct HttpHead {
  bool upgrade = false;  // "Upgrade: websocket"
  bool hasBody = false;  // a Content-Length other than 0, or any Transfer-Encoding
  QString host;          // the Host header as sent ("192.168.1.5:8080"), empty when missing
  QString origin;        // the Origin header, empty when missing
  bool hasOrigin = false;
};

// Reads the header lines of a complete request head (request line and header lines, up to
// the blank line). Header names ignore case. Pure.
HttpHead ReadHttpHead(std::string_view head);

// The host name part of a Host header: "[::1]:8080" -> "::1", "Box.local:80" -> "box.local".
QString HostOfHostHeader(const QString& hostHeader);

// The phone page's TCP server with the limits Qt's HTTP server does not have. It sits under
// the HTTP server (which reads the requests and answers them) and watches each connection
// until it is upgraded to a WebSocket:
//  - at most kMaxConnections in all and kMaxPerAddress from one address; more are closed at
//    once, before a byte is read;
//  - a request head (request line and headers) of at most kHeadMax bytes; the socket never
//    buffers much more than that, so nothing sent can grow the memory;
//  - no request may carry a body: one that announces one is answered 413 and closed;
//  - a Host that is not this machine (a name that a foreign site made point here, "DNS
//    rebinding") is answered 403, and so is a WebSocket upgrade whose Origin is not the page
//    of that same host;
//  - a connection that has not finished its request, or upgraded, within kHeadTimeout is
//    closed (and so is a kept-alive one idle for as long);
//  - an accept error (no descriptors left, a peer gone while queued) pauses accepting only
//    for a moment; Qt alone would stop accepting for good.
// User-interface thread; never blocks.
class GuardedTcpServer : public QTcpServer {
  Q_OBJECT

 public:
  static constexpr int kMaxConnections = 32;
  static constexpr int kMaxPerAddress = 8;
  static constexpr int kHeadMax = 8 * 1024;
  static constexpr std::chrono::milliseconds kHeadTimeout{5000};

  explicit GuardedTcpServer(QObject* parent = nullptr);
  ~GuardedTcpServer() override;

  // Connections being read as HTTP now (upgraded ones are the WebSocket side's).
  int Connections() const { return static_cast<int>(watches_.size()); }
  // True when host (a Host header's host part) names this machine: one of its addresses,
  // "localhost", its host name, or that name under ".local" or its domain.
  static bool IsOwnHost(const QString& host);

 signals:
  // A connection or a request was refused: who, and why (in Russian, for the operator).
  void Refused(const QString& address, const QString& reason);

 protected:
  void incomingConnection(qintptr descriptor) override;

 private:
  struct Watch {
    QString address;
    QByteArray head;  // the request head read so far
    QTimer* deadline = nullptr;
  };

  void Read(QTcpSocket* socket);
  // Answers status and closes; the HTTP server never sees the request.
  void Reject(QTcpSocket* socket, int status, const QString& reason);
  void Release(QTcpSocket* socket);
  // Lets go of the connections whose peers have already closed.
  void DropClosed();
  void ResumeAfterAcceptError(QAbstractSocket::SocketError error);

  std::map<QTcpSocket*, Watch> watches_;
  std::map<QString, int> perAddress_;
  QTimer resumeTimer_;
};

// Equal texts, compared in a time that does not depend on where they differ (a PIN).
bool SameSecret(const QString& a, const QString& b);

}  // namespace kalvetro
