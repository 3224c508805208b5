// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QString>
#include <memory>
#include <vector>

#include "playback/AudioInput.h"

class QAudioSource;
class QIODevice;

namespace kalvetro {

// The built-in level source: listens to an audio input and gives, on each call of TakeLevel,
// the level 0..99 of the peak of the samples that arrived since the last call (the sound tick
// calls it every 10 ms, so that is the last 10 ms). This is Qt Multimedia's way in, for a
// machine where no PulseAudio (or PipeWire) server can be reached.
class AudioLevelInput : public AudioInput {
  Q_OBJECT

 public:
  // Listens to `device`; a null device means none is there.
  explicit AudioLevelInput(const QAudioDevice& device, QObject* parent = nullptr);
  ~AudioLevelInput() override;

  // Starts listening. On failure returns false and leaves the reason in error.
  bool Start(QString* error) override;
  void Stop() override;
  bool Running() const override { return input_ != nullptr; }
  QString Description() const override { return device_.description(); }

  // Level of the samples read since the last call. A call that finds no new samples (the
  // input delivers in blocks longer than 10 ms) repeats the last level, so that a gap in the
  // delivery does not read as a fall of the level.
  int TakeLevel();
  // As a level source of the sound tick: the level is read afresh every tick.
  std::optional<int> ReadLevel() override { return TakeLevel(); }

  // The listener is called on the thread that reads the level.
  void SetPcmListener(PcmListener* listener) override { listener_ = listener; }

 private:
  int LevelOf(const QByteArray& bytes);

  QAudioDevice device_;
  QAudioFormat format_;
  std::unique_ptr<QAudioSource> source_;
  QIODevice* input_ = nullptr;  // owned by source_
  std::vector<float> scratch_;
  std::vector<float> mono_;
  PcmListener* listener_ = nullptr;
  int lastLevel_ = 0;
};

}  // namespace kalvetro
