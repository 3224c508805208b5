// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/HttpGuard.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <QElapsedTimer>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <algorithm>
#include <vector>

#include "remote/PeerAddress.h"

namespace kalvetro {

namespace {

// The socket buffers at most this much before the HTTP server has taken it, a little above
// the longest head the guard lets through, so that a flood of bytes waits in the kernel (and
// then in the sender) instead of in the console's memory.
constexpr qint64 kReadBufferMax = GuardedTcpServer::kHeadMax + 4096;
// Once upgraded, the WebSocket side limits each message to 64 KB; its frames must fit.
constexpr qint64 kUpgradedReadBufferMax = 256 * 1024;
// A refused connection whose peer does not take the answer is cut after this.
constexpr int kRejectGraceMs = 1000;
// A pause in accepting after an accept error lasts this long, then accepting is tried again.
constexpr int kAcceptRetryMs = 250;

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool HasToken(std::string_view list, std::string_view token) {
  while (!list.empty()) {
    const auto comma = list.find(',');
    if (SameWord(Trimmed(list.substr(0, comma)), token)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

QString Latin1(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Where a request head ends in the bytes: just past its blank line, or -1.
qsizetype HeadEnd(const QByteArray& bytes, qsizetype from) {
  const qsizetype crlf = bytes.indexOf("\r\n\r\n", from);
  const qsizetype lf = bytes.indexOf("\n\n", from);
  if (crlf >= 0 && (lf < 0 || crlf + 2 <= lf)) return crlf + 4;
  return lf >= 0 ? lf + 2 : -1;
}

const char* StatusText(int status) {
  switch (status) {
    case 403:
      return "403 Forbidden";
    case 413:
      return "413 Payload Too Large";
    default:
      return "431 Request Header Fields Too Large";
  }
}

// This machine's addresses, read again at most every few seconds (a laptop changes networks).
const std::vector<QHostAddress>& OwnAddresses() {
  static std::vector<QHostAddress> addresses;
  static QElapsedTimer age;
  if (!age.isValid() || age.elapsed() > 5000) {
    addresses.clear();
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) addresses.push_back(a);
    age.start();
  }
  return addresses;
}

}  // namespace

HttpHead ReadHttpHead(std::string_view head) {
  HttpHead h;
  bool firstLine = true;
  while (!head.empty()) {
    const auto end = head.find('\n');
    const std::string_view line = head.substr(0, end);
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
    if (firstLine) {  // the request line (empty lines before it are allowed)
      if (!Trimmed(line).empty()) firstLine = false;
      continue;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = Trimmed(line.substr(0, colon));
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (SameWord(name, "content-length")) {
      if (value.find_first_not_of('0') != std::string_view::npos || value.empty()) h.hasBody = true;
    } else if (SameWord(name, "transfer-encoding")) {
      h.hasBody = true;
    } else if (SameWord(name, "upgrade")) {
      if (HasToken(value, "websocket")) h.upgrade = true;
    } else if (SameWord(name, "host")) {
      h.host = Latin1(value);
    } else if (SameWord(name, "origin")) {
      h.origin = Latin1(value);
      h.hasOrigin = true;
    }
  }
  return h;
}

QString HostOfHostHeader(const QString& hostHeader) {
  QString host = hostHeader.trimmed().toLower();
  if (host.startsWith(QLatin1Char('['))) {
    const qsizetype close = host.indexOf(QLatin1Char(']'));
    return close < 0 ? host.mid(1) : host.mid(1, close - 1);
  }
  const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
  // More than one colon without brackets is a bare IPv6 address, not host:port.
  if (colon >= 0 && host.indexOf(QLatin1Char(':')) == colon) host.truncate(colon);
  if (host.endsWith(QLatin1Char('.'))) host.chop(1);  // "box.local." is "box.local"
  return host;
}

bool GuardedTcpServer::IsOwnHost(const QString& host) {
  if (host.isEmpty()) return false;
  QHostAddress address;
  if (address.setAddress(host)) {
    if (address.isLoopback()) return true;
    address = UnmappedAddress(address);
    const auto& own = OwnAddresses();
    return std::any_of(own.begin(), own.end(), [&](const QHostAddress& a) {
      return a.isEqual(address, QHostAddress::TolerantConversion);
    });
  }
  const QString name = QHostInfo::localHostName().toLower();
  const QString domain = QHostInfo::localDomainName().toLower();
  return host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")) ||
         (!name.isEmpty() && (host == name || host == name + QLatin1String(".local") ||
                              (!domain.isEmpty() && host == name + QLatin1Char('.') + domain)));
}

bool SameSecret(const QString& a, const QString& b) {
  // Every character of the longer text is looked at whatever the other holds.
  const qsizetype n = std::max(a.size(), b.size());
  unsigned differ = a.size() == b.size() ? 0u : 1u;
  for (qsizetype i = 0; i < n; ++i) {
    const unsigned x = i < a.size() ? a[i].unicode() : 0u;
    const unsigned y = i < b.size() ? b[i].unicode() : 0u;
    differ |= x ^ y;
  }
  return differ == 0;
}

GuardedTcpServer::GuardedTcpServer(QObject* parent) : QTcpServer(parent) {
  resumeTimer_.setSingleShot(true);
  resumeTimer_.setInterval(kAcceptRetryMs);
  connect(&resumeTimer_, &QTimer::timeout, this, &GuardedTcpServer::resumeAccepting);
  connect(this, &QTcpServer::acceptError, this, &GuardedTcpServer::ResumeAfterAcceptError);
}

GuardedTcpServer::~GuardedTcpServer() {
  // The sockets are children and go with the server: stop counting them first.
  for (auto& [socket, watch] : watches_) socket->disconnect(this);
}

void GuardedTcpServer::ResumeAfterAcceptError(QAbstractSocket::SocketError error) {
  // Qt pauses accepting for good after any accept error but a temporary one: no descriptors
  // left, or a peer that gave up while waiting in the queue. Accepting is tried again
  // shortly, and again after every further error, until it works.
  if (resumeTimer_.isActive()) return;
  resumeTimer_.start();
  if (error == QAbstractSocket::SocketResourceError)
    emit Refused(QString(), QStringLiteral("Нет свободных дескрипторов: прием соединений "
                                           "приостановлен"));
}

void GuardedTcpServer::incomingConnection(qintptr descriptor) {
  auto* socket = new QTcpSocket(this);
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    ::close(static_cast<int>(descriptor));
    return;
  }
  const QString address = PeerAddressText(socket->peerAddress());
  if (Connections() >= kMaxConnections || perAddress_[address] >= kMaxPerAddress) DropClosed();
  if (Connections() >= kMaxConnections || perAddress_[address] >= kMaxPerAddress) {
    socket->abort();
    delete socket;
    emit Refused(address, QStringLiteral("Слишком много соединений"));
    return;
  }
  socket->setReadBufferSize(kReadBufferMax);
  Watch& watch = watches_[socket];
  watch.address = address;
  ++perAddress_[address];
  watch.deadline = new QTimer(socket);
  watch.deadline->setSingleShot(true);
  watch.deadline->setInterval(kHeadTimeout);
  connect(watch.deadline, &QTimer::timeout, socket, [this, socket] {
    const auto it = watches_.find(socket);
    // A kept-alive connection with nothing begun simply closes; a half-sent head is refused.
    if (it != watches_.end() && !it->second.head.trimmed().isEmpty())
      emit Refused(it->second.address, QStringLiteral("Запрос не получен за 5 с"));
    socket->abort();
  });
  watch.deadline->start();
  // Connected before the HTTP server's own reader (which comes with newConnection), so this
  // sees every byte first and can refuse before the server buffers or acts on anything.
  connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
  connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Release(socket); });
  connect(socket, &QObject::destroyed, this, [this, socket] { Release(socket); });
  addPendingConnection(socket);
}

void GuardedTcpServer::DropClosed() {
  // Peers that have closed but whose end of file the event loop has not read yet (a burst of
  // connections closed at once) still count: look at each socket's descriptor, without
  // reading, and let go of those at their end.
  std::vector<QTcpSocket*> closed;
  for (const auto& [socket, watch] : watches_) {
    char byte = 0;
    const auto n =
        ::recv(static_cast<int>(socket->socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
      closed.push_back(socket);
  }
  for (QTcpSocket* socket : closed) socket->abort();
}

void GuardedTcpServer::Read(QTcpSocket* socket) {
  const auto it = watches_.find(socket);
  if (it == watches_.end() || !it->second.deadline) return;
  Watch& watch = it->second;
  // The HTTP server reads inside a transaction: what it has read is still buffered, and
  // bytesAvailable and peek start where it stopped, so these are the bytes new to both.
  const QByteArray fresh = socket->peek(socket->bytesAvailable());
  qsizetype at = 0;
  while (at < fresh.size()) {
    const qsizetype searchFrom = std::max<qsizetype>(0, watch.head.size() - 3);
    const qsizetype take = std::min(fresh.size() - at, kHeadMax + 4 - watch.head.size());
    watch.head.append(fresh.constData() + at, take);
    at += take;
    const qsizetype end = HeadEnd(watch.head, searchFrom);
    if (end < 0) {
      if (watch.head.size() > kHeadMax) {
        Reject(socket, 431, QStringLiteral("Заголовок запроса длиннее 8 КБ"));
        return;
      }
      continue;
    }
    const HttpHead head = ReadHttpHead(std::string_view(watch.head.constData(), end));
    // What followed the blank line begins the next request.
    at -= watch.head.size() - end;
    watch.head.clear();
    if (!head.host.isEmpty() && !IsOwnHost(HostOfHostHeader(head.host))) {
      Reject(socket, 403, QStringLiteral("Чужое имя в запросе (Host: %1)").arg(head.host));
      return;
    }
    if (head.hasBody) {
      Reject(socket, 413, QStringLiteral("Запрос с телом не принимается"));
      return;
    }
    if (head.upgrade) {
      const QString own = QStringLiteral("http://") + head.host.toLower();
      if (head.hasOrigin && head.origin.toLower() != own) {
        Reject(socket, 403,
               QStringLiteral("WebSocket с чужой страницы (Origin: %1)").arg(head.origin));
        return;
      }
      // From here on the WebSocket side counts and limits it.
      socket->setReadBufferSize(kUpgradedReadBufferMax);
      delete watch.deadline;
      watch.deadline = nullptr;
      Release(socket);
      return;
    }
    watch.deadline->start();  // the next request of a kept-alive connection
  }
}

void GuardedTcpServer::Reject(QTcpSocket* socket, int status, const QString& reason) {
  const auto it = watches_.find(socket);
  if (it == watches_.end()) return;
  // The HTTP server's reader, connected after this one, is not called for these bytes.
  QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
  delete it->second.deadline;
  it->second.deadline = nullptr;
  if (socket->isTransactionStarted()) socket->rollbackTransaction();
  socket->readAll();  // let go of what was buffered
  socket->setReadBufferSize(1);
  socket->write(QByteArray("HTTP/1.1 ") + StatusText(status) +
                "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  socket->disconnectFromHost();
  QTimer::singleShot(kRejectGraceMs, socket, [socket] { socket->abort(); });
  emit Refused(it->second.address, reason);
}

void GuardedTcpServer::Release(QTcpSocket* socket) {
  const auto it = watches_.find(socket);
  if (it == watches_.end()) return;
  if (--perAddress_[it->second.address] <= 0) perAddress_.erase(it->second.address);
  watches_.erase(it);
  socket->disconnect(this);
}

}  // namespace kalvetro
