// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "playback/PcmListener.h"
#include "playback/SoundTick.h"

namespace kalvetro {

// One sound input the operator can choose: its name as the sound server gives it (what is kept
// in the settings and matched by --sound-input) and the text the chooser shows.
struct SoundInputInfo {
  QString name;
  QString label;
  bool monitor = false;  // the sound an output of this computer plays
  bool operator==(const SoundInputInfo&) const = default;
};

// The input `wanted` stands for: the one of that exact name, else the first whose name or
// label contains it (case ignored); -1 when none does. An empty `wanted` matches nothing.
int MatchSoundInput(const std::vector<SoundInputInfo>& inputs, const QString& wanted);

// An audio input as a level source of the sound tick: each read gives the level 0..99 of the
// peak of the samples that arrived since the last read, and every block of samples also goes,
// as mono floats, to an optional listener.
class AudioInput : public QObject, public SoundLevelSource {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Starts listening. On failure returns false and leaves the reason in error.
  virtual bool Start(QString* error) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  // What the status line calls the input.
  virtual QString Description() const = 0;
  // Also hands every block of samples, as mono floats, to `listener` (null: nobody); the
  // listener outlives the input or is taken away first.
  virtual void SetPcmListener(PcmListener* listener) = 0;

  bool Steady() const override { return false; }

 signals:
  // The input stopped for good (the sound server went away); reason for the status line.
  void Failed(const QString& reason);
  // The chosen input went away (unplugged); it is listened to again when it comes back under
  // the same name, which Back says. Each is said once per going and coming.
  void Lost(const QString& reason);
  void Back(const QString& reason);
};

}  // namespace kalvetro
