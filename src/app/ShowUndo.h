// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace kalvetro {

class Console;

// The console's one undo copy of the whole show: taken before the commands that ask for it,
// put back by "Отменить".
class ShowUndo : public QObject {
  Q_OBJECT

 public:
  explicit ShowUndo(Console& console) : console_(console) {}

  // Takes the copy (the status line says so).
  void Take();
  // Puts the copy back: the whole show is replaced and every view refreshes.
  void Restore();
  bool Available() const { return available_; }
  // Another show was opened or the show emptied: the copy is of no use any more.
  void Forget() { SetAvailable(false); }

 signals:
  void AvailableChanged(bool available);

 private:
  void SetAvailable(bool available);

  Console& console_;
  bool available_ = false;
};

}  // namespace kalvetro
