#pragma once

#include <QColor>
#include <QGroupBox>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTimer;

namespace kalvetro {

class ConsoleHost;
class TBComPort;

// A line-state lamp: a small rounded shape without outline, filled with one colour.
class LedShape : public QWidget {
  Q_OBJECT

 public:
  explicit LedShape(QWidget* parent);
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_{192, 192, 192};  // silver until start-up switches the lamps off
};

// The group "Состояние порта COM" on the tab "Опции": the link to the DMX interface. It owns
// the serial port component BComPort, sends one packet per output tick, lets the operator
// work in demo mode, choose the port and drive RTS and DTR, shows CTS, DSR and RLSD and three
// bytes of what the interface sends back.
class DmxLinkPanel : public QGroupBox {
  Q_OBJECT

 public:
  DmxLinkPanel(ConsoleHost& host, QString port, QWidget* parent);
  ~DmxLinkPanel() override;

  // Start-up: lamps off, then the port is opened; failure enters demo mode. Returns whether
  // the port is open.
  bool OpenAtStart();
  // Shutdown: lowers RTS and DTR and closes the port when it is open.
  void CloseAtShutdown();
  // Last step of every output tick, on the output thread: sends the frame as one packet. It
  // never blocks past the tick: a packet that cannot leave the line within the tick is
  // dropped, and a failed write is reported once and leaves the port closed.
  void SendToCom();

  // Handlers.
  void CheckBoxDemoClick();
  void CheckBoxRTSClick();
  void CheckBoxDTRClick();
  void ComboBoxPortChange();
  void BComPortRxChar(int count);
  void BComPortCTSChange(bool state) { SetLedCTS(state); }
  void BComPortDSRChange(bool state) { SetLedDSR(state); }
  void BComPortRLSDChange(bool state) { SetLedRLSD(state); }
  void SetLedCTS(bool on);
  void SetLedDSR(bool on);
  void SetLedRLSD(bool on);
  void TimerMemoTimer();

  TBComPort& ComPort() { return *BComPort; }
  // Packets written whole, and packets dropped because the line was still busy or the
  // driver took only part of them in time.
  long SentPackets() const { return sent_.load(); }
  long DroppedPackets() const { return dropped_.load(); }

  // Controls.
  LedShape* ShapeCTS = nullptr;
  LedShape* ShapeDSR = nullptr;
  LedShape* ShapeRLSD = nullptr;
  QCheckBox* CheckBoxRTS = nullptr;
  QCheckBox* CheckBoxDTR = nullptr;
  QCheckBox* CheckBoxDemo = nullptr;
  QComboBox* ComboBoxPort = nullptr;
  QPlainTextEdit* MemoCOM = nullptr;
  QLabel* lb01 = nullptr;
  QLabel* lb02 = nullptr;
  QLabel* lb03 = nullptr;
  QTimer* TimerMemo = nullptr;

 private:
  void BuildControls(const QString& port);
  void EnterDemoMode();
  void PortOpened();
  // From the output thread: hands a write failure to the user-interface thread once.
  void ReportLinkFailure(const QString& message);
  void ShowError(const QString& message);

  static constexpr std::size_t kBufferSize = 10004;

  ConsoleHost& host_;
  TBComPort* BComPort = nullptr;

  // Output thread only.
  std::array<std::uint8_t, kBufferSize> SendBuffer{};
  std::uint32_t SendLength = 0;
  // User-interface thread only.
  std::array<std::uint8_t, kBufferSize> RxBuffer{};
  std::array<std::uint8_t, kBufferSize> RxCopy{};
  std::int32_t RxCount = 0;
  std::uint8_t RxReady = 0;

  // Mirrored by the user-interface thread for the output thread.
  std::atomic<bool> demo_{false};
  std::atomic<bool> portOpen_{false};
  std::atomic<unsigned> openGeneration_{0};
  std::atomic<long> sent_{0};
  std::atomic<long> dropped_{0};
};

}  // namespace kalvetro
