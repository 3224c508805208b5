#include "remote/Remotes.h"

#include "app/Console.h"

namespace kalvetro {

Remotes::Remotes(Console& console)
    : QObject(&console), console_(console), control_(console), osc_(console, control_) {
  // The settings file says which remotes run: OSC starts on its port once they are read.
  connect(&console_, &Console::SettingsRead, this, [this] {
    const RemoteSettings& setup = console_.RemoteSetup();
    if (setup.oscOn) osc_.Start(setup.oscPort);
  });
}

Remotes::~Remotes() = default;

}  // namespace kalvetro
