// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "door/RemoteDoor.h"

namespace kalvetro {

class Console;

// The remotes' door into a console: range-checks a command and runs it through the show
// runner, and tells what the remotes show when it changes, whoever changed it.
class RemoteControl : public RemoteDoor {
  Q_OBJECT

 public:
  explicit RemoteControl(Console& console, QObject* parent = nullptr);

  QString Run(const RemoteCommand& command) override;
  QString Check(const RemoteCommand& command) const override;
  RemoteState State() const override { return state_; }
  std::uint8_t OutputLevel(int channel) const override;
  std::uint8_t SceneLevel(int channel) const override;
  const RemoteSettings& Setup() const override;
  void SetSetup(const RemoteSettings& setup) override;
  void Say(const QString& text) override;

 private:
  // Reads the state anew and emits what differs from the last reading.
  void Refresh();
  RemoteState Read() const;

  Console& console_;
  RemoteState state_;
};

}  // namespace kalvetro
