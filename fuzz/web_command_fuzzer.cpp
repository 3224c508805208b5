// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's message parser on any bytes: it must never crash, and whatever it lets
// through as a command must be in the ranges RemoteControl::Run expects.
#include <cstdint>
#include <cstdlib>

#include "remote/WebCommand.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kalvetro;
  const WebMessage m = ParseWebMessage(
      QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const RemoteCommand& c = m.command;
  switch (m.kind) {
    case WebMessageKind::Error:
      Check(!m.error.isEmpty());
      break;
    case WebMessageKind::Pin:
      Check(size <= static_cast<std::size_t>(kWebMessageMax));
      break;
    case WebMessageKind::Watch:
      Check(m.channel >= 0 && m.channel <= kChannelCount);
      break;
    case WebMessageKind::Command:
      Check(size <= static_cast<std::size_t>(kWebMessageMax));
      switch (c.kind) {
        case RemoteCommandKind::Play:
        case RemoteCommandKind::BlackOut:
          Check(c.a == 0 || c.a == 1);
          break;
        case RemoteCommandKind::Next:
        case RemoteCommandKind::Previous:
          break;
        case RemoteCommandKind::Scene:
          Check(c.a >= 1 && c.a <= kSceneCount);
          break;
        case RemoteCommandKind::Tempo:
          Check(c.a >= 10 && c.a <= 170);
          break;
        case RemoteCommandKind::Picture:
        case RemoteCommandKind::Latch:
          Check(c.a >= 1 && c.a <= kPictureCount && (c.b == 0 || c.b == 1));
          break;
        case RemoteCommandKind::Channel:
          Check(c.a >= 1 && c.a <= kChannelCount && c.b >= 0 && c.b <= 255);
          break;
        case RemoteCommandKind::Automat:
          Check(c.a >= 1 && c.a <= 2 && (c.b == 0 || c.b == 1));
          break;
        case RemoteCommandKind::ConveyorSlot:  // the phone page has no conveyor command
          Check(false);
          break;
      }
      break;
  }
  return 0;
}
