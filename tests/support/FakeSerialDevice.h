// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/platform/SerialDevice.h"

namespace kalvetro::serial {

// The far end of a serial line that exists only in memory, for tests of what a
// pseudo-terminal cannot do: modem-line changes, line errors, refused rates, a device that
// vanishes. Create() registers the port name with OpenDevice(); the registration ends when
// the line object is destroyed, unless a new line has been created under the same name since
// (a device plugged back in). Writes complete at once; a read returns what is queued.
class FakeSerialLine {
 public:
  static std::shared_ptr<FakeSerialLine> Create(const std::string& port);
  ~FakeSerialLine();
  FakeSerialLine(const FakeSerialLine&) = delete;
  FakeSerialLine& operator=(const FakeSerialLine&) = delete;

  // Bytes from the far end into the port's input queue.
  void Send(const std::vector<std::uint8_t>& bytes);
  // Everything the port has written so far.
  std::vector<std::uint8_t> Written() const;
  // The input lines as modem status bits (kMsCtsOn, kMsDsrOn, kMsRingOn, kMsRlsdOn).
  void SetModemStatus(std::uint32_t status);
  // Line error bits (kCeFrame, kCeRxParity, ...) as the driver would report them.
  void RaiseLineErrors(std::uint32_t errors);
  // The next writes take at most these many bytes each, in order (0: the queue is full and
  // the write takes nothing); later writes take everything again.
  void LimitWrites(const std::vector<std::uint32_t>& accepted);
  // Bytes the device reports as still waiting to be sent.
  void SetOutputQueue(std::uint32_t count);
  // A rate that SetCommState refuses, as a driver does with a rate it cannot make.
  void RefuseRate(std::uint32_t baudRate);
  // The device disappears: waits, reads, writes and status calls fail from now on, and the
  // name no longer opens.
  void Unplug();

  bool IsOpen() const;
  // The events the port asked the device to watch for (kEvRxChar, kEvTxEmpty, ...).
  std::uint32_t WatchedEvents() const;
  bool Dtr() const;
  bool Rts() const;
  DeviceControlBlock State() const;
  CommTimeouts Timeouts() const;
  std::uint32_t InQueueSize() const;

 private:
  friend class FakeSerialDevice;
  explicit FakeSerialLine(std::string port);
  void Wake();

  const std::string port_;
  const int wakeFd_;
  mutable std::mutex mutex_;
  bool open_ = false;
  bool unplugged_ = false;
  std::deque<std::uint8_t> input_;
  std::deque<std::uint32_t> writeLimits_;
  std::vector<std::uint8_t> written_;
  std::uint32_t modem_ = 0;
  std::uint32_t errors_ = 0;
  bool newErrors_ = false;
  bool dtr_ = false;
  bool rts_ = false;
  bool txPending_ = false;
  std::uint32_t refusedRate_ = 0;
  std::uint32_t outQueue_ = 0;
  std::uint32_t inBufSize_ = 4096;
  std::uint32_t mask_ = 0;
  DeviceControlBlock dcb_{};
  CommTimeouts timeouts_{};
  // What the waiting device has reported already.
  std::size_t lastInQueue_ = 0;
  std::uint32_t lastModem_ = 0;
  bool rx80Reported_ = false;
};

}  // namespace kalvetro::serial
