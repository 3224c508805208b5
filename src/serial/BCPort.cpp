// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/BCPort.h"

#include <QtGlobal>
#include <array>
#include <condition_variable>
#include <mutex>

#include "serial/ThreadInbox.h"

namespace kalvetro {

using namespace comport_messages;
namespace sd = serial;

namespace {

constexpr std::array<std::uint32_t, 15> kBaudRates = {110,   300,   600,    1200,   2400,
                                                      4800,  9600,  14400,  19200,  38400,
                                                      56000, 57600, 115200, 128000, 256000};

// The system mask of each TComEvent, by ordinal.
constexpr std::array<std::uint32_t, 8> kEventMasks = {sd::kEvRxChar, sd::kEvTxEmpty, sd::kEvRing,
                                                      sd::kEvCts,    sd::kEvDsr,     sd::kEvRlsd,
                                                      sd::kEvErr,    sd::kEvRx80Full};

// The order in which the dispatchers of one wait run.
constexpr std::array<TComEvent, 8> kDispatchOrder = {evError, evRxChar, evTxEmpty, evRing,
                                                     evCTS,   evDSR,    evRLSD,    evRx80Full};

}  // namespace

std::uint32_t BaudRateValue(TBaudRate rate) {
  return kBaudRates.at(rate);
}

std::uint32_t EventMask(TComEvents events) {
  std::uint32_t mask = 0;
  for (int e = 0; e < 8; ++e)
    if (events.Contains(static_cast<TComEvent>(e))) mask |= kEventMasks[e];
  return mask;
}

TComEvents EventsFromMask(std::uint32_t mask) {
  TComEvents events;
  for (int e = 0; e < 8; ++e)
    if (mask & kEventMasks[e]) events.Include(static_cast<TComEvent>(e));
  return events;
}

// ---------------------------------------------------------------- TComTimeouts

void TComTimeouts::Assign(const TComTimeouts& source) {
  readInterval_ = source.readInterval_;
  readTotalMultiplier_ = source.readTotalMultiplier_;
  readTotalConstant_ = source.readTotalConstant_;
  writeTotalMultiplier_ = source.writeTotalMultiplier_;
  writeTotalConstant_ = source.writeTotalConstant_;
}

void TComTimeouts::Set(std::int32_t& field, std::int32_t value) {
  if (field == value) return;
  field = value;
  if (owner_) owner_->ApplyTimeouts();
}

// ---------------------------------------------------------------- TComThread

// What the event thread shares with its owner; it outlives the TComThread object when a
// handler closes the port from the event thread itself.
struct TComThread::Shared {
  TBComPort* owner = nullptr;
  ThreadInbox* target = nullptr;
  std::uint64_t session = 0;
  std::shared_ptr<sd::SerialDevice> device;
  sd::StopEvent stop;
  std::mutex mutex;
  std::condition_variable released;
  std::uint64_t delivered = 0;
  bool stopping = false;

  static void Run(const std::shared_ptr<Shared>& self);
};

void TComThread::Shared::Run(const std::shared_ptr<Shared>& self) {
  Shared& s = *self;
  auto& device = s.device;
  auto& stop = s.stop;
  TBComPort* owner = s.owner;
  std::uint64_t sequence = 0;
  for (;;) {
    const sd::WaitResult result = device->WaitCommEvent(stop);
    if (result.status != sd::WaitStatus::Fired) break;
    // The device reports only the events it was asked to watch (see the constructor).
    const TComEvents fired = EventsFromMask(result.events);
    if (fired.Empty()) continue;
    switch (owner->SyncMethod()) {
      case smThreadSync: {
        // Run the handlers on the owner's thread and wait until they are done, or until the
        // port closes: a Close on the owner's thread never waits for this thread while this
        // thread waits for it.
        const std::uint64_t mine = ++sequence;
        // The delivery keeps the shared state alive: it may run after this thread has ended.
        owner->PostEvents(s.target, fired, s.session, false, [self, mine] {
          std::lock_guard lock(self->mutex);
          self->delivered = std::max(self->delivered, mine);
          self->released.notify_all();
        });
        std::unique_lock lock(s.mutex);
        s.released.wait(lock, [&] { return s.delivered >= mine || s.stopping; });
        break;
      }
      case smWindowSync:
        owner->PostEvents(s.target, fired, s.session, true, nullptr);
        break;
      case smNone:
        owner->DoEventsGuarded(fired);
        break;
    }
    if (stop.IsSet()) break;
  }
  device->SetCommMask(0);
  device->PurgeComm(sd::kPurgeTxClear | sd::kPurgeRxClear);
}

TComThread::TComThread(TBComPort& owner, std::shared_ptr<sd::SerialDevice> device)
    : shared_(std::make_shared<Shared>()) {
  shared_->owner = &owner;
  shared_->target = owner.syncTarget_;
  shared_->session = owner.session_;
  shared_->device = std::move(device);
  // The device is not asked to watch for notify events that nobody handles: a transmit-empty
  // watch alone would wake this thread after every write, twenty times a second.
  TComEvents watched = owner.Events();
  if (!owner.OnTxEmpty) watched.Exclude(evTxEmpty);
  if (!owner.OnRing) watched.Exclude(evRing);
  if (!owner.OnRx80Full) watched.Exclude(evRx80Full);
  shared_->device->SetCommMask(EventMask(watched));
  thread_ = std::thread([shared = shared_] { Shared::Run(shared); });
}

TComThread::~TComThread() {
  Stop();
  if (thread_.get_id() == std::this_thread::get_id())
    thread_.detach();  // a handler on the event thread closed the port; the loop ends itself
  else
    thread_.join();
}

void TComThread::Stop() {
  shared_->stop.Set();
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
  }
  shared_->released.notify_all();
  std::this_thread::yield();
}

// ---------------------------------------------------------------- TBComPort: lifecycle

TBComPort::TBComPort(QObject* parent) : QObject(parent) {}

TBComPort::~TBComPort() {
  Close();
}

bool TBComPort::Open() {
  if (connected_.load()) return true;
  sd::OpenResult result = sd::OpenResult::OtherError;
  std::shared_ptr<sd::SerialDevice> device = sd::OpenDevice(port_.toStdString(), &result);
  if (!device) {
    if (result == sd::OpenResult::NotFound) throw EComPort(kNoSuchPort);
    if (result == sd::OpenResult::AccessDenied) throw EComPort(kPortBusy);
    // Any other failure shows up in the settings below, which have no device to work on.
  }
  device_.store(device);
  connected_.store(true);
  try {
    ApplySettings();
  } catch (...) {
    device_.store(nullptr);
    connected_.store(false);
    throw;
  }
  ++session_;
  if (SyncMethod() != smNone) {
    syncTarget_ = new ThreadInbox;
    syncTarget_->setObjectName(QStringLiteral("Window"));
    syncTarget_->moveToThread(thread());
  }
  thread_ = std::make_unique<TComThread>(*this, device);
  return true;
}

bool TBComPort::Close() {
  if (!connected_.load()) return true;
  // The lines are released and pending transfers aborted as far as the device still
  // answers; a device that has vanished is closed all the same.
  if (auto device = Device()) {
    device->EscapeCommFunction(sd::kClrDtr);
    device->EscapeCommFunction(sd::kClrRts);
    device->PurgeComm(sd::kPurgeTxAbort | sd::kPurgeRxAbort);
  }
  thread_.reset();
  DestroySyncTarget();
  device_.store(nullptr);
  connected_.store(false);
  return true;
}

void TBComPort::DestroySyncTarget() {
  if (!syncTarget_) return;
  // Inside a delivery the target is still in use: delete it once the delivery returns.
  if (deliveryDepth_ > 0)
    syncTarget_->deleteLater();
  else
    delete syncTarget_;
  syncTarget_ = nullptr;
}

// ---------------------------------------------------------------- TBComPort: transfers

int TBComPort::Write(const std::uint8_t* buffer, int count) {
  const auto device = Device();
  if (!device || count < 0) throw EComPort(kWriteError);
  const long n = device->Write(buffer, static_cast<std::uint32_t>(count), -1);
  if (n < 0) throw EComPort(kWriteError);
  return static_cast<int>(n);
}

int TBComPort::WriteWithin(const std::uint8_t* buffer, int count, int timeoutMs) {
  const auto device = Device();
  if (!device || count < 0) throw EComPort(kWriteError);
  const long n = device->Write(buffer, static_cast<std::uint32_t>(count), std::max(timeoutMs, 0));
  if (n < 0) throw EComPort(kWriteError);
  return static_cast<int>(n);
}

int TBComPort::Read(std::uint8_t* buffer, int count) {
  const auto device = Device();
  if (!device || count < 0) throw EComPort(kReadError);
  const long n = device->Read(buffer, static_cast<std::uint32_t>(count));
  if (n < 0) throw EComPort(kReadError);
  return static_cast<int>(n);
}

int TBComPort::InputCount() {
  const auto device = Device();
  sd::CommStatus status;
  if (!device || !device->ClearCommError(&status)) throw EComPort(kClearCommErrorError);
  // The query also clears the line errors: keep them for the error dispatcher, which would
  // otherwise find nothing when the error event of the same errors comes.
  if (status.errors) keptErrors_.fetch_or(status.errors);
  return static_cast<int>(status.inQueue);
}

int TBComPort::OutputCount() {
  const auto device = Device();
  std::uint32_t count = 0;
  if (!device || !device->OutputQueue(&count)) throw EComPort(kClearCommErrorError);
  return static_cast<int>(count);
}

TComSignals TBComPort::ModemSignals() {
  const auto device = Device();
  std::uint32_t status = 0;
  if (!device || !device->GetCommModemStatus(&status)) throw EComPort(kModemStatusError);
  TComSignals lines;
  if (status & sd::kMsCtsOn) lines.Include(csCTS);
  if (status & sd::kMsDsrOn) lines.Include(csDSR);
  if (status & sd::kMsRingOn) lines.Include(csRing);
  if (status & sd::kMsRlsdOn) lines.Include(csRLSD);
  return lines;
}

void TBComPort::SetDTR(bool on) {
  const auto device = Device();
  if (!device || !device->EscapeCommFunction(on ? sd::kSetDtr : sd::kClrDtr))
    throw EComPort(kEscapeError);
}

void TBComPort::SetRTS(bool on) {
  const auto device = Device();
  if (!device || !device->EscapeCommFunction(on ? sd::kSetRts : sd::kClrRts))
    throw EComPort(kEscapeError);
}

void TBComPort::Purge() {
  const auto device = Device();
  if (!device || !device->PurgeComm(sd::kPurgeTxAbort | sd::kPurgeRxAbort))
    throw EComPort(kPurgeError);
}

// ---------------------------------------------------------------- TBComPort: settings

void TBComPort::ApplySettings() {
  ApplyBuffers();
  ApplyDCB();
  ApplyTimeouts();
}

void TBComPort::ApplyBuffers() {
  if (!connected_.load()) return;
  const auto device = Device();
  if (!device || !device->SetupComm(static_cast<std::uint32_t>(inBufSize_),
                                    static_cast<std::uint32_t>(outBufSize_)))
    throw EComPort(kSetupCommError);
}

void TBComPort::ApplyDCB() {
  if (!connected_.load()) return;
  sd::DeviceControlBlock dcb;
  dcb.length = sd::kDcbSize;
  dcb.baudRate = BaudRateValue(baudRate_);
  dcb.flags = sd::kDcbBinary | sd::kDcbDtrControlEnable | sd::kDcbRtsControlEnable;
  if (parity_ != paNone) dcb.flags |= sd::kDcbParity;
  dcb.byteSize = static_cast<std::uint8_t>(5 + byteSize_);
  dcb.parity = static_cast<std::uint8_t>(parity_);
  dcb.stopBits = static_cast<std::uint8_t>(stopBits_);
  dcb.xonChar = 0x11;
  dcb.xoffChar = 0x13;
  const auto device = Device();
  if (!device || !device->SetCommState(dcb)) throw EComPort(kSetCommStateError);
}

void TBComPort::ApplyTimeouts() {
  if (!connected_.load()) return;
  auto value = [](std::int32_t v) { return v < 0 ? sd::kMaxDword : static_cast<std::uint32_t>(v); };
  sd::CommTimeouts t;
  t.readInterval = value(timeouts_.ReadInterval());
  t.readTotalMultiplier = value(timeouts_.ReadTotalMultiplier());
  t.readTotalConstant = value(timeouts_.ReadTotalConstant());
  t.writeTotalMultiplier = value(timeouts_.WriteTotalMultiplier());
  t.writeTotalConstant = value(timeouts_.WriteTotalConstant());
  const auto device = Device();
  if (!device || !device->SetCommTimeouts(t)) throw EComPort(kSetCommTimeoutsError);
}

void TBComPort::SetBaudRate(TBaudRate value) {
  if (value == baudRate_) return;
  baudRate_ = value;
  ApplyDCB();
}

void TBComPort::SetByteSize(TByteSize value) {
  if (value == byteSize_) return;
  byteSize_ = value;
  ApplyDCB();
}

void TBComPort::SetParity(TParity value) {
  if (value == parity_) return;
  parity_ = value;
  ApplyDCB();
}

void TBComPort::SetStopBits(TStopBits value) {
  if (value == stopBits_) return;
  stopBits_ = value;
  ApplyDCB();
}

void TBComPort::SetInBufSize(int value) {
  if (value > 0 && value % 2 != 0) --value;  // the driver wants even sizes
  if (value == inBufSize_) return;
  inBufSize_ = value;
  ApplyBuffers();
}

void TBComPort::SetOutBufSize(int value) {
  if (value > 0 && value % 2 != 0) --value;
  if (value == outBufSize_) return;
  outBufSize_ = value;
  ApplyBuffers();
}

void TBComPort::SetPort(const QString& value) {
  if (connected_.load()) throw EComPort(kPortOpenError);
  port_ = value;
}

void TBComPort::SetSyncMethod(TSyncMethod value) {
  if (value == syncMethod_.load()) return;
  if (connected_.load()) throw EComPort(kPortOpenError);
  syncMethod_.store(value);
}

void TBComPort::SetTimeouts(const TComTimeouts& value) {
  timeouts_.Assign(value);
  ApplyTimeouts();
}

// ---------------------------------------------------------------- TBComPort: events

void TBComPort::PostEvents(ThreadInbox* target, TComEvents events, std::uint64_t session,
                           bool eachApart, std::function<void()> done) {
  // Runs on the event thread. The target lives on the owner's thread and is deleted by Close
  // only after this thread has ended, so it is valid here; a delivery that reaches it after
  // the port was closed (or reopened) finds another session and does nothing.
  auto deliver = [this, session](TComEvents which) {
    if (session != session_ || !Connected()) return;
    ++deliveryDepth_;
    DoEventsGuarded(which);
    --deliveryDepth_;
  };
  if (!eachApart) {
    target->Post([deliver, events, done] {
      deliver(events);
      if (done) done();
    });
    return;
  }
  for (TComEvent e : kDispatchOrder)
    if (events.Contains(e)) target->Post([deliver, e] { deliver(TComEvents{e}); });
}

void TBComPort::DoEvents(TComEvents events) {
  for (TComEvent e : kDispatchOrder) {
    if (!events.Contains(e)) continue;
    if (!Connected()) return;  // a handler closed the port
    Dispatch(e);
  }
}

void TBComPort::DoEventsGuarded(TComEvents events) {
  try {
    DoEvents(events);
  } catch (const EComPort& e) {
    ShowHandlerError(e.Message());
  } catch (const std::exception& e) {
    ShowHandlerError(QString::fromUtf8(e.what()));
  }
}

void TBComPort::Dispatch(TComEvent event) {
  switch (event) {
    case evError:
      DoError();
      break;
    case evRxChar:
      DoRxChar();
      break;
    case evTxEmpty:
      if (OnTxEmpty) OnTxEmpty(this);
      break;
    case evRing:
      if (OnRing) OnRing(this);
      break;
    case evCTS:
      DoSignal(OnCTSChange, csCTS);
      break;
    case evDSR:
      DoSignal(OnDSRChange, csDSR);
      break;
    case evRLSD:
      DoSignal(OnRLSDChange, csRLSD);
      break;
    case evRx80Full:
      if (OnRx80Full) OnRx80Full(this);
      break;
  }
}

void TBComPort::DoError() {
  const auto device = Device();
  sd::CommStatus status;
  if (!device || !device->ClearCommError(&status)) throw EComPort(kClearCommErrorError);
  status.errors |= keptErrors_.exchange(0);
  TComErrors errors;
  if (status.errors & sd::kCeFrame) errors.Include(ceFrame);
  if ((status.errors & sd::kCeRxParity) && parity_ != paNone) errors.Include(ceRxParity);
  if (status.errors & sd::kCeOverrun) errors.Include(ceOverrun);
  if (status.errors & sd::kCeRxOver) errors.Include(ceRxOver);
  if (status.errors & sd::kCeTxFull) errors.Include(ceTxFull);
  if (status.errors & sd::kCeBreak) errors.Include(ceBreak);
  if (status.errors & sd::kCeIoError) errors.Include(ceIO);
  if (status.errors & sd::kCeMode) errors.Include(ceMode);
  if (!errors.Empty() && OnError) OnError(this, errors);
}

void TBComPort::DoRxChar() {
  const int count = InputCount();
  if (count > 0 && OnRxChar) OnRxChar(this, count);
}

void TBComPort::DoSignal(const TComSignalEvent& handler, TComSignal line) {
  if (handler) handler(this, ModemSignals().Contains(line));
}

void TBComPort::ShowHandlerError(const QString& message) {
  if (OnHandlerError)
    OnHandlerError(message);
  else
    qWarning("%s", qPrintable(message));
}

}  // namespace kalvetro
