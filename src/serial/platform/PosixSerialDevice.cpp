// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/platform/PosixSerialDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>

#include "serial/platform/TermiosLine.h"

namespace kalvetro::serial {

namespace {

using Clock = std::chrono::steady_clock;

// Interval at which modem lines (without TIOCMIWAIT), error counters, a queue that is not
// being drained and aborts are looked at.
constexpr int kLinePollMs = 10;

// The signal that interrupts the TIOCMIWAIT helper when the device closes. Its handler does
// nothing; it is installed without SA_RESTART so that the blocked ioctl returns EINTR.
int WakeSignal() {
  return SIGRTMIN + 3;
}

void NoSignalAction(int) {}

void InstallWakeSignal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_handler = NoSignalAction;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(WakeSignal(), &action, nullptr);
  });
}

bool NoModemLinesError(int error) {
  return error == ENOTTY || error == EINVAL;
}

// Whether fd is the tty the kernel writes its console to. Such a port belongs to the system
// and is reported busy: a DMX stream must never go into the machine's console.
bool IsSystemConsole(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  if (major(st.st_rdev) == 5 && minor(st.st_rdev) == 1) return true;  // /dev/console
  std::ifstream active("/sys/class/tty/console/active");
  std::string name;
  while (active >> name) {
    std::ifstream dev("/sys/class/tty/" + name + "/dev");
    unsigned maj = 0, min = 0;
    char colon = 0;
    if (dev >> maj >> colon >> min && maj == major(st.st_rdev) && min == minor(st.st_rdev))
      return true;
  }
  return false;
}

std::uint32_t ModemBits(int lines) {
  std::uint32_t status = 0;
  if (lines & TIOCM_CTS) status |= kMsCtsOn;
  if (lines & TIOCM_DSR) status |= kMsDsrOn;
  if (lines & TIOCM_RNG) status |= kMsRingOn;
  if (lines & TIOCM_CAR) status |= kMsRlsdOn;
  return status;
}

long MsUntil(Clock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
}

// A time limit of multiplier * count + constant ms; -1 when neither is set (no limit).
long TotalLimit(std::uint32_t multiplier, std::uint32_t constant, std::uint32_t count) {
  if (multiplier == 0 && constant == 0) return -1;
  const unsigned long long ms = static_cast<unsigned long long>(multiplier) * count + constant;
  return static_cast<long>(std::min<unsigned long long>(ms, 0x7FFFFFFF));
}

}  // namespace

std::shared_ptr<SerialDevice> PosixSerialDevice::Open(const std::string& path, OpenResult* result) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
      case ENODEV:
      case ENXIO:
      case ENOTDIR:
      case EIO:  // a port the kernel knows of but whose hardware is absent
        *result = OpenResult::NotFound;
        break;
      case EACCES:
      case EPERM:
      case EBUSY:
        *result = OpenResult::AccessDenied;
        break;
      default:
        *result = OpenResult::OtherError;
        break;
    }
    return nullptr;
  }
  if (!::isatty(fd)) {
    ::close(fd);
    *result = OpenResult::OtherError;
    return nullptr;
  }
  // TIOCEXCL keeps other programs out (except root); the flock also catches root and a
  // second open inside this program.
  if (IsSystemConsole(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    *result = OpenResult::AccessDenied;
    return nullptr;
  }
  ::ioctl(fd, TIOCEXCL);
  std::shared_ptr<PosixSerialDevice> device(new PosixSerialDevice(fd));
  *result = OpenResult::Opened;
  return device;
}

PosixSerialDevice::PosixSerialDevice(int fd)
    : fd_(fd), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  int lines = 0;
  hasModemLines_ = ::ioctl(fd_, TIOCMGET, &lines) == 0;
  if (hasModemLines_) lastModem_ = ModemBits(lines);
  struct serial_icounter_struct count {};
  hasCounters_ = ::ioctl(fd_, TIOCGICOUNT, &count) == 0;
  if (hasCounters_)
    counters_ = {count.frame, count.overrun, count.parity, count.brk, count.buf_overrun};
  if (hasModemLines_) StartModemWatcher();
}

PosixSerialDevice::~PosixSerialDevice() {
  StopModemWatcher();
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void PosixSerialDevice::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

// ---------------------------------------------------------------- settings

bool PosixSerialDevice::SetupComm(std::uint32_t inQueue, std::uint32_t /*outQueue*/) {
  // The tty driver keeps its own queues; the asked input size is what "80 % full" refers to.
  inBufSize_.store(inQueue);
  return true;
}

bool PosixSerialDevice::SetCommState(const DeviceControlBlock& dcb) {
  const bool valid =
      dcb.length == kDcbSize && (dcb.flags & kDcbBinary) && dcb.baudRate > 0 && dcb.byteSize >= 5 &&
      dcb.byteSize <= 8 && dcb.parity <= 4 && dcb.stopBits <= 2 &&
      // one and a half stop bits exist only with five data bits, and two
      // stop bits only with more than five
      (dcb.stopBits != 1 || dcb.byteSize == 5) && (dcb.stopBits != 2 || dcb.byteSize > 5);
  if (!valid) return false;
  LineParameters line;
  line.baudRate = dcb.baudRate;
  line.dataBits = dcb.byteSize;
  line.parity = dcb.parity;
  line.twoStopBits = dcb.stopBits != 0;
  line.checkParity = (dcb.flags & kDcbParity) != 0;
  if (ApplyLineParameters(fd_, line) != LineResult::Applied) return false;
  baudRate_.store(dcb.baudRate);
  // "Line on while open": the settings raise DTR and RTS.
  int raise = 0;
  if (dcb.flags & kDcbDtrControlEnable) raise |= TIOCM_DTR;
  if (dcb.flags & kDcbRtsControlEnable) raise |= TIOCM_RTS;
  if (raise && hasModemLines_) ::ioctl(fd_, TIOCMBIS, &raise);
  return true;
}

bool PosixSerialDevice::SetCommTimeouts(const CommTimeouts& timeouts) {
  std::lock_guard lock(mutex_);
  timeouts_ = timeouts;
  return true;
}

bool PosixSerialDevice::SetCommMask(std::uint32_t events) {
  mask_.store(events);
  Wake();
  return true;
}

// ---------------------------------------------------------------- status

std::uint32_t PosixSerialDevice::CollectErrors() {
  struct serial_icounter_struct now {};
  if (!hasCounters_ || ::ioctl(fd_, TIOCGICOUNT, &now) != 0) return 0;
  std::uint32_t bits = 0;
  if (now.frame != counters_.frame) bits |= kCeFrame;
  if (now.overrun != counters_.overrun) bits |= kCeOverrun;
  if (now.parity != counters_.parity) bits |= kCeRxParity;
  if (now.brk != counters_.brk) bits |= kCeBreak;
  if (now.buf_overrun != counters_.bufOverrun) bits |= kCeRxOver;
  counters_ = {now.frame, now.overrun, now.parity, now.brk, now.buf_overrun};
  pendingErrors_ |= bits;
  return bits;
}

bool PosixSerialDevice::ClearCommError(CommStatus* status) {
  int in = 0;
  int out = 0;
  if (::ioctl(fd_, FIONREAD, &in) != 0 || ::ioctl(fd_, TIOCOUTQ, &out) != 0) return false;
  std::lock_guard lock(mutex_);
  CollectErrors();
  status->errors = pendingErrors_;
  pendingErrors_ = 0;
  status->inQueue = static_cast<std::uint32_t>(in);
  status->outQueue = static_cast<std::uint32_t>(out);
  return true;
}

bool PosixSerialDevice::OutputQueue(std::uint32_t* count) {
  int out = 0;
  if (::ioctl(fd_, TIOCOUTQ, &out) != 0) return false;
  *count = static_cast<std::uint32_t>(out);
  return true;
}

bool PosixSerialDevice::ReadModemLines(std::uint32_t* status) {
  int lines = 0;
  if (::ioctl(fd_, TIOCMGET, &lines) != 0) return false;
  *status = ModemBits(lines);
  return true;
}

bool PosixSerialDevice::GetCommModemStatus(std::uint32_t* status) {
  if (!hasModemLines_) {
    // A device without modem lines (a pseudo-terminal): every line reads off.
    *status = 0;
    return true;
  }
  return ReadModemLines(status);
}

bool PosixSerialDevice::EscapeCommFunction(std::uint32_t function) {
  int bits = 0;
  unsigned long request = 0;
  switch (function) {
    case kSetRts:
      request = TIOCMBIS;
      bits = TIOCM_RTS;
      break;
    case kClrRts:
      request = TIOCMBIC;
      bits = TIOCM_RTS;
      break;
    case kSetDtr:
      request = TIOCMBIS;
      bits = TIOCM_DTR;
      break;
    case kClrDtr:
      request = TIOCMBIC;
      bits = TIOCM_DTR;
      break;
    default:
      return false;
  }
  if (!hasModemLines_) return true;
  if (::ioctl(fd_, request, &bits) == 0) return true;
  return NoModemLinesError(errno);
}

bool PosixSerialDevice::PurgeComm(std::uint32_t flags) {
  if (flags & (kPurgeTxAbort | kPurgeRxAbort)) abortGeneration_.fetch_add(1);
  bool ok = true;
  if ((flags & kPurgeTxClear) && ::tcflush(fd_, TCOFLUSH) != 0) ok = false;
  if ((flags & kPurgeRxClear) && ::tcflush(fd_, TCIFLUSH) != 0) ok = false;
  return ok;
}

// ---------------------------------------------------------------- events

WaitResult PosixSerialDevice::WaitCommEvent(const StopEvent& stop) {
  for (;;) {
    const std::uint32_t mask = mask_.load();
    std::uint32_t fired = 0;

    int in = 0;
    if (::ioctl(fd_, FIONREAD, &in) != 0) return {WaitStatus::Failed, 0};
    const auto inQueue = static_cast<std::uint32_t>(in);
    // Received data fires once per arrival, not while the same bytes wait unread.
    if (inQueue > lastInQueue_ && (mask & kEvRxChar)) fired |= kEvRxChar;
    lastInQueue_ = inQueue;
    const bool full = static_cast<std::uint64_t>(inQueue) * 10 >=
                      static_cast<std::uint64_t>(inBufSize_.load()) * 8;
    if (full && !rx80Reported_ && (mask & kEvRx80Full)) fired |= kEvRx80Full;
    rx80Reported_ = full;

    std::uint32_t outQueue = 0;
    if (txPending_.load()) {
      int out = 0;
      if (::ioctl(fd_, TIOCOUTQ, &out) != 0) return {WaitStatus::Failed, 0};
      outQueue = static_cast<std::uint32_t>(out);
      if (outQueue == 0) {
        txPending_.store(false);
        if (mask & kEvTxEmpty) fired |= kEvTxEmpty;
      }
    }

    if (hasModemLines_) {
      std::uint32_t lines = 0;
      if (!ReadModemLines(&lines)) return {WaitStatus::Failed, 0};
      const std::uint32_t changed = lines ^ lastModem_;
      lastModem_ = lines;
      if ((changed & kMsCtsOn) && (mask & kEvCts)) fired |= kEvCts;
      if ((changed & kMsDsrOn) && (mask & kEvDsr)) fired |= kEvDsr;
      if ((changed & kMsRlsdOn) && (mask & kEvRlsd)) fired |= kEvRlsd;
      if ((changed & kMsRingOn) && (mask & kEvRing)) fired |= kEvRing;
    }
    if (hasCounters_) {
      std::lock_guard lock(mutex_);
      if (CollectErrors() && (mask & kEvErr)) fired |= kEvErr;
    }
    if (fired) return {WaitStatus::Fired, fired};

    // Nothing yet: sleep until input arrives, a write or the modem helper wakes us, the stop
    // event is set or the device hangs up; look again at a short interval for what poll()
    // cannot see.
    int timeout = -1;
    auto shorten = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
    if (inQueue > 0) shorten(kLinePollMs);
    if (txPending_.load()) {
      const std::uint32_t rate = std::max<std::uint32_t>(baudRate_.load(), 1);
      shorten(std::clamp<int>(static_cast<int>(outQueue * 10000ull / rate), 1, kLinePollMs));
    }
    if (hasCounters_ || (hasModemLines_ && watcherState_.load() != 1)) shorten(kLinePollMs);

    struct pollfd fds[3] = {{stop.Fd(), POLLIN, 0},
                            {wakeFd_, POLLIN, 0},
                            {fd_, static_cast<short>(inQueue == 0 ? POLLIN : 0), 0}};
    const int n = ::poll(fds, 3, timeout);
    if (n < 0 && errno != EINTR) return {WaitStatus::Failed, 0};
    if (fds[0].revents & POLLIN) return {WaitStatus::Stopped, 0};
    if (fds[2].revents & (POLLERR | POLLHUP | POLLNVAL)) return {WaitStatus::Failed, 0};
    if (fds[1].revents & POLLIN) {
      std::uint64_t value = 0;
      [[maybe_unused]] const ssize_t r = ::read(wakeFd_, &value, sizeof value);
    }
  }
}

void PosixSerialDevice::StartModemWatcher() {
  InstallWakeSignal();
  watcherStop_.store(false);
  watcherDone_.store(false);
  watcherState_.store(0);
  watcher_ = std::thread([this] { ModemWatcherLoop(); });
  watcherHandle_ = watcher_.native_handle();
}

void PosixSerialDevice::ModemWatcherLoop() {
  while (!watcherStop_.load()) {
    watcherState_.store(1);
    const int r = ::ioctl(fd_, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | TIOCM_RNG);
    if (r == 0) {
      Wake();
      continue;
    }
    if (errno == EINTR) continue;
    break;  // the driver has no TIOCMIWAIT, or the device is gone: lines are polled instead
  }
  watcherState_.store(2);
  Wake();
  watcherDone_.store(true);
}

void PosixSerialDevice::StopModemWatcher() {
  if (!watcher_.joinable()) return;
  watcherStop_.store(true);
  // The signal may come just before the helper enters the ioctl: repeat until it is out.
  while (!watcherDone_.load()) {
    ::pthread_kill(watcherHandle_, WakeSignal());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  watcher_.join();
}

// ---------------------------------------------------------------- data

long PosixSerialDevice::Write(const std::uint8_t* data, std::uint32_t count, int timeoutMs) {
  long limit = timeoutMs;
  if (timeoutMs < 0) {
    std::lock_guard lock(mutex_);
    limit = TotalLimit(timeouts_.writeTotalMultiplier, timeouts_.writeTotalConstant, count);
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limit, 0L));
  const unsigned generation = abortGeneration_.load();
  std::uint32_t written = 0;
  while (written < count) {
    const ssize_t n = ::write(fd_, data + written, count - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || errno != EAGAIN) return -1;
    // The driver's queue is full: wait for room within the time limit.
    long wait = kLinePollMs;
    if (limit >= 0) {
      const long left = MsUntil(deadline);
      if (left <= 0) break;
      wait = std::min(wait, left);
    }
    struct pollfd fd = {fd_, POLLOUT, 0};
    if (::poll(&fd, 1, static_cast<int>(wait)) < 0 && errno != EINTR) return -1;
    if (fd.revents & (POLLERR | POLLHUP | POLLNVAL)) return -1;
    if (abortGeneration_.load() != generation) break;
  }
  // Only a waiter for "transmit queue empty" needs to hear of a write: waking the event
  // thread after every packet would cost a wake-up per output tick for nothing.
  if (written > 0 && (mask_.load() & kEvTxEmpty)) {
    txPending_.store(true);
    Wake();
  }
  return static_cast<long>(written);
}

long PosixSerialDevice::Read(std::uint8_t* data, std::uint32_t count) {
  CommTimeouts t;
  {
    std::lock_guard lock(mutex_);
    t = timeouts_;
  }
  // The special cases: at once with what is queued, or wait only for the first byte.
  const bool atOnce =
      t.readInterval == kMaxDword && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
  const bool firstByte = t.readInterval == kMaxDword && t.readTotalMultiplier == kMaxDword &&
                         t.readTotalConstant > 0 && t.readTotalConstant < kMaxDword;
  const long total =
      firstByte ? static_cast<long>(std::min<std::uint32_t>(t.readTotalConstant, 0x7FFFFFFF))
                : TotalLimit(t.readTotalMultiplier, t.readTotalConstant, count);
  const long interval =
      (t.readInterval == 0 || t.readInterval == kMaxDword)
          ? -1
          : static_cast<long>(std::min<std::uint32_t>(t.readInterval, 0x7FFFFFFF));
  const auto start = Clock::now();
  auto lastByte = start;
  const unsigned generation = abortGeneration_.load();
  std::uint32_t got = 0;
  while (got < count) {
    const ssize_t n = ::read(fd_, data + got, count - got);
    if (n > 0) {
      got += static_cast<std::uint32_t>(n);
      lastByte = Clock::now();
      if (atOnce || firstByte) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // In raw mode a read with nothing queued returns 0 (or EAGAIN): no data yet. A hang-up
    // shows in the poll below.
    if (n < 0 && errno != EAGAIN) return got > 0 ? static_cast<long>(got) : -1;
    if (atOnce) break;
    long wait = kLinePollMs;
    if (total >= 0) {
      const long left = MsUntil(start + std::chrono::milliseconds(total));
      if (left <= 0) break;
      wait = std::min(wait, left);
    }
    if (interval >= 0 && got > 0) {
      const long left = MsUntil(lastByte + std::chrono::milliseconds(interval));
      if (left <= 0) break;
      wait = std::min(wait, left);
    }
    struct pollfd fd = {fd_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(wait)) < 0 && errno != EINTR) return -1;
    if ((fd.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(fd.revents & POLLIN))
      return got > 0 ? static_cast<long>(got) : -1;
    if (abortGeneration_.load() != generation) break;
  }
  return static_cast<long>(got);
}

}  // namespace kalvetro::serial
