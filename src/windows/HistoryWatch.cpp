// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/HistoryWatch.h"

#include <QEvent>

#include "app/ShowHistory.h"

namespace kalvetro {

HistoryWatch::HistoryWatch(ShowHistory& history, QObject* parent)
    : QObject(parent), history_(history) {
  setObjectName(QStringLiteral("HistoryWatch"));
  after_.setSingleShot(true);
  after_.setInterval(0);
  connect(&after_, &QTimer::timeout, this, &HistoryWatch::RecordNow);
}

bool HistoryWatch::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      history_.Hold();
      break;
    case QEvent::MouseButtonRelease:
      released_ = true;
      after_.start();
      break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
      if (!after_.isActive()) after_.start();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void HistoryWatch::RecordNow() {
  if (released_) {
    released_ = false;
    history_.Release();
  } else {
    history_.Record();
  }
}

}  // namespace kalvetro
