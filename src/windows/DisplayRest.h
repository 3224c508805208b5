// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <cstdint>

#include "app/TimerRest.h"

class QTimer;

namespace kalvetro {

class Console;

// Lets the 100 ms display timer (output levels, the beat lamp, the stopped sequencer) rest
// while nothing it shows can change: the show stopped and the output the same for a whole
// second, so every label that the display draws in turn has been drawn with the newest level.
// Whatever could change what it shows wakes it: a new output frame (told by the tick), the
// operator's mouse, wheel or keys anywhere in the application, and the console's change
// notifications. Made after every page has connected to the timer, so it looks last.
class DisplayRest : public QObject {
  Q_OBJECT

 public:
  DisplayRest(QTimer* display, Console& console, QObject* parent = nullptr);

  bool Resting() const { return rest_.Resting(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // After each display tick: count it as quiet or not, and rest after enough quiet ones.
  void Look();
  void Wake();

  static constexpr int kQuietTicks = 10;

  QTimer* display_;
  Console& console_;
  TimerRest rest_;
  std::uint64_t version_ = 0;
  int quiet_ = 0;
};

}  // namespace kalvetro
