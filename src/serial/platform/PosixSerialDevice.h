// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "serial/platform/SerialDevice.h"

namespace kalvetro::serial {

// A tty opened non-blocking and exclusively (TIOCEXCL and an flock on the descriptor).
//
// Line events: received data and transmit-empty come from the queue counts (FIONREAD,
// TIOCOUTQ) with poll() waking on input; CTS, DSR, RLSD and ring from the modem lines, woken
// by a helper thread blocked in TIOCMIWAIT where the driver supports it and otherwise polled
// with TIOCMGET every few ms; line errors from the driver's error counters (TIOCGICOUNT),
// polled at the same interval. A device without modem lines or counters (a pseudo-terminal)
// simply has none: its modem-line calls succeed and report every line off.
class PosixSerialDevice : public SerialDevice {
 public:
  static std::shared_ptr<SerialDevice> Open(const std::string& path, OpenResult* result);
  ~PosixSerialDevice() override;

  bool SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) override;
  bool SetCommState(const DeviceControlBlock& dcb) override;
  bool SetCommTimeouts(const CommTimeouts& timeouts) override;
  bool SetCommMask(std::uint32_t events) override;
  WaitResult WaitCommEvent(const StopEvent& stop) override;
  bool ClearCommError(CommStatus* status) override;
  bool OutputQueue(std::uint32_t* count) override;
  bool GetCommModemStatus(std::uint32_t* status) override;
  bool EscapeCommFunction(std::uint32_t function) override;
  bool PurgeComm(std::uint32_t flags) override;
  long Write(const std::uint8_t* data, std::uint32_t count, int timeoutMs = -1) override;
  long Read(std::uint8_t* data, std::uint32_t count) override;

 private:
  struct Counters {
    long frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
  };

  explicit PosixSerialDevice(int fd);
  void Wake();
  // Reads the driver's error counters and adds what is new to pendingErrors_; returns the
  // bits that are new.
  std::uint32_t CollectErrors();
  bool ReadModemLines(std::uint32_t* status);
  void StartModemWatcher();
  void StopModemWatcher();
  void ModemWatcherLoop();

  const int fd_;
  const int wakeFd_;
  std::atomic<std::uint32_t> mask_{0};
  std::atomic<std::uint32_t> inBufSize_{4096};
  std::atomic<std::uint32_t> baudRate_{9600};
  std::atomic<bool> txPending_{false};
  std::atomic<unsigned> abortGeneration_{0};
  bool hasModemLines_ = false;
  bool hasCounters_ = false;

  std::mutex mutex_;  // time-outs, error counters (not on the write path)
  CommTimeouts timeouts_{};
  Counters counters_{};
  std::uint32_t pendingErrors_ = 0;

  // Event-thread bookkeeping: what has been reported already.
  std::uint32_t lastInQueue_ = 0;
  std::uint32_t lastModem_ = 0;
  bool rx80Reported_ = false;

  // The TIOCMIWAIT helper: 0 starting, 1 waiting in the driver, 2 not supported or ended.
  std::thread watcher_;
  pthread_t watcherHandle_{};
  std::atomic<int> watcherState_{2};
  std::atomic<bool> watcherStop_{false};
  std::atomic<bool> watcherDone_{true};
};

}  // namespace kalvetro::serial
