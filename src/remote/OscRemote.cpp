#include "remote/OscRemote.h"

#include <lo/lo_lowlevel.h>

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdlib>

#include "app/Console.h"
#include "remote/OscCommand.h"
#include "remote/RemoteControl.h"

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

OscRemote::OscRemote(Console& console, RemoteControl& control, QObject* parent)
    : QObject(parent), console_(console), control_(control) {
  clock_.start();
  connect(&control_, &RemoteControl::SceneChanged, this,
          [this](int n, int m) { SendToClients("/kalvetro/state/scene", {n, m}); });
  connect(&control_, &RemoteControl::PlayingChanged, this,
          [this](bool on) { SendToClients("/kalvetro/state/playing", {on}); });
  connect(&control_, &RemoteControl::BlackOutChanged, this,
          [this](bool on) { SendToClients("/kalvetro/state/blackout", {on}); });
  connect(&control_, &RemoteControl::TempoChanged, this,
          [this](int tempo) { SendToClients("/kalvetro/state/tempo", {tempo}); });
  connect(&control_, &RemoteControl::PictureChanged, this, [this](int k, bool on, bool latched) {
    SendToClients("/kalvetro/state/picture", {k, on});
    SendToClients("/kalvetro/state/latch", {k, latched});
  });
  connect(&control_, &RemoteControl::AutomatChanged, this,
          [this](int a, bool on) { SendToClients("/kalvetro/state/automat", {a, on}); });
}

OscRemote::~OscRemote() = default;

bool OscRemote::Start(int port) {
  Stop();
  if (port < 1 || port > 65535) {
    bindError_ = QStringLiteral("OSC: порт %1 вне 1..65535").arg(port);
  } else {
    auto* socket = new QUdpSocket(this);
    // Not shared: a second program on the same port must fail here, not split the messages.
    if (socket->bind(QHostAddress::AnyIPv4, static_cast<quint16>(port),
                     QAbstractSocket::DontShareAddress)) {
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
        default:
          bindError_ = QStringLiteral("OSC: порт %1 не открыт (%2)").arg(port).arg(
              socket->errorString());
      }
      delete socket;
    }
  }
  if (!bindError_.isEmpty()) console_.OutStatus(QStringLiteral(" ") + bindError_);
  emit Changed();
  return bindError_.isEmpty();
}

void OscRemote::Stop() {
  const bool was = socket_ != nullptr || !bindError_.isEmpty();
  bindError_.clear();
  delete socket_;
  socket_ = nullptr;
  port_ = 0;
  clients_.Clear();
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
    Handle(datagram.data(), datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
  }
}

void OscRemote::Handle(const QByteArray& datagram, const QHostAddress& sender,
                       quint16 senderPort) {
  const QString from = SenderText(sender, senderPort);
  const OscPacket packet = ParseOscPacket(datagram.constData(), static_cast<std::size_t>(datagram.size()));
  if (!packet.error.isEmpty()) {
    Refuse(packet.error, from);
    return;
  }
  clients_.Heard(sender, senderPort, clock_.elapsed());
  lastMessage_ = QStringLiteral("%1  (%2)").arg(packet.text, from);
  ++messages_;
  for (const OscRequest& request : packet.requests) {
    if (!socket_) break;  // stopped by what ran
    if (request.sync) {
      SendWholeState(sender, senderPort);
      continue;
    }
    const QString refused = control_.Run(request.command);
    if (!refused.isEmpty()) {
      Refuse(refused, from);
      return;
    }
  }
  emit Changed();
}

void OscRemote::Refuse(const QString& error, const QString& from) {
  ++bad_;
  lastError_ = QStringLiteral("%1  (%2)").arg(error, from);
  emit Changed();
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
  // A full send buffer drops this one message; the next change or a sync brings it back.
  socket_->writeDatagram(static_cast<const char*>(bytes), static_cast<qint64>(size), to, port);
  std::free(bytes);
}

void OscRemote::SendWholeState(const QHostAddress& to, quint16 port) {
  const RemoteState s = control_.State();
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
