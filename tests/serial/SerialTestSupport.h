// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kalvetro::testing {

// Runs the Qt event loop until cond holds or the time is up; returns cond().
inline bool WaitFor(const std::function<bool()>& cond, int ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return cond();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Lets time pass while the Qt event loop runs.
inline void Pump(int ms) {
  WaitFor([] { return false; }, ms);
}

// A pseudo-terminal pair: the slave is the port under test, the master its far end.
class Pty {
 public:
  Pty() {
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
      struct termios tio {};
      ::tcgetattr(slave, &tio);
      ::cfmakeraw(&tio);
      ::tcsetattr(slave, TCSANOW, &tio);
      ::close(slave);
      ::fcntl(master_, F_SETFL, O_NONBLOCK);
      path_ = name;
    }
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  const std::string& Path() const { return path_; }
  int Master() const { return master_; }
  // Closing the master is what an unplugged interface looks like from the port.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void Send(const std::vector<std::uint8_t>& bytes) {
    [[maybe_unused]] const ssize_t n = ::write(master_, bytes.data(), bytes.size());
  }
  // Collects what the port wrote until `count` bytes have come or the time is up.
  std::vector<std::uint8_t> Receive(std::size_t count, int ms = 3000) {
    std::vector<std::uint8_t> got;
    WaitFor(
        [&] {
          std::uint8_t buffer[4096];
          const ssize_t n = ::read(master_, buffer, sizeof buffer);
          if (n > 0) got.insert(got.end(), buffer, buffer + n);
          return got.size() >= count;
        },
        ms);
    return got;
  }

 private:
  int master_ = -1;
  std::string path_;
};

}  // namespace kalvetro::testing
