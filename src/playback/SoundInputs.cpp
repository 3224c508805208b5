// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/SoundInputs.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include "playback/AudioLevelInput.h"
#include "playback/PulseLevelInput.h"

namespace kalvetro {

namespace {

std::vector<SoundInputInfo> InputsOf(const QList<QAudioDevice>& devices) {
  std::vector<SoundInputInfo> inputs;
  for (const QAudioDevice& device : devices)
    inputs.push_back({device.description(), device.description(), false});
  return inputs;
}

}  // namespace

std::vector<SoundInputInfo> QtSoundInputs() {
  return InputsOf(QMediaDevices::audioInputs());
}

std::unique_ptr<AudioInput> OpenAudioInput(const QString& wanted, QString* error) {
  auto pulse = std::make_unique<PulseLevelInput>(wanted);
  if (pulse->Start(error)) return pulse;
  if (!pulse->ServerMissing()) return nullptr;
  pulse.reset();

  QAudioDevice device = QMediaDevices::defaultAudioInput();
  if (!wanted.isEmpty()) {
    const QList<QAudioDevice> devices = QMediaDevices::audioInputs();
    // Matched in the same list it is taken from: a device may come or go between two lists.
    const int found = MatchSoundInput(InputsOf(devices), wanted);
    if (found < 0) {
      if (error)
        *error = QStringLiteral(" Аудиовход не найден: ") + wanted +
                 QStringLiteral(": уровень берется из буфера обмена ");
      return nullptr;
    }
    device = devices[found];
  }
  auto qt = std::make_unique<AudioLevelInput>(device);
  if (!qt->Start(error)) return nullptr;
  return qt;
}

}  // namespace kalvetro
