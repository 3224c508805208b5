// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/WebRemote.h"

#include <QFile>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QWebSocket>

#include "door/RemoteDoor.h"
#include "remote/HttpGuard.h"
#include "remote/PeerAddress.h"
#include "remote/WebCommand.h"

namespace kalvetro {

namespace {

// What a socket accepts before it gives up on a peer: well above every message of the page
// (which the parser refuses past kWebMessageMax with a reply) and small enough for a phone.
constexpr qint64 kSocketMessageMax = 64 * 1024;
// A refused connection whose peer does not answer the closing handshake is cut after this.
constexpr int kCloseGraceMs = 2000;

// One file of the page, from the resources compiled into the program.
QHttpServerResponse PageFile(const char* name, const char* type) {
  QFile file(QStringLiteral(":/web/") + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly))
    return QHttpServerResponse(QHttpServerResponder::StatusCode::NotFound);
  QHttpServerResponse response(QByteArray(type), file.readAll());
  response.addHeader("Cache-Control", "no-store");
  response.addHeader("X-Content-Type-Options", "nosniff");
  response.addHeader("Content-Security-Policy",
                     "default-src 'self'; connect-src 'self'; frame-ancestors 'none'");
  return response;
}

QByteArray Json(const QJsonObject& o) {
  return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonArray Flags(const auto& flags) {
  QJsonArray a;
  for (bool f : flags) a.append(f);
  return a;
}

}  // namespace

WebRemote::WebRemote(RemoteDoor& door, QObject* parent) : QObject(parent), door_(door) {
  levelTimer_.setInterval(kLevelPeriod);
  connect(&levelTimer_, &QTimer::timeout, this, &WebRemote::SendLevels);
  pingTimer_.setInterval(kPingPeriod);
  connect(&pingTimer_, &QTimer::timeout, this, &WebRemote::PingClients);
  auto push = [this] { push_.Schedule(); };
  connect(&door_, &RemoteDoor::SceneChanged, this, push);
  connect(&door_, &RemoteDoor::PlayingChanged, this, push);
  connect(&door_, &RemoteDoor::BlackOutChanged, this, push);
  connect(&door_, &RemoteDoor::TempoChanged, this, push);
  connect(&door_, &RemoteDoor::PictureChanged, this, push);
  connect(&door_, &RemoteDoor::AutomatChanged, this, push);
  connect(&door_, &RemoteDoor::ShowNameChanged, this, push);
}

WebRemote::~WebRemote() {
  // The console is going: its show is left as it is.
  blockSignals(true);
  for (Client& c : clients_) c.flashing = {};
  CloseAll();
  server_.reset();
}

bool WebRemote::Start(int port, const QString& bind) {
  if (server_ && (port == port_ || port == 0) && bind == bind_) return true;
  Stop();
  QHostAddress address(QHostAddress::Any);
  if (!bind.isEmpty() && !address.setAddress(bind)) {
    startError_ = QStringLiteral("«%1» — не IP-адрес: пульт на телефоне выключен").arg(bind);
    emit StatusChanged();
    return false;
  }
  if (port < 0 || port > 65535) {
    startError_ = QStringLiteral("Порт %1 вне 1..65535: пульт на телефоне выключен").arg(port);
    emit StatusChanged();
    return false;
  }
  auto tcp = std::make_unique<GuardedTcpServer>();
  if (!tcp->listen(address, static_cast<quint16>(port))) {
    switch (tcp->serverError()) {
      case QAbstractSocket::AddressInUseError:
        startError_ =
            QStringLiteral("Порт %1 уже занят другой программой: пульт на телефоне выключен")
                .arg(port);
        break;
      case QAbstractSocket::SocketAccessError:
        startError_ = QStringLiteral(
                          "Нет прав на порт %1 (порты до 1024 — только для root): пульт на "
                          "телефоне выключен")
                          .arg(port);
        break;
      case QAbstractSocket::SocketAddressNotAvailableError:
        startError_ =
            QStringLiteral("Адреса %1 нет на этой машине: пульт на телефоне выключен").arg(bind);
        break;
      default:
        startError_ = QStringLiteral("Пульт на телефоне не запущен: %1").arg(tcp->errorString());
    }
    emit StatusChanged();
    return false;
  }
  connect(tcp.get(), &GuardedTcpServer::Refused, this,
          [this](const QString& address, const QString& reason) {
            CountError(address.isEmpty() ? QStringLiteral("HTTP") : address, reason);
          });
  port_ = tcp->serverPort();
  bind_ = bind;
  startError_.clear();
  server_ = std::make_unique<QHttpServer>();
  server_->route(QStringLiteral("/"), QHttpServerRequest::Method::Get,
                 [] { return PageFile("index.html", "text/html; charset=utf-8"); });
  server_->route(QStringLiteral("/remote.css"), QHttpServerRequest::Method::Get,
                 [] { return PageFile("remote.css", "text/css; charset=utf-8"); });
  server_->route(QStringLiteral("/remote.js"), QHttpServerRequest::Method::Get,
                 [] { return PageFile("remote.js", "text/javascript; charset=utf-8"); });
  // The WebSocket path writes no answer of its own: the upgrade is the answer.
  server_->route(QStringLiteral("/ws"), [](const QHttpServerRequest&, QHttpServerResponder&&) {});
  connect(server_.get(), &QAbstractHttpServer::newWebSocketConnection, this,
          &WebRemote::AcceptConnections);
  server_->bind(tcp.release());  // the server takes it as its child
  levelTimer_.start();
  pingTimer_.start();
  emit StatusChanged();
  return true;
}

void WebRemote::CloseAll() {
  std::vector<QWebSocket*> leaving;
  for (const Client& c : clients_) leaving.push_back(c.socket);
  for (QWebSocket* socket : leaving) {
    Drop(socket);
    socket->disconnect(this);
    socket->close(QWebSocketProtocol::CloseCodeGoingAway);
    socket->deleteLater();
  }
}

void WebRemote::Stop() {
  CloseAll();
  server_.reset();
  levelTimer_.stop();
  pingTimer_.stop();
  port_ = 0;
  emit StatusChanged();
}

void WebRemote::SetPin(const QString& pin) {
  if (pin == pin_) return;
  pin_ = pin;
  // Whoever came in with the old PIN must ask again.
  std::vector<QWebSocket*> all;
  for (const Client& c : clients_) all.push_back(c.socket);
  for (QWebSocket* s : all) Refuse(s, QStringLiteral("denied"), QStringLiteral("PIN изменён"));
  emit StatusChanged();
}

QString WebRemote::PhoneUrl(const QString& bind, int port) {
  QHostAddress host;
  if (!bind.isEmpty() && host.setAddress(bind) && host != QHostAddress::Any &&
      host != QHostAddress::AnyIPv4 && host != QHostAddress::AnyIPv6) {
  } else {
    host = QHostAddress::LocalHost;
    bool found = false;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
      const auto flags = i.flags();
      if (found || !flags.testFlag(QNetworkInterface::IsUp) ||
          !flags.testFlag(QNetworkInterface::IsRunning) ||
          flags.testFlag(QNetworkInterface::IsLoopBack))
        continue;
      for (const QNetworkAddressEntry& e : i.addressEntries()) {
        if (e.ip().protocol() == QAbstractSocket::IPv4Protocol) {
          host = e.ip();
          found = true;
          break;
        }
      }
    }
  }
  const QString text = host.protocol() == QAbstractSocket::IPv6Protocol
                           ? QStringLiteral("[%1]").arg(host.toString())
                           : host.toString();
  return QStringLiteral("http://%1:%2/").arg(text).arg(port);
}

// ---------------------------------------------------------------- connections

void WebRemote::AcceptConnections() {
  while (server_ && server_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> socket = server_->nextPendingWebSocketConnection();
    if (socket) Admit(socket.release());
  }
}

void WebRemote::Admit(QWebSocket* socket) {
  socket->setParent(this);
  socket->setMaxAllowedIncomingMessageSize(kSocketMessageMax);
  socket->setMaxAllowedIncomingFrameSize(kSocketMessageMax);
  connect(socket, &QWebSocket::disconnected, this, [this, socket] { Forget(socket); });
  const QString address = PeerAddressText(socket->peerAddress());
  if (LoginsClosed()) {
    Refuse(socket, QStringLiteral("denied"),
           QStringLiteral("Слишком много неверных PIN: вход закрыт на 5 минут"));
    return;
  }
  if (LockedOut(address)) {
    Refuse(socket, QStringLiteral("denied"),
           QStringLiteral("Слишком много неверных PIN с этого адреса: подождите"));
    return;
  }
  if (Clients() >= kMaxClients) {
    Refuse(socket, QStringLiteral("busy"),
           QStringLiteral("Уже подключено %1 пультов: больше нельзя").arg(kMaxClients));
    return;
  }
  // Connections without the PIN take no phone's place, and only a few may wait at once: one
  // address may keep two waiting, and when four wait in all the one that has waited longest
  // makes room, so that silent sockets renewed from a few addresses never keep a phone out.
  if (WaitingFrom(address) >= kMaxWaitingPerAddress) {
    Refuse(socket, QStringLiteral("busy"),
           QStringLiteral("Слишком много подключений ждут PIN: попробуйте снова"));
    CountError(address, QStringLiteral("Слишком много подключений без PIN"));
    return;
  }
  if (Waiting() >= kMaxWaiting) {
    const auto oldest = std::find_if(clients_.begin(), clients_.end(),
                                     [](const Client& c) { return !c.authorized; });
    CountError(oldest->address, QStringLiteral("PIN не получен: место отдано другому"));
    Refuse(oldest->socket, QStringLiteral("denied"), QStringLiteral("PIN не получен вовремя"));
  }
  clients_.push_back(Client{socket, address, false, std::chrono::steady_clock::now()});
  connect(socket, &QWebSocket::pong, this, [this, socket] {
    if (Client* c = Find(socket)) c->lastHeard = std::chrono::steady_clock::now();
  });
  connect(socket, &QWebSocket::textMessageReceived, this,
          [this, socket](const QString& text) { ReadText(socket, text); });
  connect(socket, &QWebSocket::binaryMessageReceived, this, [this, socket] { ReadBinary(socket); });
  QTimer::singleShot(kPinTimeout, socket, [this, socket] {
    const Client* c = Find(socket);
    if (c && !c->authorized)
      Refuse(socket, QStringLiteral("denied"), QStringLiteral("PIN не получен вовремя"));
  });
  status_.Schedule();
}

void WebRemote::Refuse(QWebSocket* socket, const QString& type, const QString& message) {
  Drop(socket);
  socket->disconnect(this, nullptr);
  connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
  socket->sendTextMessage(QString::fromUtf8(Json({{"type", type}, {"message", message}})));
  socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
  QTimer::singleShot(kCloseGraceMs, socket, [socket] {
    socket->abort();
    socket->deleteLater();
  });
  status_.Schedule();
}

void WebRemote::Forget(QWebSocket* socket) {
  const bool known = Find(socket) != nullptr;
  Drop(socket);
  socket->deleteLater();
  if (known) status_.Schedule();
}

void WebRemote::Drop(QWebSocket* socket) {
  const Client* client = Find(socket);
  if (!client) return;
  const std::array<bool, kPictureCount> held = client->flashing;
  std::erase_if(clients_, [socket](const Client& c) { return c.socket == socket; });
  for (int k = 0; k < kPictureCount; ++k)
    if (held[k]) door_.Run({RemoteCommandKind::Picture, k + 1, 0});
}

WebRemote::Client* WebRemote::Find(QWebSocket* socket) {
  for (Client& c : clients_)
    if (c.socket == socket) return &c;
  return nullptr;
}

int WebRemote::Clients() const {
  return static_cast<int>(std::count_if(clients_.begin(), clients_.end(),
                                        [](const Client& c) { return c.authorized; }));
}

int WebRemote::WaitingFrom(const QString& address) const {
  return static_cast<int>(std::count_if(clients_.begin(), clients_.end(), [&](const Client& c) {
    return !c.authorized && c.address == address;
  }));
}

bool WebRemote::LoginsClosed() {
  return std::chrono::steady_clock::now() < loginsClosedUntil_;
}

bool WebRemote::LockedOut(const QString& address) {
  const auto it = tallies_.find(address);
  if (it == tallies_.end() || it->second.wrong < kMaxWrongPins) return false;
  if (std::chrono::steady_clock::now() < it->second.until) return true;
  tallies_.erase(it);  // the wait is over: a fresh five tries
  return false;
}

// ---------------------------------------------------------------- messages

void WebRemote::ReadText(QWebSocket* socket, const QString& text) {
  Client* client = Find(socket);
  if (!client) return;
  client->lastHeard = std::chrono::steady_clock::now();
  const WebMessage message = ParseWebMessage(text.toUtf8());
  if (client->authorized) {
    RunMessage(*client, message);
    return;
  }
  if (message.kind == WebMessageKind::Pin && !pin_.isEmpty() && SameSecret(message.pin, pin_)) {
    // The place is taken when the PIN is right: others may have come in meanwhile.
    if (Clients() >= kMaxClients) {
      Refuse(socket, QStringLiteral("busy"),
             QStringLiteral("Уже подключено %1 пультов: больше нельзя").arg(kMaxClients));
      return;
    }
    client->authorized = true;
    tallies_.erase(client->address);
    socket->sendTextMessage(QStringLiteral("{\"type\":\"welcome\"}"));
    socket->sendTextMessage(QString::fromUtf8(StateMessage()));
    emit StatusChanged();
    return;
  }
  WrongPin(*client, message.kind == WebMessageKind::Pin ? QStringLiteral("Неверный PIN")
                                                        : QStringLiteral("Сначала нужен PIN"));
}

void WebRemote::ReadBinary(QWebSocket* socket) {
  Client* client = Find(socket);
  if (!client) return;
  client->lastHeard = std::chrono::steady_clock::now();
  if (!client->authorized) {
    WrongPin(*client, QStringLiteral("Сначала нужен PIN"));
    return;
  }
  WebMessage refused;
  refused.error = QStringLiteral("Принимаются только текстовые сообщения");
  RunMessage(*client, refused);
}

void WebRemote::RunMessage(Client& client, const WebMessage& message) {
  QString refused;
  switch (message.kind) {
    case WebMessageKind::Error:
      refused = message.error;
      break;
    case WebMessageKind::Pin:
      break;  // already in
    case WebMessageKind::Watch:
      client.watchedChannel = message.channel;
      client.sentLevel = -1;  // the next level tick sends it
      break;
    case WebMessageKind::Command:
      refused = door_.Run(message.command);
      if (refused.isEmpty() && message.command.kind == RemoteCommandKind::Picture)
        client.flashing[message.command.a - 1] = message.command.b == 1;
      break;
  }
  QJsonObject reply{{"type", "reply"}, {"ok", refused.isEmpty()}};
  if (!refused.isEmpty()) {
    reply.insert(QStringLiteral("error"), refused);
    CountError(client.address, refused);
  }
  client.socket->sendTextMessage(QString::fromUtf8(Json(reply)));
}

void WebRemote::WrongPin(Client& client, const QString& reason) {
  QWebSocket* socket = client.socket;
  const QString address = client.address;
  CountError(address, reason);
  const auto now = std::chrono::steady_clock::now();
  std::erase_if(wrongPins_, [&](auto t) { return now - t > kWrongPinWindow; });
  wrongPins_.push_back(now);
  if (static_cast<int>(wrongPins_.size()) >= kMaxWrongPinsInAll && !LoginsClosed()) {
    // Someone is trying PINs from many addresses: nobody new gets in for a while; the phones
    // already in keep working.
    loginsClosedUntil_ = now + loginsClosedWait_;
    wrongPins_.clear();
    const QString notice =
        QStringLiteral("Пульт на телефоне: слишком много неверных PIN — вход закрыт на 5 минут");
    lastError_ = notice;
    emit Notice(notice);
  }
  PinTally& tally = tallies_[address];
  if (++tally.wrong >= kMaxWrongPins) {
    tally.until = std::chrono::steady_clock::now() + lockoutWait_;
    // The address's other connections without the PIN go too.
    std::vector<QWebSocket*> others;
    for (const Client& c : clients_)
      if (c.address == address && !c.authorized && c.socket != socket) others.push_back(c.socket);
    for (QWebSocket* s : others)
      Refuse(s, QStringLiteral("denied"),
             QStringLiteral("Слишком много неверных PIN с этого адреса: подождите"));
  }
  Refuse(socket, QStringLiteral("denied"), reason);
  // An address that gave up long ago needs no tally; the table stays small whatever comes.
  if (tallies_.size() > 1024) {
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(tallies_, [now](const auto& entry) { return entry.second.until < now; });
  }
}

void WebRemote::CountError(const QString& address, const QString& reason) {
  ++errors_;
  // While logins are closed that is what the group keeps saying.
  if (!LoginsClosed()) lastError_ = QStringLiteral("%1: %2").arg(address, reason);
  status_.Schedule();
}

void WebRemote::PingClients() {
  const auto now = std::chrono::steady_clock::now();
  std::vector<QWebSocket*> silent;
  for (Client& c : clients_) {
    if (!c.authorized) continue;
    if (now - c.lastHeard > kSilenceLimit)
      silent.push_back(c.socket);
    else
      c.socket->ping();
  }
  // A phone gone quiet (out of range, asleep) lets go of what it held, as a closed one does.
  for (QWebSocket* s : silent)
    Refuse(s, QStringLiteral("denied"), QStringLiteral("Телефон не отвечает"));
}

// ---------------------------------------------------------------- what the page hears

void WebRemote::PushState() {
  const QString state = QString::fromUtf8(StateMessage());
  // (A socket that fails while being written to leaves the list: send from a copy.)
  std::vector<QWebSocket*> listeners;
  for (const Client& c : clients_)
    if (c.authorized) listeners.push_back(c.socket);
  for (QWebSocket* s : listeners) s->sendTextMessage(state);
}

QByteArray WebRemote::StateMessage() const {
  const RemoteState s = door_.State();
  return Json({{"type", "state"},
               {"scene", s.scene},
               {"lastScene", s.lastScene},
               {"playing", s.playing},
               {"blackOut", s.blackOut},
               {"tempo", s.tempo},
               {"show", s.showName},
               {"pictures", Flags(s.pictures)},
               {"latched", Flags(s.latched)},
               {"automats", Flags(s.automats)}});
}

void WebRemote::SendLevels() {
  std::vector<std::pair<QWebSocket*, QString>> messages;
  for (Client& c : clients_) {
    if (!c.authorized || c.watchedChannel == 0) continue;
    const int level = door_.OutputLevel(c.watchedChannel);
    if (level == c.sentLevel) continue;
    c.sentLevel = level;
    messages.emplace_back(
        c.socket,
        QString::fromUtf8(Json({{"type", "level"}, {"n", c.watchedChannel}, {"level", level}})));
  }
  for (const auto& [socket, text] : messages) socket->sendTextMessage(text);
}

}  // namespace kalvetro
