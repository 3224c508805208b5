// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/OscClients.h"

#include <algorithm>

namespace kalvetro {

void OscClients::Heard(const QHostAddress& address, quint16 port, std::int64_t nowMs) {
  for (Client& c : clients_)
    if (c.port == port && c.address == address) {
      c.lastHeardMs = nowMs;
      return;
    }
  if (static_cast<int>(clients_.size()) >= kMaxClients) {
    const auto oldest = std::min_element(
        clients_.begin(), clients_.end(),
        [](const Client& a, const Client& b) { return a.lastHeardMs < b.lastHeardMs; });
    clients_.erase(oldest);
  }
  clients_.push_back({address, port, nowMs});
}

const std::vector<OscClients::Client>& OscClients::Active(std::int64_t nowMs) {
  std::erase_if(clients_,
                [nowMs](const Client& c) { return nowMs - c.lastHeardMs > kForgetAfterMs; });
  return clients_;
}

}  // namespace kalvetro
