// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

namespace kalvetro {

class ShowHistory;

// Sees the mouse and the keys of every window of the console and marks the step boundaries of
// the undo history: a mouse button down holds the step open (a fader drag is one step), and
// once a release, a key or a wheel turn has been handled, what it changed is recorded. So a
// change written by a control outside the console's edits is still a step of its own.
class HistoryWatch : public QObject {
  Q_OBJECT

 public:
  HistoryWatch(ShowHistory& history, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RecordNow();

  ShowHistory& history_;
  QTimer after_;  // zero interval: runs once the event has been handled
  bool released_ = false;
};

}  // namespace kalvetro
