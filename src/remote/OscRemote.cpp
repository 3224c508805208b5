// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/OscRemote.h"

#include <lo/lo_lowlevel.h>

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QUdpSocket>
#include <cstdlib>

#include "door/RemoteDoor.h"
#include "remote/OscCommand.h"
#include "remote/PeerAddress.h"

namespace kalvetro {

// Why a QUdpSocket and liblo's (de)serialising functions rather than liblo's own server:
// every datagram comes with its sender, so each bad one is counted and shown (liblo's server
// drops some malformed input before any handler sees it, and its error handler does not
// know who sent it); the replies leave from the same socket, hence from the port the clients
// talk to; and the socket is an ordinary Qt object of the user-interface thread.

namespace {

QString SenderText(const QHostAddress& address, quint16 port) {
  return QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

}  // namespace

OscRemote::OscRemote(RemoteDoor& door, QObject* parent) : QObject(parent), door_(door) {
  clock_.start();
  connect(&door_, &RemoteDoor::SceneChanged, this, [this](int n, int m) {
    SendToClients("/kalvetro/state/scene", {n, m});
  });
  connect(&door_, &RemoteDoor::PlayingChanged, this,
          [this](bool on) { SendToClients("/kalvetro/state/playing", {on}); });
  connect(&door_, &RemoteDoor::BlackOutChanged, this,
          [this](bool on) { SendToClients("/kalvetro/state/blackout", {on}); });
  connect(&door_, &RemoteDoor::TempoChanged, this,
          [this](int tempo) { SendToClients("/kalvetro/state/tempo", {tempo}); });
  connect(&door_, &RemoteDoor::PictureChanged, this, [this](int k, bool on, bool latched) {
    SendToClients("/kalvetro/state/picture", {k, on});
    SendToClients("/kalvetro/state/latch", {k, latched});
  });
  connect(&door_, &RemoteDoor::AutomatChanged, this, [this](int a, bool on) {
    SendToClients("/kalvetro/state/automat", {a, on});
  });
}

OscRemote::~OscRemote() = default;

std::optional<std::vector<std::pair<QHostAddress, int>>> ParseOscAllowList(const QString& text) {
  std::vector<std::pair<QHostAddress, int>> list;
  const QStringList items =
      text.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts);
  for (const QString& item : items) {
    if (item.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) continue;
    std::pair<QHostAddress, int> subnet = QHostAddress::parseSubnet(item);
    if (subnet.first.isNull()) {
      QHostAddress one;
      if (!one.setAddress(item)) return std::nullopt;
      subnet = {one, one.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32};
    }
    list.push_back(subnet);
  }
  return list;
}

Result OscRemote::Start(int port) {
  Stop();
  const RemoteSettings& setup = door_.Setup();
  QHostAddress bind(QHostAddress::AnyIPv4);
  const QString bindText = QString::fromStdString(setup.oscBind).trimmed();
  const auto allowed = ParseOscAllowList(QString::fromStdString(setup.oscAllow));
  if (port < 1 || port > 65535) {
    bindError_ = QStringLiteral("OSC: порт %1 вне 1..65535").arg(port);
  } else if (!bindText.isEmpty() && !bind.setAddress(bindText)) {
    bindError_ = QStringLiteral("OSC: «%1» — не IP-адрес").arg(bindText);
  } else if (!allowed) {
    bindError_ = QStringLiteral("OSC: список разрешенных адресов не прочитан: «%1»")
                     .arg(QString::fromStdString(setup.oscAllow));
  } else {
    allowed_ = *allowed;
    auto* socket = new QUdpSocket(this);
    // Not shared: a second program on the same port must fail here, not split the messages.
    if (socket->bind(bind, static_cast<quint16>(port), QAbstractSocket::DontShareAddress)) {
      socket_ = socket;
      port_ = port;
      connect(socket_, &QUdpSocket::readyRead, this, &OscRemote::ReadDatagrams);
    } else {
      switch (socket->error()) {
        case QAbstractSocket::AddressInUseError:
          bindError_ = QStringLiteral("OSC: порт %1 занят другой программой").arg(port);
          break;
        case QAbstractSocket::SocketAccessError:
          bindError_ = QStringLiteral("OSC: нет прав на порт %1").arg(port);
          break;
        case QAbstractSocket::SocketAddressNotAvailableError:
          bindError_ = QStringLiteral("OSC: адреса %1 нет на этой машине").arg(bindText);
          break;
        default:
          bindError_ =
              QStringLiteral("OSC: порт %1 не открыт (%2)").arg(port).arg(socket->errorString());
      }
      delete socket;
    }
  }
  if (!bindError_.isEmpty()) door_.Say(QStringLiteral(" ") + bindError_);
  emit Changed();
  return bindError_.isEmpty() ? Result::Ok() : Result::Fail(bindError_.toStdString());
}

void OscRemote::Stop() {
  const bool was = socket_ != nullptr || !bindError_.isEmpty();
  bindError_.clear();
  delete socket_;
  socket_ = nullptr;
  port_ = 0;
  clients_.Clear();
  budgets_.clear();
  if (was) emit Changed();
}

int OscRemote::ClientCount() {
  return static_cast<int>(clients_.Active(clock_.elapsed()).size());
}

void OscRemote::ReadDatagrams() {
  // A few at a time, then back to the event loop: a flood must not hold the window or the
  // runner's timers. A socket with datagrams left stays readable and is read again next turn.
  constexpr int kDatagramsPerTurn = 64;
  for (int n = 0; n < kDatagramsPerTurn && socket_ && socket_->hasPendingDatagrams(); ++n) {
    const QNetworkDatagram datagram = socket_->receiveDatagram();
    if (!datagram.isValid()) break;
    const QHostAddress sender = datagram.senderAddress();
    if (!Allowed(sender)) {
      // Not run, not answered, not a client: counted, and shown without a redraw per datagram.
      ++foreign_;
      lastForeign_ = SenderText(sender, static_cast<quint16>(datagram.senderPort()));
      changed_.Schedule();
      continue;
    }
    Handle(datagram.data(), sender, static_cast<quint16>(datagram.senderPort()));
  }
}

bool OscRemote::Allowed(const QHostAddress& sender) const {
  const QHostAddress address = UnmappedAddress(sender);
  for (const auto& subnet : allowed_)
    if (address.isInSubnet(subnet)) return true;
  return false;
}

bool OscRemote::TakeSendBudget(const QHostAddress& to) {
  const std::int64_t now = clock_.elapsed();
  // Forged senders of the allowed ranges are many: the table forgets quiet addresses.
  if (budgets_.size() > 1024)
    std::erase_if(budgets_, [now](const auto& entry) {
      return now - entry.second.secondStartMs > 2000 && now - entry.second.lastSyncMs > 2000;
    });
  Budget& b = budgets_[PeerAddressText(to)];
  if (now - b.secondStartMs >= 1000) {
    b.secondStartMs = now;
    b.sent = 0;
  }
  if (b.sent >= kMaxDatagramsPerSecond) {
    ++heldBack_;
    return false;
  }
  ++b.sent;
  return true;
}

void OscRemote::Handle(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort) {
  const QString from = SenderText(sender, senderPort);
  const OscPacket packet =
      ParseOscPacket(datagram.constData(), static_cast<std::size_t>(datagram.size()));
  if (!packet.error.isEmpty()) {
    Refuse(packet.error, from);
    return;
  }
  // A bundle runs whole or not at all: every command is checked before the first one runs.
  for (const OscRequest& request : packet.requests) {
    if (request.sync) continue;
    const QString refused = door_.Check(request.command);
    if (!refused.isEmpty()) {
      Refuse(refused, from);
      return;
    }
  }
  const std::int64_t now = clock_.elapsed();
  clients_.Heard(sender, senderPort, now);
  lastMessage_ = QStringLiteral("%1  (%2)").arg(packet.text, from);
  ++messages_;
  bool synced = false;
  for (const OscRequest& request : packet.requests) {
    if (!socket_) break;  // stopped by what ran
    if (request.sync) {
      // The whole state is 38 datagrams: once per datagram and once a second per address.
      Budget& b = budgets_[PeerAddressText(sender)];
      if (!synced && now - b.lastSyncMs >= kSyncIntervalMs) {
        b.lastSyncMs = now;
        SendWholeState(sender, senderPort);
      }
      synced = true;
      continue;
    }
    const QString refused = door_.Run(request.command);
    if (!refused.isEmpty()) {
      Refuse(refused, from);
      return;
    }
  }
  changed_.Schedule();
}

void OscRemote::Refuse(const QString& error, const QString& from) {
  ++bad_;
  lastError_ = QStringLiteral("%1  (%2)").arg(error, from);
  changed_.Schedule();
}

void OscRemote::SendToClients(const char* path, std::initializer_list<int> values) {
  if (!socket_) return;
  for (const OscClients::Client& c : clients_.Active(clock_.elapsed()))
    Send(c.address, c.port, path, values);
}

void OscRemote::Send(const QHostAddress& to, quint16 port, const char* path,
                     std::initializer_list<int> values) {
  lo_message message = lo_message_new();
  for (int v : values) lo_message_add_int32(message, v);
  std::size_t size = 0;
  void* bytes = lo_message_serialise(message, path, nullptr, &size);
  lo_message_free(message);
  if (!bytes) return;
  if (!TakeSendBudget(to)) {
    std::free(bytes);
    return;
  }
  // A full send buffer drops this one message; the next change or a sync brings it back.
  socket_->writeDatagram(static_cast<const char*>(bytes), static_cast<qint64>(size), to, port);
  std::free(bytes);
}

void OscRemote::SendWholeState(const QHostAddress& to, quint16 port) {
  const RemoteState s = door_.State();
  Send(to, port, "/kalvetro/state/scene", {s.scene, s.lastScene});
  Send(to, port, "/kalvetro/state/playing", {s.playing});
  Send(to, port, "/kalvetro/state/blackout", {s.blackOut});
  Send(to, port, "/kalvetro/state/tempo", {s.tempo});
  for (int k = 1; k <= kPictureCount; ++k) {
    Send(to, port, "/kalvetro/state/picture", {k, s.pictures[k - 1]});
    Send(to, port, "/kalvetro/state/latch", {k, s.latched[k - 1]});
  }
  for (int a = 1; a <= 2; ++a) Send(to, port, "/kalvetro/state/automat", {a, s.automats[a - 1]});
}

}  // namespace kalvetro
