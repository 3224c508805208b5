// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/AudioLevelInput.h"

#include <QAudioSource>
#include <QIODevice>
#include <algorithm>
#include <cstdint>
#include <span>

#include "playback/AudioLevel.h"
#include "playback/PcmSamples.h"

namespace kalvetro {

AudioLevelInput::AudioLevelInput(const QAudioDevice& device, QObject* parent)
    : AudioInput(parent), device_(device) {}

AudioLevelInput::~AudioLevelInput() {
  Stop();
}

bool AudioLevelInput::Start(QString* error) {
  if (Running()) return true;
  if (device_.isNull()) {
    if (error) *error = QStringLiteral(" Нет аудиовхода: уровень берется из буфера обмена ");
    return false;
  }
  // Mono 16-bit is enough for a peak; a device that cannot give it is read in its own format.
  format_ = device_.preferredFormat();
  format_.setChannelCount(1);
  format_.setSampleFormat(QAudioFormat::Int16);
  if (!device_.isFormatSupported(format_)) format_ = device_.preferredFormat();
  source_ = std::make_unique<QAudioSource>(device_, format_);
  // A small buffer keeps the level close to the music.
  source_->setBufferSize(format_.bytesForDuration(40000));
  input_ = source_->start();
  if (!input_ || source_->error() != QAudio::NoError) {
    if (error)
      *error = QStringLiteral(" Аудиовход не открывается: уровень берется из буфера обмена ");
    Stop();
    return false;
  }
  // Queued: the source is not stopped from inside its own signal.
  connect(
      source_.get(), &QAudioSource::stateChanged, this,
      [this](QAudio::State state) {
        if (state == QAudio::StoppedState && source_ && source_->error() != QAudio::NoError) {
          Stop();
          emit Failed(QStringLiteral(" Аудиовход потерян: уровень берется из буфера обмена "));
        }
      },
      Qt::QueuedConnection);
  lastLevel_ = 0;
  return true;
}

void AudioLevelInput::Stop() {
  if (source_) {
    source_->disconnect(this);
    source_->stop();
  }
  input_ = nullptr;
  source_.reset();
}

int AudioLevelInput::TakeLevel() {
  if (!input_) return lastLevel_;
  const QByteArray bytes = input_->readAll();
  if (bytes.size() >= format_.bytesPerSample()) lastLevel_ = LevelOf(bytes);
  return lastLevel_;
}

int AudioLevelInput::LevelOf(const QByteArray& bytes) {
  PcmFormat format;
  switch (format_.sampleFormat()) {
    case QAudioFormat::UInt8:
      format = PcmFormat::kUInt8;
      break;
    case QAudioFormat::Int16:
      format = PcmFormat::kInt16;
      break;
    case QAudioFormat::Int32:
      format = PcmFormat::kInt32;
      break;
    case QAudioFormat::Float:
      format = PcmFormat::kFloat32;
      break;
    default:
      return lastLevel_;
  }
  DecodePcm(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size())),
            format, scratch_);
  if (listener_) {
    // Mixed down to mono; the samples just read were heard about the buffer's length ago,
    // which is not known here, so the read time stands for it.
    const int channels = std::max(1, format_.channelCount());
    mono_.assign(scratch_.size() / channels, 0.0f);
    for (std::size_t i = 0; i < mono_.size(); ++i) {
      float sum = 0.0f;
      for (int c = 0; c < channels; ++c) sum += scratch_[i * channels + c];
      mono_[i] = sum / static_cast<float>(channels);
    }
    listener_->TakePcm(mono_, format_.sampleRate(), std::chrono::steady_clock::now());
  }
  return AudioLevel(std::span<const float>(scratch_));
}

}  // namespace kalvetro
