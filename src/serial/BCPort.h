// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TBComPort: a self-contained serial port component. It opens a port, configures line,
// buffers and time-outs, writes and reads blocks that return when they are complete, sets and
// reads the modem lines, and runs one event thread (TComThread) that waits for line events and
// delivers them to the owner's handlers. It moves bytes and knows nothing of what they mean.

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "serial/platform/SerialDevice.h"

namespace kalvetro {

enum TBaudRate {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum TByteSize { bs5, bs6, bs7, bs8 };
enum TParity { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits { sb1, sb1_5, sb2 };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };

enum TComEvent { evRxChar, evTxEmpty, evRing, evCTS, evDSR, evRLSD, evError, evRx80Full };
enum TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TComSignal { csCTS, csDSR, csRing, csRLSD };

// The baud rate of each TBaudRate, indexed by its ordinal.
std::uint32_t BaudRateValue(TBaudRate rate);

// A set of up to eight elements of an enumeration, one bit per element (bit n = element n).
template <typename E>
class TSmallSet {
 public:
  constexpr TSmallSet() = default;
  constexpr TSmallSet(std::initializer_list<E> elements) {
    for (E e : elements) Include(e);
  }
  static constexpr TSmallSet FromBits(std::uint8_t bits) {
    TSmallSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr bool Contains(E e) const { return bits_ & Bit(e); }
  constexpr void Include(E e) { bits_ = static_cast<std::uint8_t>(bits_ | Bit(e)); }
  constexpr void Exclude(E e) { bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(e)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const TSmallSet&) const = default;

 private:
  static constexpr std::uint8_t Bit(E e) { return static_cast<std::uint8_t>(1u << e); }
  std::uint8_t bits_ = 0;
};

using TComEvents = TSmallSet<TComEvent>;
using TComErrors = TSmallSet<TComError>;
using TComSignals = TSmallSet<TComSignal>;

// The system event mask of a set of events, and back.
std::uint32_t EventMask(TComEvents events);
TComEvents EventsFromMask(std::uint32_t mask);

// The component's error; what() is the Russian message in UTF-8.
class EComPort : public std::runtime_error {
 public:
  explicit EComPort(const char* message) : std::runtime_error(message) {}
  QString Message() const { return QString::fromUtf8(what()); }
};

// The messages of EComPort.
namespace comport_messages {
inline constexpr char kNoSuchPort[] = "Попытка открыть несуществующий COM-порт";
inline constexpr char kPortBusy[] = "Порт занят другой программой";
inline constexpr char kWriteError[] = "Ошибка записи в порт";
inline constexpr char kReadError[] = "Ошибка чтения из порта";
inline constexpr char kPurgeError[] = "Ошибка функции PurgeComm";
inline constexpr char kSetCommStateError[] = "Ошибка функции SetCommState";
inline constexpr char kSetCommTimeoutsError[] = "Ошибка функции SetCommTimeouts";
inline constexpr char kSetupCommError[] = "Ошибка функции SetupComm";
inline constexpr char kClearCommErrorError[] = "Ошибка функции ClearCommError";
inline constexpr char kModemStatusError[] = "Ошибка функции GetCommModemStatus";
inline constexpr char kEscapeError[] = "Ошибка функции EscapeCommFunction";
inline constexpr char kPortOpenError[] = "Нельзя менять свойство, пока порт открыт";
}  // namespace comport_messages

class TBComPort;
class ThreadInbox;

// The five time-outs of the port in ms. Each setter stores a changed value and then has the
// owner apply the time-outs to the open device.
class TComTimeouts {
 public:
  explicit TComTimeouts(TBComPort* owner = nullptr) : owner_(owner) {}
  // Copies the five values; no setter runs and nothing is applied.
  void Assign(const TComTimeouts& source);

  std::int32_t ReadInterval() const { return readInterval_; }
  std::int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
  std::int32_t ReadTotalConstant() const { return readTotalConstant_; }
  std::int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
  std::int32_t WriteTotalConstant() const { return writeTotalConstant_; }
  void SetReadInterval(std::int32_t value) { Set(readInterval_, value); }
  void SetReadTotalMultiplier(std::int32_t value) { Set(readTotalMultiplier_, value); }
  void SetReadTotalConstant(std::int32_t value) { Set(readTotalConstant_, value); }
  void SetWriteTotalMultiplier(std::int32_t value) { Set(writeTotalMultiplier_, value); }
  void SetWriteTotalConstant(std::int32_t value) { Set(writeTotalConstant_, value); }

 private:
  void Set(std::int32_t& field, std::int32_t value);

  TBComPort* owner_;
  std::int32_t readInterval_ = -1;
  std::int32_t readTotalMultiplier_ = 0;
  std::int32_t readTotalConstant_ = 0;
  std::int32_t writeTotalMultiplier_ = 100;
  std::int32_t writeTotalConstant_ = 1000;
};

// The event thread of an open port: waits for line events and hands them to the owner
// according to its SyncMethod.
class TComThread {
 public:
  TComThread(TBComPort& owner, std::shared_ptr<serial::SerialDevice> device);
  // Stops the thread and waits for it to end (from a handler on the thread itself it only
  // stops it).
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  // Signals the stop event and releases a delivery that waits for the owner's thread.
  void Stop();

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

class TBComPort : public QObject {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TBComPort* sender)>;
  using TComSignalEvent = std::function<void(TBComPort* sender, bool state)>;
  using TComErrorEvent = std::function<void(TBComPort* sender, TComErrors errors)>;
  using TRxCharEvent = std::function<void(TBComPort* sender, int count)>;

  explicit TBComPort(QObject* parent = nullptr);
  ~TBComPort() override;

  // Lifecycle. Open returns true or raises EComPort; Close always returns true.
  bool Open();
  bool Close();
  bool Connected() const { return connected_.load(); }

  // Blocking transfers; each returns the number of bytes transferred. Write is bounded by
  // the write time-outs, Read by the read time-outs.
  int Write(const std::uint8_t* buffer, int count);
  int Read(std::uint8_t* buffer, int count);
  // A write bounded by timeoutMs alone, for a caller that must keep a period (the output
  // tick): returns the bytes handed to the driver within the time.
  int WriteWithin(const std::uint8_t* buffer, int count, int timeoutMs);
  // Bytes waiting in the input queue, and bytes written but not yet sent.
  int InputCount();
  int OutputCount();
  TComSignals ModemSignals();
  void SetDTR(bool on);
  void SetRTS(bool on);
  void Purge();
  void ApplySettings();
  void ApplyBuffers();
  void ApplyDCB();
  void ApplyTimeouts();

  // Properties.
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  TByteSize ByteSize() const { return byteSize_; }
  void SetByteSize(TByteSize value);
  int InBufSize() const { return inBufSize_; }
  void SetInBufSize(int value);
  int OutBufSize() const { return outBufSize_; }
  void SetOutBufSize(int value);
  TParity Parity() const { return parity_; }
  void SetParity(TParity value);
  const QString& Port() const { return port_; }
  void SetPort(const QString& value);
  TSyncMethod SyncMethod() const { return syncMethod_.load(); }
  void SetSyncMethod(TSyncMethod value);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  TComTimeouts& Timeouts() { return timeouts_; }
  void SetTimeouts(const TComTimeouts& value);
  TComEvents Events() const { return events_; }

  // Events; unassigned ones are skipped. OnTxEmpty, OnRing and OnRx80Full are handed over
  // only when they were assigned before Open (a transmit-empty event follows every write).
  TComSignalEvent OnCTSChange;
  TComSignalEvent OnDSRChange;
  TComErrorEvent OnError;
  TNotifyEvent OnRing;
  TComSignalEvent OnRLSDChange;
  TNotifyEvent OnRx80Full;
  TRxCharEvent OnRxChar;
  TNotifyEvent OnTxEmpty;
  // Shows an EComPort that an event handler raised (the thread continues). Called on the
  // thread the handler ran on; without it the message goes to the Qt log.
  std::function<void(const QString& message)> OnHandlerError;

 private:
  friend class TComThread;
  friend class TComTimeouts;

  std::shared_ptr<serial::SerialDevice> Device() const { return device_.load(); }
  // Runs the dispatchers of the fired events in their fixed order.
  void DoEvents(TComEvents events);
  // DoEvents with errors of the handlers shown instead of thrown.
  void DoEventsGuarded(TComEvents events);
  void Dispatch(TComEvent event);
  void DoError();
  void DoRxChar();
  void DoSignal(const TComSignalEvent& handler, TComSignal line);
  void ShowHandlerError(const QString& message);
  // The delivery of events by the event thread.
  void PostEvents(ThreadInbox* target, TComEvents events, std::uint64_t session, bool eachApart,
                  std::function<void()> done);
  void DestroySyncTarget();

  TBaudRate baudRate_ = br9600;
  TByteSize byteSize_ = bs8;
  int inBufSize_ = 2048;
  int outBufSize_ = 2048;
  TParity parity_ = paNone;
  QString port_ = QStringLiteral("COM2");
  std::atomic<TSyncMethod> syncMethod_{smThreadSync};
  TStopBits stopBits_ = sb1;
  TComTimeouts timeouts_{this};
  const TComEvents events_{evRxChar, evTxEmpty, evRing, evCTS, evDSR, evRLSD, evError, evRx80Full};

  std::atomic<bool> connected_{false};
  std::atomic<std::uint32_t> keptErrors_{0};  // line errors cleared by InputCount
  std::atomic<std::shared_ptr<serial::SerialDevice>> device_;
  std::unique_ptr<TComThread> thread_;
  // Receiver on the owner's thread for the deliveries of one open session (the hidden window
  // of window synchronisation); deliveries of an earlier session are dropped.
  ThreadInbox* syncTarget_ = nullptr;
  std::uint64_t session_ = 0;
  int deliveryDepth_ = 0;
};

}  // namespace kalvetro
