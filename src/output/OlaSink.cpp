// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/OlaSink.h"

#include <ola/DmxBuffer.h>
#include <ola/Logging.h>
#include <ola/client/StreamingClient.h>

#include <chrono>
#include <csignal>
#include <memory>

#include "serial/ThreadInbox.h"

namespace kalvetro {

namespace {
// How long the sender waits between attempts to reach a daemon that is not there.
constexpr auto kRetryInterval = std::chrono::seconds(2);
}  // namespace

QString OlaSink::NoDaemonText() {
  return QStringLiteral("Сеть DMX: нет связи с olad");
}

QString OlaSink::ConnectedText() {
  return QStringLiteral("Сеть DMX: olad на связи");
}

OlaSink::OlaSink(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("OlaSink"));
  // A daemon that went away closes its socket; writing to it must give an error, not end the
  // program with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  ola::InitLogging(ola::OLA_LOG_NONE, ola::OLA_LOG_STDERR);
  inbox_ = new ThreadInbox(this);
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

OlaSink::~OlaSink() {
  thread_.request_stop();
  version_.fetch_add(1);
  version_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void OlaSink::WriteFrame(const OutputFrames& frames) {
  if (!enabled_.load(std::memory_order_relaxed)) return;
  std::uint8_t frame[kFrameBytes];
  frames.ReadFrame(frame);
  for (int n = 0; n < kSlots; ++n) mailbox_[n].store(frame[n + 1], std::memory_order_relaxed);
  version_.fetch_add(1, std::memory_order_release);
  version_.notify_one();
}

void OlaSink::SetEnabled(bool on) {
  enabled_.store(on);
  version_.fetch_add(1);
  version_.notify_one();
}

void OlaSink::Announce(bool connected, const QString& text) {
  inbox_->Post([this, connected, text] { emit ConnectionChanged(connected, text); });
}

void OlaSink::SetUniverse(unsigned universe) {
  universe_.store(universe < 1 ? 1 : universe);
}

void OlaSink::Run(std::stop_token stop) {
  using Clock = std::chrono::steady_clock;
  std::unique_ptr<ola::client::StreamingClient> client;
  auto nextAttempt = Clock::now();
  bool reportedDown = false;
  std::uint64_t seen = version_.load();
  ola::DmxBuffer buffer;
  std::array<std::uint8_t, kSlots> levels{};

  auto drop = [&](bool report) {
    if (client) client->Stop();
    client.reset();
    if (connected_.exchange(false) || (report && !reportedDown)) {
      reportedDown = true;
      Announce(false, NoDaemonText());
    }
  };

  while (!stop.stop_requested()) {
    // Sleep until the tick leaves a new frame (every 50 ms while the output runs and the sink
    // is on), a choice changes, or the sink is being destroyed.
    version_.wait(seen, std::memory_order_acquire);
    if (stop.stop_requested()) break;
    const std::uint64_t now = version_.load(std::memory_order_acquire);
    const bool fresh = now != seen;
    seen = now;

    if (!enabled_.load()) {
      if (client) drop(false);
      reportedDown = false;
      continue;
    }
    if (!client) {
      if (Clock::now() < nextAttempt) continue;
      ola::client::StreamingClient::Options options;
      options.auto_start = false;
      options.server_port = serverPort_.load();
      client = std::make_unique<ola::client::StreamingClient>(options);
      if (!client->Setup()) {
        client.reset();
        nextAttempt = Clock::now() + kRetryInterval;
        if (!reportedDown) {
          reportedDown = true;
          Announce(false, NoDaemonText());
        }
        continue;
      }
      reportedDown = false;
      connected_.store(true);
      Announce(true, ConnectedText());
    }
    if (!fresh) continue;
    for (int n = 0; n < kSlots; ++n) levels[n] = mailbox_[n].load(std::memory_order_relaxed);
    buffer.Set(levels.data(), kSlots);
    if (client->SendDmx(universe_.load(), buffer)) {
      framesSent_.fetch_add(1);
    } else {
      drop(true);
      nextAttempt = Clock::now() + kRetryInterval;
    }
  }
  if (client) client->Stop();
}

}  // namespace kalvetro
