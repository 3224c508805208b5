// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <cstdint>
#include <vector>

namespace kalvetro {

// The clients that hear the state: every sender (address and port) of a good message within
// the last minute, at most kOscMaxClients of them (a new one pushes the longest silent out).
// Times are milliseconds of any steady clock.
class OscClients {
 public:
  static constexpr int kMaxClients = 16;
  static constexpr std::int64_t kForgetAfterMs = 60'000;

  struct Client {
    QHostAddress address;
    quint16 port = 0;
    std::int64_t lastHeardMs = 0;
  };

  // The sender was heard now.
  void Heard(const QHostAddress& address, quint16 port, std::int64_t nowMs);
  // Drops those silent for longer than a minute and gives the rest.
  const std::vector<Client>& Active(std::int64_t nowMs);
  void Clear() { clients_.clear(); }

 private:
  std::vector<Client> clients_;
};

}  // namespace kalvetro
