// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct pa_context;
struct pa_mainloop;
struct pa_io_event;

namespace kalvetro {

// A connection to the sound server (PulseAudio, or PipeWire's pulse server) through libpulse,
// with its main loop on a thread of its own. Everything that touches libpulse runs on that
// thread: callers hand it functions with Post, and the server's answers come back on it. The
// server is the one the environment names (PULSE_SERVER) or the user's own; none is started.
class PulseLoop {
 public:
  PulseLoop();
  ~PulseLoop();
  PulseLoop(const PulseLoop&) = delete;
  PulseLoop& operator=(const PulseLoop&) = delete;

  // Starts the thread and connects. `ready` runs on the loop's thread once the connection
  // stands; `failed` when it cannot be made or breaks later (with libpulse's reason), after
  // which the loop does nothing more. Called once.
  void Start(const std::string& clientName, std::function<void(pa_context*)> ready,
             std::function<void(const std::string&)> failed);
  // Ends the thread once what was posted before has run, and closes the connection.
  void Stop();
  // Runs fn on the loop's thread, in the order posted; dropped once Stop was called.
  void Post(std::function<void()> fn);

 private:
  void Run(const std::string& clientName);
  void RunPosted();
  // Tells the loop that something was posted.
  void Wake();
  static void ContextState(pa_context* context, void* self);

  std::jthread thread_;
  int wakeFd_ = -1;  // an eventfd that tells the loop something was posted
  std::mutex mutex_;
  std::deque<std::function<void()>> posted_;
  bool stopping_ = false;
  // Loop thread only.
  pa_mainloop* mainloop_ = nullptr;
  pa_io_event* wakeEvent_ = nullptr;
  pa_context* context_ = nullptr;
  bool readySaid_ = false;
  bool failedSaid_ = false;
  std::function<void(pa_context*)> ready_;
  std::function<void(const std::string&)> failed_;
};

}  // namespace kalvetro
