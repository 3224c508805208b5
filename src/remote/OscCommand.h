// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstddef>
#include <vector>

#include "door/RemoteDoor.h"

namespace kalvetro {

// One thing an OSC message asks for: a command for the show, or the whole state sent back.
struct OscRequest {
  bool sync = false;  // /kalvetro/sync: the state to the sender; `command` unused
  RemoteCommand command;
};

// What one UDP datagram holds once read: the requests in the order they came (a bundle may
// hold several), or why the whole datagram was refused (then no request runs).
struct OscPacket {
  std::vector<OscRequest> requests;
  QString error;  // empty: the datagram is good
  QString text;   // the message(s) as text for the operator, e.g. "/kalvetro/picture 3 1"
};

// The most messages one datagram may carry in bundles; more is refused as a whole.
inline constexpr int kOscMaxMessagesPerPacket = 64;
// How deep bundles may nest inside one another.
inline constexpr int kOscMaxBundleDepth = 4;

// Reads one datagram: an OSC message of the /kalvetro address space, or a bundle of them
// (its time tag is not waited for: everything runs at once). Arguments are int32, or float32
// holding a whole number. Every argument is range-checked here; the scene's upper bound,
// which depends on the show, is checked when the command runs. Pure: touches no console.
OscPacket ParseOscPacket(const void* data, std::size_t size);

}  // namespace kalvetro
