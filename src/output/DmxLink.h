// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>

#include "output/OutputSink.h"
#include "show/Result.h"
#include "show/TitlePrefix.h"

namespace kalvetro {

class TBComPort;
class ThreadInbox;

// The port the console opens when none is named (the first serial port).
inline constexpr char kDefaultPort[] = "COM1";
// The status line text when a lost port has been opened again; the port name follows.
inline constexpr char kPortReopenedText[] = " Порт снова открыт: ";
// How often a lost port is tried again, in ms.
inline constexpr int kReopenIntervalMs = 250;

// The link to the DMX interface on a serial port: it owns the port component comPort_, sends
// one packet per output tick (SendPacket), keeps demo mode, and passes the line states and the
// bytes the interface sends back to whoever shows them. No widget: the link group on the
// options page only shows it and forwards the operator's choices.
//
// Packets on the wire are always whole. A packet that cannot leave the line within its tick
// is dropped before its first byte; a packet the driver took only part of keeps its unwritten
// tail, which goes out first on the following ticks, and until it has left every new packet is
// dropped whole. So the interface never meets a header inside a torn packet, and nothing is
// queued behind the tail.
//
// A port whose device disappears (a USB interface pulled out) fails its next write: the link
// says so once, releases the device and, while demo mode is off, tries the same port again
// every kReopenIntervalMs on the user-interface thread. When the device is back under the same
// name it is opened, its lines raised, the status line says so and the next tick sends again.
// Nothing is kept for the time without a port: the first packet after the return is the
// frame of that tick.
class DmxLink : public QObject, public OutputSink {
  Q_OBJECT

 public:
  DmxLink(const QString& port, std::atomic<TitlePrefixId>& titlePrefix, QObject* parent = nullptr);
  ~DmxLink() override;

  // Start-up: the port is opened and its lines raised; failure enters demo mode (the demo
  // flag is set, the caption says so and DemoModeEntered is emitted) and says why the port did
  // not open.
  Result OpenAtStart();
  // Shutdown: lowers RTS and DTR and closes the port when it is open.
  void CloseAtShutdown();

  // The output tick's call, on the output thread.
  void WriteFrame(const OutputFrames& frames) override { SendPacket(frames); }
  // Sends the frame as one packet. It never blocks past its budget within the tick; a failed
  // write is reported once (status line) and leaves the port closed.
  void SendPacket(const OutputFrames& frames);

  // The operator's choices (user-interface thread).
  void SetDemo(bool on);
  bool Demo() const { return demo_.load(); }
  // Closes the port and opens the named one; when it does not open, demo mode is entered and
  // the result says why.
  Result ChangePort(const QString& port);
  void SetRTS(bool on);
  void SetDTR(bool on);
  QString Port() const;
  bool PortOpen() const { return portOpen_.load(); }
  // The port failed and is being tried again (user-interface thread).
  bool Reopening() const;

  TBComPort& ComPort() { return *comPort_; }

  // Packets written whole; packets dropped whole (the line still busy, or a torn packet's tail
  // still waiting); torn packets whose tail was written on a later tick.
  long SentPackets() const { return sent_.load(); }
  long DroppedPackets() const { return dropped_.load(); }
  long CompletedTails() const { return tails_.load(); }

  // What the interface sent back last (user-interface thread): RxReady() once a read happened.
  bool RxReady() const { return rxReady_ == 1; }
  std::uint8_t RxByte(int index) const { return rxCopy_[index]; }

 signals:
  void CtsChanged(bool on);
  void DsrChanged(bool on);
  void RlsdChanged(bool on);
  void DemoModeEntered();
  // A message for a message box, and one for the status line.
  void ErrorMessage(const QString& text);
  void StatusMessage(const QString& text);

 private:
  // Opens the port named in comPort_; failure enters demo mode. The serial port's exceptions
  // end here: what goes out is a result.
  Result OpenPort();
  void EnterDemoMode();
  void PortOpened();
  // A port just opened: DTR and RTS raised and the input lines shown.
  void StartLines();
  void ReadLines();
  void ReceiveBytes(int count);
  // From the output thread: hands a write failure to the user-interface thread once.
  void ReportLinkFailure(const QString& message);
  // User-interface thread: the port of this generation failed; release it and try again.
  void PortLost(unsigned generation);
  // One attempt to open the lost port again (the reopen timer).
  void TryReopen();
  // Starts or stops the reopen timer as the lost state and demo mode ask.
  void UpdateReopenTimer();

  static constexpr std::size_t kBufferSize = 10004;

  std::atomic<TitlePrefixId>& titlePrefix_;
  TBComPort* comPort_ = nullptr;

  // Output thread only.
  std::array<std::uint8_t, kBufferSize> sendBuffer_{};
  std::uint32_t sendLength_ = 0;
  std::uint32_t tailStart_ = 0;   // first unwritten byte of a torn packet
  std::uint32_t tailLength_ = 0;  // bytes of it still to write; 0: no torn packet
  unsigned tailGeneration_ = 0;   // the port the torn packet was started on

  // User-interface thread only.
  std::array<std::uint8_t, kBufferSize> rxBuffer_{};
  std::array<std::uint8_t, kBufferSize> rxCopy_{};
  std::int32_t rxCount_ = 0;
  std::uint8_t rxReady_ = 0;
  bool lost_ = false;  // the port failed and has not been opened again or replaced
  QTimer* reopenTimer_ = nullptr;
  ThreadInbox* fromTick_ = nullptr;  // what the tick hands to this object's thread

  // Shared with the output thread.
  std::atomic<bool> demo_{false};
  std::atomic<bool> portOpen_{false};
  std::atomic<unsigned> openGeneration_{0};
  std::atomic<long> sent_{0};
  std::atomic<long> dropped_{0};
  std::atomic<long> tails_{0};
};

}  // namespace kalvetro
