// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/DisplayRest.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "app/Console.h"
#include "app/ShowRunner.h"

namespace kalvetro {

DisplayRest::DisplayRest(QTimer* display, Console& console, QObject* parent)
    : QObject(parent), display_(display), console_(console) {
  setObjectName(QStringLiteral("DisplayRest"));
  version_ = console_.Watch().Version();
  connect(display_, &QTimer::timeout, this, &DisplayRest::Look);
  connect(&console_.Watch(), &OutputWatch::OutputChanged, this, &DisplayRest::Wake);
  for (auto signal : {&Console::ShowSettingsRefresh, &Console::PageRefresh})
    connect(&console_, signal, this, &DisplayRest::Wake);
  connect(&console_, &Console::ShowReplaced, this, &DisplayRest::Wake);
  connect(&console_.Runner(), &ShowRunner::PlayingChanged, this, &DisplayRest::Wake);
  connect(&console_, &Console::Changed, this, &DisplayRest::Wake);
  QCoreApplication::instance()->installEventFilter(this);
}

bool DisplayRest::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      Wake();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void DisplayRest::Look() {
  const std::uint64_t version = console_.Watch().Version();
  if (version != version_ || console_.Show().playing.load()) {
    version_ = version;
    quiet_ = 0;
    return;
  }
  if (++quiet_ < kQuietTicks) return;
  // The request is made before the timer stops: an output that changes in between finds it
  // and wakes the display at once, or is seen here and keeps the display going.
  if (!console_.Watch().WakeAfter(version)) return;
  rest_.Rest(display_);
  if (!rest_.Resting()) console_.Watch().CancelWake();
}

void DisplayRest::Wake() {
  quiet_ = 0;
  if (!rest_.Resting()) return;
  console_.Watch().CancelWake();
  rest_.Wake(display_);
}

}  // namespace kalvetro
