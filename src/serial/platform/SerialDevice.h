// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A small serial device layer with the operations of the serial communications interface
// that TBComPort is written against: open, buffer setup, line state, time-outs, event mask,
// waiting for line events with a stop signal, error and queue status, modem status, escape
// functions, purge, and reads and writes that return when they are complete. The real device
// is a tty driven through termios and ioctl; a fake device of the tests stands behind
// the same interface so that tests can produce modem-line changes and line errors.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kalvetro::serial {

// Line event bits of SetCommMask / WaitCommEvent.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;
inline constexpr std::uint32_t kEvRx80Full = 0x0400;

// Line error bits reported (and cleared) by ClearCommError.
inline constexpr std::uint32_t kCeRxOver = 0x0001;
inline constexpr std::uint32_t kCeOverrun = 0x0002;
inline constexpr std::uint32_t kCeRxParity = 0x0004;
inline constexpr std::uint32_t kCeFrame = 0x0008;
inline constexpr std::uint32_t kCeBreak = 0x0010;
inline constexpr std::uint32_t kCeTxFull = 0x0100;
inline constexpr std::uint32_t kCeIoError = 0x0400;
inline constexpr std::uint32_t kCeMode = 0x8000;

// Modem status bits of GetCommModemStatus.
inline constexpr std::uint32_t kMsCtsOn = 0x10;
inline constexpr std::uint32_t kMsDsrOn = 0x20;
inline constexpr std::uint32_t kMsRingOn = 0x40;
inline constexpr std::uint32_t kMsRlsdOn = 0x80;

// EscapeCommFunction codes.
inline constexpr std::uint32_t kSetRts = 3;
inline constexpr std::uint32_t kClrRts = 4;
inline constexpr std::uint32_t kSetDtr = 5;
inline constexpr std::uint32_t kClrDtr = 6;

// PurgeComm flags.
inline constexpr std::uint32_t kPurgeTxAbort = 0x0001;
inline constexpr std::uint32_t kPurgeRxAbort = 0x0002;
inline constexpr std::uint32_t kPurgeTxClear = 0x0004;
inline constexpr std::uint32_t kPurgeRxClear = 0x0008;

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

// Device control block flags.
inline constexpr std::uint32_t kDcbBinary = 0x0001;
inline constexpr std::uint32_t kDcbParity = 0x0002;            // parity checking on input
inline constexpr std::uint32_t kDcbDtrControlEnable = 0x0010;  // DTR on while open
inline constexpr std::uint32_t kDcbRtsControlEnable = 0x1000;  // RTS on while open
inline constexpr std::uint32_t kDcbSize = 28;

// The line settings. parity: 0 none, 1 odd, 2 even, 3 mark, 4 space; stopBits: 0 one,
// 1 one and a half, 2 two.
struct DeviceControlBlock {
  std::uint32_t length = 0;
  std::uint32_t baudRate = 0;
  std::uint32_t flags = 0;
  std::uint16_t xonLimit = 0;
  std::uint16_t xoffLimit = 0;
  std::uint8_t byteSize = 0;
  std::uint8_t parity = 0;
  std::uint8_t stopBits = 0;
  char xonChar = 0;
  char xoffChar = 0;
  char errorChar = 0;
  char eofChar = 0;
  char eventChar = 0;
};

// Time-outs in ms. A read with readInterval kMaxDword and both read totals 0 returns at once
// with what is queued; otherwise a read waits for its count, bounded by the total
// (multiplier * count + constant, when either is set) and by the interval between bytes
// (when set). A write is bounded by multiplier * count + constant when either is set.
struct CommTimeouts {
  std::uint32_t readInterval = 0;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 0;
  std::uint32_t writeTotalConstant = 0;
};

struct CommStatus {
  std::uint32_t errors = 0;    // line error bits since the last call
  std::uint32_t inQueue = 0;   // bytes waiting to be read
  std::uint32_t outQueue = 0;  // bytes written but not yet sent
};

enum class OpenResult { Opened, NotFound, AccessDenied, OtherError };

// A manual-reset event that a poll() can wait on: once Set, it stays set.
class StopEvent {
 public:
  StopEvent();
  ~StopEvent();
  StopEvent(const StopEvent&) = delete;
  StopEvent& operator=(const StopEvent&) = delete;
  void Set();
  bool IsSet() const;
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

enum class WaitStatus { Fired, Stopped, Failed };
struct WaitResult {
  WaitStatus status = WaitStatus::Failed;
  std::uint32_t events = 0;  // event bits that fired (with Fired)
};

// One open serial device. The operations may be called from several threads at once (the
// event thread waits while another thread writes and a third reads); each is safe to call
// concurrently with the others. Closing happens when the last reference goes away.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  virtual bool SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) = 0;
  virtual bool SetCommState(const DeviceControlBlock& dcb) = 0;
  virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
  virtual bool SetCommMask(std::uint32_t events) = 0;
  // Blocks until an event of the mask happens (Fired), stop is set (Stopped) or the device
  // fails, e.g. it was unplugged (Failed).
  virtual WaitResult WaitCommEvent(const StopEvent& stop) = 0;
  // Reads and clears the line errors and reads the queue counts.
  virtual bool ClearCommError(CommStatus* status) = 0;
  // The bytes waiting in the output queue, without touching the line errors.
  virtual bool OutputQueue(std::uint32_t* count) = 0;
  virtual bool GetCommModemStatus(std::uint32_t* status) = 0;
  virtual bool EscapeCommFunction(std::uint32_t function) = 0;
  virtual bool PurgeComm(std::uint32_t flags) = 0;
  // Writes count bytes and returns when they have gone to the driver: the number written,
  // fewer when the time-out ran out, -1 on failure. timeoutMs < 0 uses the write time-outs;
  // timeoutMs >= 0 bounds this write alone (0: only what fits at once).
  virtual long Write(const std::uint8_t* data, std::uint32_t count, int timeoutMs = -1) = 0;
  // Reads under the read time-outs: the number read, -1 on failure.
  virtual long Read(std::uint8_t* data, std::uint32_t count) = 0;
};

// The device path of a port name: "COMn" is /dev/ttyS(n-1); a name that starts with "/" is
// a path; any other name is looked up in /dev.
std::string DevicePath(const std::string& port);

// Opens a port for exclusive use. Returns null and sets result on failure.
std::shared_ptr<SerialDevice> OpenDevice(const std::string& port, OpenResult* result);

// Devices that are not ttys (the fake device of the tests) are registered by name; OpenDevice
// asks a registered opener before it looks for a tty. A registration under a name already
// registered replaces it. UnregisterDevice with an owner ends only the registration that
// owner made, so a device that comes back under its old name outlives the old registration.
using DeviceOpener = std::function<std::shared_ptr<SerialDevice>(OpenResult* result)>;
void RegisterDevice(const std::string& name, DeviceOpener opener, const void* owner = nullptr);
void UnregisterDevice(const std::string& name, const void* owner = nullptr);

}  // namespace kalvetro::serial
