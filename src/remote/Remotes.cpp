// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/Remotes.h"

#include <QRandomGenerator>

#include "door/RemoteDoor.h"
#include "remote/MidiRemote.h"
#include "remote/WebRemote.h"

namespace kalvetro {

Remotes::Remotes(RemoteDoor& door)
    : door_(door),
      osc_(door),
      web_(std::make_unique<WebRemote>(door)),
      midi_(std::make_unique<MidiRemote>(door)) {
  connect(web_.get(), &WebRemote::Notice, &door_, &RemoteDoor::Say);
  connect(&door_, &RemoteDoor::SetupRead, this, &Remotes::ApplyWebSetup);
  connect(&door_, &RemoteDoor::SetupRead, this, &Remotes::ApplyMidiSetup);
  // The settings file says which remotes run: OSC starts on its port once they are read,
  // from the event loop, so that a port that cannot be had is the last word of the start-up
  // on the status line.
  connect(
      &door_, &RemoteDoor::SetupRead, this,
      [this] {
        const RemoteSettings& setup = door_.Setup();
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
  RemoteSettings setup = door_.Setup();
  if (!ValidPin(setup.webPin)) {
    setup.webPin = MakeWebPin().toStdString();
    door_.SetSetup(setup);
  }
  return QString::fromStdString(setup.webPin);
}

Result Remotes::StartWeb(int port) {
  web_->SetPin(WebPin());
  if (web_->Start(port, QString::fromStdString(door_.Setup().webBind))) return Result::Ok();
  door_.Say(web_->StartError());
  return Result::Fail(web_->StartError().trimmed().toStdString());
}

void Remotes::ApplyWebSetup() {
  const QString pin = WebPin();
  if (door_.Setup().webOn) {
    StartWeb(door_.Setup().webPort);
  } else {
    web_->Stop();
    web_->SetPin(pin);
  }
}

void Remotes::ApplyMidiSetup() {
  if (!midi_->Start(door_.Setup().midi)) door_.Say(midi_->LastError());
}

Result Remotes::StartMidi(const QString& port) {
  MidiSettings setup = door_.Setup().midi;
  setup.on = true;
  setup.inPort = setup.outPort = port.toStdString();
  if (midi_->Start(setup)) return Result::Ok();
  door_.Say(midi_->LastError());
  return Result::Fail(midi_->LastError().trimmed().toStdString());
}

}  // namespace kalvetro
