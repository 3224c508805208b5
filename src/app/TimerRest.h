// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>

namespace kalvetro {

// A periodic timer that its own handler may put to rest when its next ticks would change
// nothing, and that a change wakes again. Only a rest the handler chose is ended by a wake: a
// timer stopped by anyone else stays stopped.
class TimerRest {
 public:
  void Rest(QTimer* timer) {
    if (!timer->isActive()) return;
    timer->stop();
    resting_ = true;
  }
  void Wake(QTimer* timer) {
    if (!resting_) return;
    resting_ = false;
    timer->start();
  }
  // The handler put the timer to rest and nothing has woken it yet.
  bool Resting() const { return resting_; }

 private:
  bool resting_ = false;
};

}  // namespace kalvetro
