// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/Remotes.h"

#include <QRandomGenerator>

#include "app/Console.h"
#include "remote/MidiRemote.h"
#include "remote/WebRemote.h"

namespace kalvetro {

Remotes::Remotes(Console& console)
    : console_(console),
      control_(console),
      osc_(console, control_),
      web_(std::make_unique<WebRemote>(control_)),
      midi_(std::make_unique<MidiRemote>(console, control_)) {
  connect(web_.get(), &WebRemote::Notice, &console_, &Console::ShowStatus);
  connect(&console_, &Console::SettingsRead, this, &Remotes::ApplyWebSetup);
  connect(&console_, &Console::SettingsRead, this, &Remotes::ApplyMidiSetup);
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

namespace {

// A PIN of six random digits from the system's random source.
QString MakeWebPin() {
  return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10,
                                  QLatin1Char('0'));
}

}  // namespace

QString Remotes::WebPin() {
  RemoteSettings setup = console_.RemoteSetup();
  if (!ValidPin(setup.webPin)) {
    setup.webPin = MakeWebPin().toStdString();
    console_.SetRemoteSetup(setup);
  }
  return QString::fromStdString(setup.webPin);
}

bool Remotes::StartWeb(int port) {
  web_->SetPin(WebPin());
  if (web_->Start(port, QString::fromStdString(console_.RemoteSetup().webBind))) return true;
  console_.ShowStatus(web_->StartError());
  return false;
}

void Remotes::ApplyWebSetup() {
  const QString pin = WebPin();
  if (console_.RemoteSetup().webOn) {
    StartWeb(console_.RemoteSetup().webPort);
  } else {
    web_->Stop();
    web_->SetPin(pin);
  }
}

void Remotes::ApplyMidiSetup() {
  if (!midi_->Start(console_.RemoteSetup().midi)) console_.ShowStatus(midi_->LastError());
}

bool Remotes::StartMidi(const QString& port) {
  MidiSettings setup = console_.RemoteSetup().midi;
  setup.on = true;
  setup.inPort = setup.outPort = port.toStdString();
  if (midi_->Start(setup)) return true;
  console_.ShowStatus(midi_->LastError());
  return false;
}

}  // namespace kalvetro
