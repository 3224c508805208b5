#pragma once

#include <QObject>

#include "remote/OscRemote.h"
#include "remote/RemoteControl.h"

namespace kalvetro {

class Console;

// Every remote of a console (OSC, the phone page) and the one door they share into the show.
// Owned by the console, on the user-interface thread; each remote is off until turned on.
class Remotes : public QObject {
  Q_OBJECT

 public:
  explicit Remotes(Console& console);
  ~Remotes() override;

  RemoteControl& Control() { return control_; }
  OscRemote& Osc() { return osc_; }

 private:
  Console& console_;
  RemoteControl control_;
  OscRemote osc_;  // after the door it runs commands through
};

}  // namespace kalvetro
