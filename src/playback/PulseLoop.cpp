// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PulseLoop.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

namespace kalvetro {

PulseLoop::PulseLoop() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PulseLoop::~PulseLoop() {
  Stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void PulseLoop::Start(const std::string& clientName, std::function<void(pa_context*)> ready,
                      std::function<void(const std::string&)> failed) {
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    posted_.clear();
  }
  readySaid_ = false;
  failedSaid_ = false;
  ready_ = std::move(ready);
  failed_ = std::move(failed);
  if (wakeFd_ < 0) {
    failed_("eventfd");
    return;
  }
  thread_ = std::jthread([this, clientName] { Run(clientName); });
}

void PulseLoop::Stop() {
  if (!thread_.joinable()) return;
  {
    // What was posted before runs first; nothing posted later runs at all.
    std::lock_guard lock(mutex_);
    if (!stopping_) posted_.push_back([this] { pa_mainloop_quit(mainloop_, 0); });
    stopping_ = true;
  }
  Wake();
  thread_.join();
}

void PulseLoop::Post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    posted_.push_back(std::move(fn));
  }
  Wake();
}

void PulseLoop::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void PulseLoop::Run(const std::string& clientName) {
  mainloop_ = pa_mainloop_new();
  if (!mainloop_) {
    failed_("pa_mainloop_new");
    return;
  }
  pa_mainloop_api* api = pa_mainloop_get_api(mainloop_);
  wakeEvent_ = api->io_new(
      api, wakeFd_, PA_IO_EVENT_INPUT,
      [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
        static_cast<PulseLoop*>(self)->RunPosted();
      },
      this);
  context_ = pa_context_new(api, clientName.c_str());
  if (context_) {
    pa_context_set_state_callback(context_, &PulseLoop::ContextState, this);
    // No server is started on our behalf: without one the caller takes another way.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      ContextState(context_, this);
  } else {
    failedSaid_ = true;
    failed_("pa_context_new");
  }
  int result = 0;
  pa_mainloop_run(mainloop_, &result);
  if (context_) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  api->io_free(wakeEvent_);
  pa_mainloop_free(mainloop_);
  mainloop_ = nullptr;
}

void PulseLoop::RunPosted() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return;
      fn = std::move(posted_.front());
      posted_.pop_front();
    }
    fn();
  }
}

void PulseLoop::ContextState(pa_context* context, void* self) {
  auto* loop = static_cast<PulseLoop*>(self);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
      if (!loop->readySaid_) {
        loop->readySaid_ = true;
        loop->ready_(context);
      }
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      if (!loop->failedSaid_) {
        loop->failedSaid_ = true;
        loop->failed_(pa_strerror(pa_context_errno(context)));
      }
      break;
    default:
      break;
  }
}

}  // namespace kalvetro
