// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/DmxLink.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

#include "output/DmxPacket.h"
#include "output/OutputPeriod.h"
#include "serial/BCPort.h"
#include "serial/ThreadInbox.h"

namespace kalvetro {

namespace {

constexpr long long kTickMicros = std::chrono::microseconds(kOutputPeriod).count();
// How long one tick may spend writing. The driver's queue had room for the packet (the
// line-time check), so a healthy write takes far less; a full queue costs at most this.
constexpr int kWriteBudgetMs = 20;

}  // namespace

DmxLink::DmxLink(const QString& port, std::atomic<TitlePrefixId>& titlePrefix, QObject* parent)
    : QObject(parent), titlePrefix_(titlePrefix) {
  setObjectName(QStringLiteral("DmxLink"));
  fromTick_ = new ThreadInbox(this);
  comPort_ = new TBComPort(this);
  comPort_->setObjectName(QStringLiteral("BComPort"));
  comPort_->SetBaudRate(br115200);
  comPort_->SetByteSize(bs8);
  comPort_->SetParity(paNone);
  comPort_->SetStopBits(sb1);
  comPort_->SetPort(port);
  comPort_->SetInBufSize(2048);
  comPort_->SetOutBufSize(2048);
  comPort_->SetSyncMethod(smThreadSync);
  TComTimeouts timeouts;
  timeouts.SetReadInterval(-1);
  timeouts.SetReadTotalMultiplier(0);
  timeouts.SetReadTotalConstant(0);
  timeouts.SetWriteTotalMultiplier(100);
  timeouts.SetWriteTotalConstant(1000);
  comPort_->SetTimeouts(timeouts);
  comPort_->OnCTSChange = [this](TBComPort*, bool state) { emit CtsChanged(state); };
  comPort_->OnDSRChange = [this](TBComPort*, bool state) { emit DsrChanged(state); };
  comPort_->OnRLSDChange = [this](TBComPort*, bool state) { emit RlsdChanged(state); };
  comPort_->OnRxChar = [this](TBComPort*, int count) { ReceiveBytes(count); };
  comPort_->OnHandlerError = [this](const QString& message) { emit ErrorMessage(message); };
  reopenTimer_ = new QTimer(this);
  reopenTimer_->setObjectName(QStringLiteral("TimerReopen"));
  reopenTimer_->setInterval(kReopenIntervalMs);
  connect(reopenTimer_, &QTimer::timeout, this, &DmxLink::TryReopen);
}

DmxLink::~DmxLink() {
  // The event thread ends before the handlers' targets go.
  comPort_->Close();
}

QString DmxLink::Port() const {
  return comPort_->Port();
}

// ---------------------------------------------------------------- start-up and shutdown

Result DmxLink::OpenAtStart() {
  emit CtsChanged(false);
  emit DsrChanged(false);
  emit RlsdChanged(false);
  Result opened = OpenPort();
  if (opened.ok) StartLines();
  return opened;
}

void DmxLink::StartLines() {
  SetDTR(true);
  SetRTS(true);
  ReadLines();
}

void DmxLink::ReadLines() {
  try {
    const TComSignals lines = comPort_->ModemSignals();
    emit CtsChanged(lines.Contains(csCTS));
    emit DsrChanged(lines.Contains(csDSR));
    emit RlsdChanged(lines.Contains(csRLSD));
  } catch (const EComPort& e) {
    emit ErrorMessage(e.Message());
  }
}

void DmxLink::CloseAtShutdown() {
  lost_ = false;  // a lost port is no longer looked for
  reopenTimer_->stop();
  if (!comPort_->Connected()) return;
  // The tick stops sending before the port goes.
  portOpen_.store(false);
  try {
    comPort_->SetRTS(false);
    comPort_->SetDTR(false);
  } catch (const EComPort&) {
    // A device that has gone cannot lower its lines; it is closed all the same.
  }
  comPort_->Close();
}

void DmxLink::EnterDemoMode() {
  demo_.store(true);
  titlePrefix_.store(TitlePrefixId::DemoModeStart);
  emit DemoModeEntered();
}

void DmxLink::PortOpened() {
  openGeneration_.fetch_add(1);
  portOpen_.store(true);
}

// ---------------------------------------------------------------- output thread

void DmxLink::SendPacket(const OutputFrames& frames) {
  if (demo_.load(std::memory_order_relaxed)) return;
  if (!portOpen_.load()) {
    titlePrefix_.store(TitlePrefixId::DemoModeLink);
    return;
  }
  const unsigned generation = openGeneration_.load();
  if (tailLength_ != 0 && tailGeneration_ != generation) tailLength_ = 0;  // another port now
  // The port is open again after a loss: the caption stops saying that the link is down.
  if (titlePrefix_.load(std::memory_order_relaxed) == TitlePrefixId::DemoModeLink) {
    TitlePrefixId down = TitlePrefixId::DemoModeLink;
    titlePrefix_.compare_exchange_strong(down, TitlePrefixId::Running, std::memory_order_relaxed);
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    int budget = kWriteBudgetMs;
    if (tailLength_ != 0) {
      // The rest of a torn packet goes first: the interface must see it end before a new
      // header starts. Until it has gone, this tick's packet is dropped whole.
      const int written = comPort_->WriteWithin(sendBuffer_.data() + tailStart_,
                                                static_cast<int>(tailLength_), budget);
      tailStart_ += static_cast<std::uint32_t>(written);
      tailLength_ -= static_cast<std::uint32_t>(written);
      if (tailLength_ != 0) {
        dropped_.fetch_add(1);
        return;
      }
      tails_.fetch_add(1);
      const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start);
      budget = std::max(0, kWriteBudgetMs - static_cast<int>(spent.count()));
    }
    sendLength_ = static_cast<std::uint32_t>(BuildDmxPacket(frames, sendBuffer_));
    // A packet that would still be on the line when the next tick comes is dropped: queued
    // behind the last one, the output would lag the show more and more.
    const int queued = comPort_->OutputCount();
    if (!PacketFitsPeriod(static_cast<std::size_t>(queued), sendLength_, kDmxLinkBaud,
                          kTickMicros)) {
      dropped_.fetch_add(1);
      return;
    }
    // Where the driver cannot tell how full its queue is (a pseudo-terminal, some USB
    // bridges report 0), a short write tells: the rest becomes the tail.
    const int written =
        comPort_->WriteWithin(sendBuffer_.data(), static_cast<int>(sendLength_), budget);
    if (written == static_cast<int>(sendLength_)) {
      sent_.fetch_add(1);
    } else if (written <= 0) {
      dropped_.fetch_add(1);  // not a byte left: nothing torn
    } else {
      tailStart_ = static_cast<std::uint32_t>(written);
      tailLength_ = sendLength_ - tailStart_;
      tailGeneration_ = generation;
    }
  } catch (const EComPort&) {
    // Whatever step failed (the queue query or the write), the packet could not be written.
    tailLength_ = 0;
    ReportLinkFailure(QString::fromUtf8(comport_messages::kWriteError));
  }
}

void DmxLink::ReportLinkFailure(const QString& message) {
  // Only the first failure of an open port is reported; from then on the port counts as
  // closed, and the tick goes on without it.
  if (!portOpen_.exchange(false)) return;
  const unsigned generation = openGeneration_.load();
  fromTick_->Post([this, message, generation] {
    emit StatusMessage(message);
    PortLost(generation);
  });
}

// ---------------------------------------------------------------- losing and finding the port

void DmxLink::PortLost(unsigned generation) {
  // Another port opened meanwhile (the operator's choice) is not touched.
  if (generation != openGeneration_.load() || portOpen_.load()) return;
  // Release the device: a USB interface that was unplugged gets its name back when it returns
  // only once nobody holds the old one.
  comPort_->Close();
  lost_ = true;
  UpdateReopenTimer();
}

bool DmxLink::Reopening() const {
  return reopenTimer_->isActive();
}

void DmxLink::UpdateReopenTimer() {
  if (lost_ && !demo_.load()) {
    if (!reopenTimer_->isActive()) reopenTimer_->start();
  } else {
    reopenTimer_->stop();
  }
}

void DmxLink::TryReopen() {
  if (portOpen_.load()) lost_ = false;
  if (!lost_ || demo_.load()) {
    UpdateReopenTimer();
    return;
  }
  try {
    comPort_->Open();
  } catch (const EComPort&) {
    return;  // not back yet (or taken by another program): the next attempt follows
  }
  lost_ = false;
  UpdateReopenTimer();
  // The lines as at start-up, then the tick may send.
  StartLines();
  PortOpened();
  titlePrefix_.store(TitlePrefixId::Running);
  emit StatusMessage(QString::fromUtf8(kPortReopenedText) + comPort_->Port());
}

// ---------------------------------------------------------------- operator's choices

void DmxLink::SetDemo(bool on) {
  demo_.store(on);
  titlePrefix_.store(on ? TitlePrefixId::DemoModeStart : TitlePrefixId::Running);
  // Demo mode sends nothing, so a lost port is not looked for while it is on.
  UpdateReopenTimer();
}

void DmxLink::SetRTS(bool on) {
  try {
    comPort_->SetRTS(on);
  } catch (const EComPort& e) {
    emit ErrorMessage(e.Message());
  }
}

void DmxLink::SetDTR(bool on) {
  try {
    comPort_->SetDTR(on);
  } catch (const EComPort& e) {
    emit ErrorMessage(e.Message());
  }
}

Result DmxLink::ChangePort(const QString& port) {
  portOpen_.store(false);
  // The operator's port replaces a lost one: the old one is no longer looked for.
  lost_ = false;
  UpdateReopenTimer();
  comPort_->Close();
  comPort_->SetPort(port);
  return OpenPort();
}

Result DmxLink::OpenPort() {
  try {
    comPort_->Open();
  } catch (const EComPort& e) {
    EnterDemoMode();
    return Result::Fail(e.Message().toStdString());
  }
  PortOpened();
  return Result::Ok();
}

void DmxLink::ReceiveBytes(int count) {
  rxReady_ = 0;
  // A notification larger than the buffer reads what fits; the rest waits for the next one.
  const int wanted = std::min(count, static_cast<int>(rxBuffer_.size()));
  try {
    rxCount_ = comPort_->Read(rxBuffer_.data(), wanted);
  } catch (const EComPort& e) {
    rxCount_ = 0;
    emit StatusMessage(e.Message());
  }
  std::copy_n(rxBuffer_.begin(), rxCount_, rxCopy_.begin());
  rxReady_ = 1;
}

}  // namespace kalvetro
