// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PulseLevelInput.h"

#include <pulse/context.h>
#include <pulse/def.h>
#include <pulse/operation.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>

#include <algorithm>
#include <chrono>
#include <span>
#include <thread>
#include <utility>

#include "playback/AudioLevel.h"
#include "serial/ThreadInbox.h"

namespace kalvetro {

namespace {

// Long enough for a server that is busy starting; a missing server answers at once.
constexpr auto kStartWait = std::chrono::seconds(3);
// The server hands the samples over in blocks of this length, so that each 10 ms sound tick
// reads a fresh level.
constexpr pa_usec_t kBlockUsec = 10000;

}  // namespace

PulseLevelInput::PulseLevelInput(const QString& wanted, QObject* parent)
    : AudioInput(parent),
      wanted_(wanted),
      inbox_(new ThreadInbox(this)),
      reader_([this](PulseInputList list) { TakeInputs(std::move(list)); }) {}

PulseLevelInput::~PulseLevelInput() {
  Stop();
}

bool PulseLevelInput::Start(QString* error) {
  if (started_) return true;
  serverMissing_ = false;
  answer_.reset();
  answerReady_.store(false, std::memory_order_relaxed);
  answeredStart_ = false;
  followed_.clear();
  loop_.Start(
      "Kalvetro", [this](pa_context* context) { Connected(context); },
      [this](const std::string& reason) {
        if (!answeredStart_) {
          Answer(false, QString::fromStdString(reason));
          return;
        }
        inbox_->Post([this] {
          recording_ = false;
          lastLevel_ = 0;
          emit Failed(QStringLiteral(" Аудиовход потерян: уровень берется из буфера обмена "));
        });
      });
  // Looks for the answer every 5 ms until the deadline. (A timed wait on a condition variable
  // is made with a call ThreadSanitizer cannot follow, so it reported the answer as a race; the
  // flag hands the answer over in a way every tool sees. This wait happens once per start.)
  const auto deadline = std::chrono::steady_clock::now() + kStartWait;
  while (!answerReady_.load(std::memory_order_acquire) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::unique_lock lock(answerMutex_);
  if (!answer_) {
    lock.unlock();
    loop_.Stop();
    serverMissing_ = true;
    if (error)
      *error = QStringLiteral(" Звуковой сервер не отвечает: уровень берется из буфера обмена ");
    return false;
  }
  if (!answer_->ok) {
    lock.unlock();
    loop_.Stop();
    serverMissing_ = true;
    if (error) *error = QStringLiteral(" Нет аудиовхода: уровень берется из буфера обмена ");
    return false;
  }
  description_ = answer_->text;
  started_ = true;
  return true;
}

void PulseLevelInput::Stop() {
  loop_.Post([this] { DropStream(); });
  loop_.Stop();
  started_ = false;
  recording_ = false;
}

void PulseLevelInput::SetPcmListener(PcmListener* listener) {
  // Under the lock the recording thread holds while it calls the listener: once this returns,
  // an old listener is called no more.
  std::lock_guard lock(listenerMutex_);
  listener_ = listener;
}

std::optional<int> PulseLevelInput::ReadLevel() {
  const int pending = pendingLevel_.exchange(0, std::memory_order_relaxed);
  if (pending > 0) lastLevel_ = pending - 1;
  return lastLevel_;
}

void PulseLevelInput::SayLost(const QString& reason) {
  recording_ = false;
  lastLevel_ = 0;
  pendingLevel_.store(0, std::memory_order_relaxed);
  if (lostSaid_) return;
  lostSaid_ = true;
  emit Lost(reason);
}

void PulseLevelInput::SayBack(const QString& label) {
  recording_ = true;
  description_ = label;
  if (!lostSaid_) return;
  lostSaid_ = false;
  emit Back(QStringLiteral(" Аудиовход снова слышен: ") + label + QStringLiteral(" "));
}

// ---------------------------------------------------------------- loop thread

void PulseLevelInput::Answer(bool ok, const QString& text) {
  answeredStart_ = true;
  {
    std::lock_guard lock(answerMutex_);
    answer_ = StartAnswer{ok, text};
  }
  answerReady_.store(true, std::memory_order_release);
}

void PulseLevelInput::Connected(pa_context* context) {
  context_ = context;
  // A source that comes back (or comes at all) is looked for again.
  pa_context_set_subscribe_callback(
      context,
      [](pa_context*, pa_subscription_event_type_t type, uint32_t, void* self) {
        auto* input = static_cast<PulseLevelInput*>(self);
        const auto what = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (!input->stream_ &&
            (what == PA_SUBSCRIPTION_EVENT_NEW ||
             (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER))
          input->FindSource();
      },
      this);
  const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE |
                                                        PA_SUBSCRIPTION_MASK_SERVER);
  if (pa_operation* op = pa_context_subscribe(context, mask, nullptr, nullptr))
    pa_operation_unref(op);
  FindSource();
}

void PulseLevelInput::FindSource() {
  reader_.Read(context_);
}

void PulseLevelInput::TakeInputs(PulseInputList list) {
  if (stream_) return;
  int found = -1;
  if (!followed_.empty()) {
    found = MatchSoundInput(list.inputs, QString::fromStdString(followed_));
    if (found >= 0 && list.inputs[found].name.toStdString() != followed_) found = -1;
  } else if (wanted_.isEmpty()) {
    // The server's default source, whichever it is at the time.
    found = MatchSoundInput(list.inputs, QString::fromStdString(list.defaultSource));
  } else {
    found = MatchSoundInput(list.inputs, wanted_);
    if (found >= 0) followed_ = list.inputs[found].name.toStdString();
  }
  if (found >= 0) {
    Record(list.inputs[found].name.toStdString(), list.inputs[found].label, list.rates[found]);
  } else if (!answeredStart_) {
    // Not there yet: the input starts lost and waits for it.
    const QString name = wanted_.isEmpty() ? QStringLiteral("по умолчанию") : wanted_;
    Answer(true, name);
    inbox_->Post([this, name] {
      description_ = name;
      SayLost(QStringLiteral(" Аудиовход не найден: ") + name +
              QStringLiteral(" - шоу идет дальше, вход будет взят, когда появится "));
    });
  }
}

void PulseLevelInput::Record(const std::string& name, const QString& label, int rate) {
  rate_ = std::clamp(rate > 0 ? rate : 48000, 8000, 192000);
  // Mono 32-bit floats at the source's own rate (libpulse's type for a sample format).
  const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate_), 1};
  stream_ = pa_stream_new(context_, "Kalvetro sound level", &format, nullptr);
  if (!stream_) {
    if (!answeredStart_) Answer(false, QStringLiteral("pa_stream_new"));
    return;
  }
  streamLabel_ = label;
  pa_stream_set_state_callback(
      stream_, [](pa_stream*, void* self) { static_cast<PulseLevelInput*>(self)->StreamState(); },
      this);
  pa_stream_set_read_callback(
      stream_,
      [](pa_stream*, size_t, void* self) { static_cast<PulseLevelInput*>(self)->ReadSamples(); },
      this);
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(-1);
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kBlockUsec, &format));
  // The chosen source and no other: when it goes, the stream ends instead of moving on to
  // some other input the operator did not choose.
  const auto flags =
      static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                     PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_DONT_MOVE);
  if (pa_stream_connect_record(stream_, name.c_str(), &attr, flags) < 0) StreamState();
}

void PulseLevelInput::StreamState() {
  if (!stream_) return;
  switch (pa_stream_get_state(stream_)) {
    case PA_STREAM_READY: {
      const QString label = streamLabel_;
      if (!answeredStart_) Answer(true, label);
      inbox_->Post([this, label] { SayBack(label); });
      break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED: {
      DropStream();
      if (!answeredStart_) Answer(true, streamLabel_);
      const QString label = streamLabel_;
      inbox_->Post([this, label] {
        SayLost(QStringLiteral(" Аудиовход пропал: ") + label +
                QStringLiteral(" - шоу идет дальше, вход будет взят снова, когда вернется "));
      });
      break;
    }
    default:
      break;
  }
}

void PulseLevelInput::ReadSamples() {
  while (stream_ && pa_stream_readable_size(stream_) > 0) {
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0) return;
    if (!data) {  // a hole in the recording: nothing to read there
      pa_stream_drop(stream_);
      continue;
    }
    const std::span<const float> mono(static_cast<const float*>(data), bytes / sizeof(float));
    const int level = AudioLevel(mono) + 1;
    int pending = pendingLevel_.load(std::memory_order_relaxed);
    while (level > pending &&
           !pendingLevel_.compare_exchange_weak(pending, level, std::memory_order_relaxed)) {
    }
    {
      std::lock_guard lock(listenerMutex_);
      if (listener_) {
        // The block's last sample was heard the stream's latency ago, less what is still
        // waiting to be read behind it.
        auto heard = std::chrono::steady_clock::now();
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream_, &latency, &negative) == 0 && !negative) {
          const size_t readable = pa_stream_readable_size(stream_);
          const size_t behind = readable > bytes ? readable - bytes : 0;
          // The stream carries the mono floats it was made with.
          const pa_usec_t waiting = behind * 1000000 / (sizeof(float) * static_cast<size_t>(rate_));
          if (latency > waiting) heard -= std::chrono::microseconds(latency - waiting);
        }
        listener_->TakePcm(mono, rate_, heard);
      }
    }
    pa_stream_drop(stream_);
  }
}

void PulseLevelInput::DropStream() {
  if (!stream_) return;
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_read_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

}  // namespace kalvetro
