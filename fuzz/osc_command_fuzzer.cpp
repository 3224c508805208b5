// SPDX-License-Identifier: GPL-3.0-or-later
// The OSC parser of the remote (preset "fuzz": clang with libFuzzer, AddressSanitizer and
// UBSan). Any datagram must parse without a crash or a sanitizer report, and what comes out
// must be safe to run: a refused datagram carries no request, and every request holds numbers
// in the ranges the address space promises (the scene's upper bound is the show's, checked
// when the command runs).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "remote/OscCommand.h"

namespace {

using kalvetro::RemoteCommandKind;

bool In(int v, int low, int high) {
  return v >= low && v <= high;
}

bool InRange(const kalvetro::OscRequest& r) {
  if (r.sync) return true;
  const int a = r.command.a;
  const int b = r.command.b;
  switch (r.command.kind) {
    case RemoteCommandKind::Play:
    case RemoteCommandKind::BlackOut:
      return In(a, 0, 1);
    case RemoteCommandKind::Next:
    case RemoteCommandKind::Previous:
      return true;
    case RemoteCommandKind::Scene:
      return In(a, 1, 256);
    case RemoteCommandKind::Tempo:
      return In(a, 10, 170);
    case RemoteCommandKind::Picture:
    case RemoteCommandKind::Latch:
      return In(a, 1, 16) && In(b, 0, 1);
    case RemoteCommandKind::Channel:
      return In(a, 1, 255) && In(b, 0, 255);
    case RemoteCommandKind::Automat:
      return In(a, 1, 2) && In(b, 0, 1);
    case RemoteCommandKind::ConveyorSlot:  // OSC has no conveyor command
      return false;
  }
  return false;
}

void Fail(const char* what) {
  std::fprintf(stderr, "osc_command_fuzzer: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kalvetro::OscPacket packet = kalvetro::ParseOscPacket(data, size);
  if (!packet.error.isEmpty() && !packet.requests.empty())
    Fail("a refused datagram still carries requests");
  if (static_cast<int>(packet.requests.size()) > kalvetro::kOscMaxMessagesPerPacket)
    Fail("more requests than a datagram may carry");
  for (const kalvetro::OscRequest& r : packet.requests)
    if (!InRange(r)) Fail("a request out of range");
  return 0;
}
