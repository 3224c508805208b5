// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers of the OSC tests: messages written with liblo, a client on a real UDP socket, and
// the wire read from the pseudo-terminal the console sends on.
#include <lo/lo_lowlevel.h>

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"

namespace kalvetro::testing {

// An OSC message of int32 and float32 arguments, serialised by liblo.
inline QByteArray OscMessage(const char* path,
                             std::initializer_list<std::variant<int, float>> args = {}) {
  lo_message m = lo_message_new();
  for (const auto& a : args) {
    if (std::holds_alternative<int>(a))
      lo_message_add_int32(m, std::get<int>(a));
    else
      lo_message_add_float(m, std::get<float>(a));
  }
  std::size_t size = 0;
  void* bytes = lo_message_serialise(m, path, nullptr, &size);
  lo_message_free(m);
  QByteArray out(static_cast<const char*>(bytes), static_cast<qsizetype>(size));
  std::free(bytes);
  return out;
}

// A bundle "#bundle", time tag "at once", then each element with its length.
inline QByteArray OscBundle(const std::vector<QByteArray>& elements) {
  QByteArray out("#bundle\0", 8);
  out.append(QByteArray("\0\0\0\0\0\0\0\1", 8));
  for (const QByteArray& e : elements) {
    const quint32 n = static_cast<quint32>(e.size());
    const char length[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    out.append(length, 4);
    out.append(e);
  }
  return out;
}

// A message as received: its address and int32 arguments.
struct OscReply {
  std::string path;
  std::vector<int> values;
  bool operator==(const OscReply&) const = default;
};

// A UDP port nobody uses at this moment.
inline int FreeUdpPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

// A client of the remote on its own UDP socket.
class OscClient {
 public:
  explicit OscClient(int serverPort) : serverPort_(static_cast<quint16>(serverPort)) {
    socket_.bind(QHostAddress::LocalHost, 0);
  }
  void Send(const QByteArray& datagram) {
    socket_.writeDatagram(datagram, QHostAddress::LocalHost, serverPort_);
  }
  // Everything that has come (waiting up to `ms` for the first message when none has).
  std::vector<OscReply> Receive(int ms = 0) {
    if (ms > 0) WaitFor([this] { return socket_.hasPendingDatagrams(); }, ms);
    std::vector<OscReply> got;
    while (socket_.hasPendingDatagrams()) {
      const QNetworkDatagram d = socket_.receiveDatagram();
      if (d.senderPort() != serverPort_) ++foreignSenders;
      QByteArray bytes = d.data();
      int result = 0;
      lo_message m =
          lo_message_deserialise(bytes.data(), static_cast<size_t>(bytes.size()), &result);
      if (!m) {
        ++undecodable;
        continue;
      }
      OscReply reply{bytes.constData(), {}};
      const char* types = lo_message_get_types(m);
      lo_arg** argv = lo_message_get_argv(m);
      for (int i = 0; i < lo_message_get_argc(m); ++i) {
        std::int32_t v = -9999;  // copied: liblo's lo_arg asks for more alignment than it has
        if (types[i] == LO_INT32) std::memcpy(&v, static_cast<const void*>(argv[i]), sizeof v);
        reply.values.push_back(v);
      }
      lo_message_free(m);
      got.push_back(reply);
    }
    return got;
  }
  // Waits until a message equal to `wanted` has come; keeps all received in `seen`.
  bool WaitForReply(const OscReply& wanted, int ms = 3000) {
    return WaitFor(
        [&] {
          for (const OscReply& r : Receive()) seen.push_back(r);
          for (const OscReply& r : seen)
            if (r == wanted) return true;
          return false;
        },
        ms);
  }

  std::vector<OscReply> seen;
  int foreignSenders = 0;  // replies that came from another port than the server's
  int undecodable = 0;

 private:
  QUdpSocket socket_;
  quint16 serverPort_;
};

// The DMX stream of the console's port, decoded as it comes.
class OscWire {
 public:
  explicit OscWire(Pty& pty) : pty_(pty) {}
  // Reads packets until one satisfies `cond` (true) or the time is up (false).
  bool WaitForFrame(const std::function<bool(const DmxFrame&)>& cond, int ms = 3000) {
    bool found = false;
    WaitFor(
        [&] {
          std::uint8_t buffer[4096];
          ssize_t n;
          while (!found && (n = ::read(pty_.Master(), buffer, sizeof buffer)) > 0)
            decoder_.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), 0,
                          [&](const DmxFrame& f) {
                            last_ = f;
                            if (!found && cond(f)) found = true;
                          });
          return found;
        },
        ms);
    return found;
  }
  // Channel c (1..255) of the newest packet: the first packet read after `ms` of waiting.
  bool WaitForLevel(int channel, int level, int ms = 3000) {
    return WaitForFrame([&](const DmxFrame& f) { return f.levels[channel - 1] == level; }, ms);
  }
  // Reads what has come so far: a wait after this sees only packets sent from now on (and
  // the one being written).
  void Drain() {
    WaitForFrame([](const DmxFrame&) { return false; }, 0);
  }
  const DmxFrame& Last() const { return last_; }
  long Malformed() const { return decoder_.Malformed(); }

 private:
  Pty& pty_;
  DmxStreamDecoder decoder_;
  DmxFrame last_;
};

}  // namespace kalvetro::testing
