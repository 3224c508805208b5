#include "playback/ui/AudioLevelInput.h"

#include <QAudioSource>
#include <QIODevice>
#include <cstdint>
#include <cstring>
#include <span>

#include "playback/AudioLevel.h"

namespace kalvetro {

AudioLevelInput::AudioLevelInput(const QAudioDevice& device, QObject* parent)
    : QObject(parent), device_(device) {}

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
  const int width = format_.bytesPerSample();
  const std::size_t count = static_cast<std::size_t>(bytes.size()) / width;
  switch (format_.sampleFormat()) {
    case QAudioFormat::Int16: {
      scratch16_.resize(count);
      std::memcpy(scratch16_.data(), bytes.constData(), count * sizeof(std::int16_t));
      return AudioLevel(std::span<const std::int16_t>(scratch16_));
    }
    case QAudioFormat::Float: {
      scratch_.resize(count);
      std::memcpy(scratch_.data(), bytes.constData(), count * sizeof(float));
      return AudioLevel(std::span<const float>(scratch_));
    }
    case QAudioFormat::Int32: {
      scratch_.resize(count);
      for (std::size_t i = 0; i < count; ++i) {
        std::int32_t v;
        std::memcpy(&v, bytes.constData() + i * sizeof(v), sizeof(v));
        scratch_[i] = static_cast<float>(v / 2147483648.0);
      }
      return AudioLevel(std::span<const float>(scratch_));
    }
    case QAudioFormat::UInt8: {
      scratch_.resize(count);
      for (std::size_t i = 0; i < count; ++i)
        scratch_[i] = (static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)]) - 128) / 128.0f;
      return AudioLevel(std::span<const float>(scratch_));
    }
    default:
      return lastLevel_;
  }
}

}  // namespace kalvetro
