// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include "remote/MidiMapping.h"

namespace kalvetro {

// The end of learning a desk control: the operator clicks the control in the window that the
// desk control is to drive. While it picks, a click on a marked control (see
// MarkRemoteTarget) is taken and not passed on, so the fader or button clicked does not move;
// clicks elsewhere work as always, so the operator can change pages or scroll the strips to
// reach the target. On the scene slider the forward half means the next scene and the back
// half the previous one; a picture clicked with Ctrl is latched instead of flashed. Esc
// cancels. The rest of the click that picked (its release, a double click) is kept from the
// control too.
class TargetPicker : public QObject {
  Q_OBJECT

 public:
  explicit TargetPicker(QObject* parent = nullptr);
  ~TargetPicker() override;

  void Start();
  void Cancel();
  bool Picking() const { return picking_; }

 signals:
  void Picked(const MidiTarget& target);
  void Cancelled();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Finish(QObject* clicked = nullptr);

  bool picking_ = false;
  QObject* clicked_ = nullptr;  // the control picked, while the rest of its click may come
};

}  // namespace kalvetro
