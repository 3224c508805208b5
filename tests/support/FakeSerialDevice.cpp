// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeSerialDevice.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace kalvetro::serial {

// The port side of a FakeSerialLine.
class FakeSerialDevice : public SerialDevice {
 public:
  explicit FakeSerialDevice(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {}
  ~FakeSerialDevice() override {
    std::lock_guard lock(line_->mutex_);
    line_->open_ = false;
  }

  bool SetupComm(std::uint32_t inQueue, std::uint32_t) override {
    std::lock_guard lock(line_->mutex_);
    line_->inBufSize_ = inQueue;
    return !line_->unplugged_;
  }

  bool SetCommState(const DeviceControlBlock& dcb) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->unplugged_ || dcb.length != kDcbSize || dcb.byteSize < 5 || dcb.byteSize > 8 ||
        dcb.baudRate == 0 || dcb.baudRate == line_->refusedRate_)
      return false;
    line_->dcb_ = dcb;
    if (dcb.flags & kDcbDtrControlEnable) line_->dtr_ = true;
    if (dcb.flags & kDcbRtsControlEnable) line_->rts_ = true;
    return true;
  }

  bool SetCommTimeouts(const CommTimeouts& timeouts) override {
    std::lock_guard lock(line_->mutex_);
    line_->timeouts_ = timeouts;
    return !line_->unplugged_;
  }

  bool SetCommMask(std::uint32_t events) override {
    {
      std::lock_guard lock(line_->mutex_);
      line_->mask_ = events;
    }
    line_->Wake();
    return true;
  }

  WaitResult WaitCommEvent(const StopEvent& stop) override {
    FakeSerialLine& l = *line_;
    for (;;) {
      {
        std::lock_guard lock(l.mutex_);
        if (l.unplugged_) return {WaitStatus::Failed, 0};
        std::uint32_t fired = 0;
        if (l.input_.size() > l.lastInQueue_) fired |= kEvRxChar;
        l.lastInQueue_ = l.input_.size();
        const bool full = l.input_.size() * 10 >= std::size_t{l.inBufSize_} * 8;
        if (full && !l.rx80Reported_) fired |= kEvRx80Full;
        l.rx80Reported_ = full;
        if (l.txPending_) fired |= kEvTxEmpty;
        l.txPending_ = false;
        const std::uint32_t changed = l.modem_ ^ l.lastModem_;
        l.lastModem_ = l.modem_;
        if (changed & kMsCtsOn) fired |= kEvCts;
        if (changed & kMsDsrOn) fired |= kEvDsr;
        if (changed & kMsRlsdOn) fired |= kEvRlsd;
        if (changed & kMsRingOn) fired |= kEvRing;
        if (l.newErrors_) fired |= kEvErr;
        l.newErrors_ = false;
        fired &= l.mask_;
        if (fired) return {WaitStatus::Fired, fired};
      }
      struct pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {l.wakeFd_, POLLIN, 0}};
      ::poll(fds, 2, -1);
      if (fds[0].revents & POLLIN) return {WaitStatus::Stopped, 0};
      if (fds[1].revents & POLLIN) {
        std::uint64_t value = 0;
        [[maybe_unused]] const ssize_t n = ::read(l.wakeFd_, &value, sizeof value);
      }
    }
  }

  bool ClearCommError(CommStatus* status) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->unplugged_) return false;
    status->errors = line_->errors_;
    line_->errors_ = 0;
    status->inQueue = static_cast<std::uint32_t>(line_->input_.size());
    status->outQueue = line_->outQueue_;
    return true;
  }

  bool OutputQueue(std::uint32_t* count) override {
    std::lock_guard lock(line_->mutex_);
    *count = line_->outQueue_;
    return !line_->unplugged_;
  }

  bool GetCommModemStatus(std::uint32_t* status) override {
    std::lock_guard lock(line_->mutex_);
    *status = line_->modem_;
    return !line_->unplugged_;
  }

  bool EscapeCommFunction(std::uint32_t function) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->unplugged_) return false;
    switch (function) {
      case kSetRts:
        line_->rts_ = true;
        return true;
      case kClrRts:
        line_->rts_ = false;
        return true;
      case kSetDtr:
        line_->dtr_ = true;
        return true;
      case kClrDtr:
        line_->dtr_ = false;
        return true;
      default:
        return false;
    }
  }

  bool PurgeComm(std::uint32_t flags) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->unplugged_) return false;
    if (flags & kPurgeRxClear) line_->input_.clear();
    return true;
  }

  long Write(const std::uint8_t* data, std::uint32_t count, int) override {
    {
      std::lock_guard lock(line_->mutex_);
      if (line_->unplugged_) return -1;
      if (!line_->writeLimits_.empty()) {
        // A full queue: the device takes only part of the bytes, or none.
        count = std::min<std::uint32_t>(count, line_->writeLimits_.front());
        line_->writeLimits_.pop_front();
      }
      line_->written_.insert(line_->written_.end(), data, data + count);
      line_->txPending_ = true;
    }
    line_->Wake();
    return static_cast<long>(count);
  }

  long Read(std::uint8_t* data, std::uint32_t count) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->unplugged_) return -1;
    const std::uint32_t n =
        std::min<std::uint32_t>(count, static_cast<std::uint32_t>(line_->input_.size()));
    std::copy_n(line_->input_.begin(), n, data);
    line_->input_.erase(line_->input_.begin(), line_->input_.begin() + n);
    line_->lastInQueue_ = std::min(line_->lastInQueue_, line_->input_.size());
    return static_cast<long>(n);
  }

 private:
  std::shared_ptr<FakeSerialLine> line_;
};

FakeSerialLine::FakeSerialLine(std::string port)
    : port_(std::move(port)), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

std::shared_ptr<FakeSerialLine> FakeSerialLine::Create(const std::string& port) {
  std::shared_ptr<FakeSerialLine> line(new FakeSerialLine(port));
  std::weak_ptr<FakeSerialLine> weak = line;
  RegisterDevice(
      port,
      [weak](OpenResult* result) -> std::shared_ptr<SerialDevice> {
        auto l = weak.lock();
        if (!l) {
          *result = OpenResult::NotFound;
          return nullptr;
        }
        std::lock_guard lock(l->mutex_);
        if (l->unplugged_) {
          *result = OpenResult::NotFound;
          return nullptr;
        }
        if (l->open_) {
          *result = OpenResult::AccessDenied;
          return nullptr;
        }
        l->open_ = true;
        l->lastInQueue_ = l->input_.size();
        l->lastModem_ = l->modem_;
        *result = OpenResult::Opened;
        return std::make_shared<FakeSerialDevice>(l);
      },
      line.get());
  return line;
}

FakeSerialLine::~FakeSerialLine() {
  UnregisterDevice(port_, this);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void FakeSerialLine::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void FakeSerialLine::Send(const std::vector<std::uint8_t>& bytes) {
  {
    std::lock_guard lock(mutex_);
    input_.insert(input_.end(), bytes.begin(), bytes.end());
  }
  Wake();
}

std::vector<std::uint8_t> FakeSerialLine::Written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

void FakeSerialLine::SetModemStatus(std::uint32_t status) {
  {
    std::lock_guard lock(mutex_);
    modem_ = status;
  }
  Wake();
}

void FakeSerialLine::RaiseLineErrors(std::uint32_t errors) {
  {
    std::lock_guard lock(mutex_);
    errors_ |= errors;
    newErrors_ = true;
  }
  Wake();
}

void FakeSerialLine::LimitWrites(const std::vector<std::uint32_t>& accepted) {
  std::lock_guard lock(mutex_);
  writeLimits_.assign(accepted.begin(), accepted.end());
}

void FakeSerialLine::SetOutputQueue(std::uint32_t count) {
  std::lock_guard lock(mutex_);
  outQueue_ = count;
}

void FakeSerialLine::RefuseRate(std::uint32_t baudRate) {
  std::lock_guard lock(mutex_);
  refusedRate_ = baudRate;
}

void FakeSerialLine::Unplug() {
  {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
  }
  Wake();
}

std::uint32_t FakeSerialLine::WatchedEvents() const {
  std::lock_guard lock(mutex_);
  return mask_;
}

bool FakeSerialLine::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool FakeSerialLine::Dtr() const {
  std::lock_guard lock(mutex_);
  return dtr_;
}

bool FakeSerialLine::Rts() const {
  std::lock_guard lock(mutex_);
  return rts_;
}

DeviceControlBlock FakeSerialLine::State() const {
  std::lock_guard lock(mutex_);
  return dcb_;
}

CommTimeouts FakeSerialLine::Timeouts() const {
  std::lock_guard lock(mutex_);
  return timeouts_;
}

std::uint32_t FakeSerialLine::InQueueSize() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::uint32_t>(input_.size());
}

}  // namespace kalvetro::serial
