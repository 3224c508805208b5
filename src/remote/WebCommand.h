// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include "door/RemoteDoor.h"

namespace kalvetro {

// The longest text message the phone page may send; a longer one is refused unread.
inline constexpr int kWebMessageMax = 1024;

// What one text message of the phone page asks for.
enum class WebMessageKind {
  Pin,      // {"pin":"123456"}: the first message of every connection
  Command,  // a show command, ready for the door's Run
  Watch,    // {"cmd":"watch","n":12}: send channel 12's output level as it changes (0: none)
  Error,    // malformed, unknown or out of range: nothing is to be done
};

struct WebMessage {
  WebMessageKind kind = WebMessageKind::Error;
  RemoteCommand command;  // Command
  QString pin;            // Pin
  int channel = 0;        // Watch
  QString error;          // Error: the reason, for the operator and the page
};

// Reads one message of the phone page (JSON, see the README's "Phone remote"). Checks its
// form, its names and the ranges it can know without the show; the show's own limits (the
// last scene, playing) are checked by the door's Run. Any bytes at all are safe here.
WebMessage ParseWebMessage(QByteArrayView text);

}  // namespace kalvetro
