// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/platform/SerialDevice.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <map>
#include <mutex>

#include "serial/platform/PosixSerialDevice.h"

namespace kalvetro::serial {

StopEvent::StopEvent() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

StopEvent::~StopEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void StopEvent::Set() {
  const std::uint64_t one = 1;
  // The counter only grows: the descriptor stays readable from now on.
  [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

bool StopEvent::IsSet() const {
  struct pollfd fd = {fd_, POLLIN, 0};
  return ::poll(&fd, 1, 0) == 1 && (fd.revents & POLLIN);
}

std::string DevicePath(const std::string& port) {
  if (!port.empty() && port.front() == '/') return port;
  if (port.size() > 3 && (port.compare(0, 3, "COM") == 0 || port.compare(0, 3, "com") == 0)) {
    bool digits = true;
    for (std::size_t i = 3; i < port.size(); ++i)
      digits = digits && std::isdigit(static_cast<unsigned char>(port[i]));
    if (digits && port.size() < 9) {
      const long n = std::stol(port.substr(3));
      if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
  }
  return "/dev/" + port;
}

namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

struct Registration {
  DeviceOpener opener;
  const void* owner = nullptr;
};

std::map<std::string, Registration>& Registry() {
  static std::map<std::string, Registration> registry;
  return registry;
}

}  // namespace

void RegisterDevice(const std::string& name, DeviceOpener opener, const void* owner) {
  std::lock_guard lock(RegistryMutex());
  Registry()[name] = Registration{std::move(opener), owner};
}

void UnregisterDevice(const std::string& name, const void* owner) {
  std::lock_guard lock(RegistryMutex());
  const auto it = Registry().find(name);
  if (it == Registry().end()) return;
  // A device registered again under the same name (plugged back in) keeps its registration
  // when the earlier one goes away.
  if (owner != nullptr && it->second.owner != owner) return;
  Registry().erase(it);
}

std::shared_ptr<SerialDevice> OpenDevice(const std::string& port, OpenResult* result) {
  DeviceOpener opener;
  {
    std::lock_guard lock(RegistryMutex());
    const auto it = Registry().find(port);
    if (it != Registry().end()) opener = it->second.opener;
  }
  if (opener) return opener(result);
  return PosixSerialDevice::Open(DevicePath(port), result);
}

}  // namespace kalvetro::serial
