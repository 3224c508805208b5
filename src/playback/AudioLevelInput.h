// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "playback/PcmListener.h"
#include "playback/SoundTick.h"

class QAudioSource;
class QIODevice;

namespace kalvetro {

// The built-in level source: listens to an audio input and gives, on each call of TakeLevel,
// the level 0..99 of the peak of the samples that arrived since the last call (the sound tick
// calls it every 10 ms, so that is the last 10 ms).
class AudioLevelInput : public QObject, public SoundLevelSource {
  Q_OBJECT

 public:
  // Listens to `device`; a null device means none is there.
  explicit AudioLevelInput(const QAudioDevice& device, QObject* parent = nullptr);
  ~AudioLevelInput() override;

  // Starts listening. On failure returns false and leaves the reason in error.
  bool Start(QString* error);
  void Stop();
  bool Running() const { return input_ != nullptr; }

  // Level of the samples read since the last call. A call that finds no new samples (the
  // input delivers in blocks longer than 10 ms) repeats the last level, so that a gap in the
  // delivery does not read as a fall of the level.
  int TakeLevel();
  // As a level source of the sound tick: the level is read afresh every tick.
  std::optional<int> ReadLevel() override { return TakeLevel(); }
  bool Steady() const override { return false; }

  // Also hands every block of samples read, as mono floats, to `listener` (null: nobody);
  // the listener outlives the input or is taken away first.
  void SetPcmListener(PcmListener* listener) { listener_ = listener; }

 signals:
  // The input stopped on its own (unplugged, taken away); reason for the status line.
  void Failed(const QString& reason);

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
