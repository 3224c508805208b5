#include "remote/Remotes.h"

#include "app/Console.h"

namespace kalvetro {

Remotes::Remotes(Console& console)
    : QObject(&console), console_(console), control_(console), osc_(console, control_) {
  // The settings file says which remotes run: OSC starts on its port once they are read,
  // from the event loop, so that a port that cannot be had is the last word of the start-up
  // on the status line.
  connect(
      &console_, &Console::SettingsRead, this,
      [this] {
        const RemoteSettings& setup = console_.RemoteSetup();
        if (setup.oscOn && !osc_.Listening() && osc_.BindError().isEmpty())
          osc_.Start(setup.oscPort);  // unless the command line chose a port
      },
      Qt::QueuedConnection);
}

Remotes::~Remotes() = default;

}  // namespace kalvetro
