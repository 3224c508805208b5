// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QString>

namespace kalvetro {

// An IPv4 peer reached through a dual-stack socket shows as ::ffff:a.b.c.d: it is a.b.c.d, for
// every tally, limit and allow-list of the remotes.
inline QHostAddress UnmappedAddress(const QHostAddress& address) {
  bool v4 = false;
  const quint32 ip = address.toIPv4Address(&v4);
  return v4 ? QHostAddress(ip) : address;
}

// The address as one tally's key.
inline QString PeerAddressText(const QHostAddress& address) {
  return UnmappedAddress(address).toString();
}

}  // namespace kalvetro
