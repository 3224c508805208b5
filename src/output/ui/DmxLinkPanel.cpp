#include "output/ui/DmxLinkPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>

#include "output/DmxPacket.h"
#include "serial/BCPort.h"
#include "windows/ConsoleHost.h"
#include "windows/DialogService.h"

namespace kalvetro {

namespace {

constexpr long long kTickMicros = 50000;
// How long the tick may wait for the driver to take a packet. The driver's queue has room
// (the packet passed the line-time check), so a healthy write takes far less.
constexpr int kWriteBudgetMs = 20;

const QColor kCtsOn(255, 0, 0);
const QColor kDsrOn(0, 128, 0);
const QColor kRlsdOn(0, 0, 255);

QColor LampOff(const QWidget* w) {
  return w->palette().color(QPalette::Active, QPalette::Highlight);
}

}  // namespace

// ---------------------------------------------------------------- LedShape

LedShape::LedShape(QWidget* parent) : QWidget(parent) {
  setFixedSize(15, 15);
}

void LedShape::SetColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void LedShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(color_);
  painter.drawRoundedRect(rect(), 4, 4);
}

// ---------------------------------------------------------------- building

DmxLinkPanel::DmxLinkPanel(ConsoleHost& host, QString port, QWidget* parent)
    : QGroupBox(QStringLiteral("Состояние порта COM"), parent), host_(host) {
  setObjectName(QStringLiteral("GroupBoxUSB"));

  BComPort = new TBComPort(this);
  BComPort->setObjectName(QStringLiteral("BComPort"));
  BComPort->SetBaudRate(br115200);
  BComPort->SetByteSize(bs8);
  BComPort->SetParity(paNone);
  BComPort->SetStopBits(sb1);
  BComPort->SetPort(port);
  BComPort->SetInBufSize(2048);
  BComPort->SetOutBufSize(2048);
  BComPort->SetSyncMethod(smThreadSync);
  TComTimeouts timeouts;
  timeouts.SetReadInterval(-1);
  timeouts.SetReadTotalMultiplier(0);
  timeouts.SetReadTotalConstant(0);
  timeouts.SetWriteTotalMultiplier(100);
  timeouts.SetWriteTotalConstant(1000);
  BComPort->SetTimeouts(timeouts);
  BComPort->OnCTSChange = [this](TBComPort*, bool state) { BComPortCTSChange(state); };
  BComPort->OnDSRChange = [this](TBComPort*, bool state) { BComPortDSRChange(state); };
  BComPort->OnRLSDChange = [this](TBComPort*, bool state) { BComPortRLSDChange(state); };
  BComPort->OnRxChar = [this](TBComPort*, int count) { BComPortRxChar(count); };
  BComPort->OnHandlerError = [this](const QString& message) { ShowError(message); };

  BuildControls(port);
}

DmxLinkPanel::~DmxLinkPanel() {
  // The handlers reach the controls: the event thread ends before they go.
  BComPort->Close();
}

void DmxLinkPanel::BuildControls(const QString& port) {
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  auto lamp = [this, grid](LedShape*& shape, const char* name, const char* line, int row) {
    shape = new LedShape(this);
    shape->setObjectName(QString::fromLatin1(name));
    grid->addWidget(shape, row, 0);
    auto* label = new QLabel(QString::fromLatin1(line), this);
    grid->addWidget(label, row, 1);
  };
  lamp(ShapeCTS, "ShapeCTS", "CTS", 0);
  lamp(ShapeDSR, "ShapeDSR", "DSR", 1);
  lamp(ShapeRLSD, "ShapeRLSD", "RLSD", 2);

  CheckBoxRTS = new QCheckBox(QStringLiteral("RTS"), this);
  CheckBoxRTS->setObjectName(QStringLiteral("CheckBoxRTS"));
  grid->addWidget(CheckBoxRTS, 0, 2);
  CheckBoxDTR = new QCheckBox(QStringLiteral("DTR"), this);
  CheckBoxDTR->setObjectName(QStringLiteral("CheckBoxDTR"));
  grid->addWidget(CheckBoxDTR, 1, 2);

  CheckBoxDemo = new QCheckBox(QStringLiteral("Работа в DEMO режиме"), this);
  CheckBoxDemo->setObjectName(QStringLiteral("CheckBoxDemo"));
  grid->addWidget(CheckBoxDemo, 3, 0, 1, 3);

  // The ports: the two classic ones, the USB serial devices present, and the one in use.
  ComboBoxPort = new QComboBox(this);
  ComboBoxPort->setObjectName(QStringLiteral("ComboBoxPort"));
  QStringList ports{QStringLiteral("COM1"), QStringLiteral("COM2")};
  const QDir dev(QStringLiteral("/dev"));
  for (const QString& name : dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                           QDir::System, QDir::Name))
    ports << dev.filePath(name);
  if (!ports.contains(port)) ports << port;
  ComboBoxPort->addItems(ports);
  ComboBoxPort->setCurrentText(port);
  ComboBoxPort->setEnabled(false);
  ComboBoxPort->setToolTip(QStringLiteral("Для переключения  включить DEMO режим "));
  grid->addWidget(ComboBoxPort, 4, 0, 1, 3);

  auto* replies = new QHBoxLayout;
  auto reply = [this, replies](QLabel*& label, const char* name) {
    label = new QLabel(QString::fromLatin1(name), this);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(32);
    replies->addWidget(label);
  };
  reply(lb01, "lb01");
  reply(lb02, "lb02");
  reply(lb03, "lb03");
  replies->addStretch();
  grid->addLayout(replies, 5, 0, 1, 3);

  MemoCOM = new QPlainTextEdit(this);
  MemoCOM->setObjectName(QStringLiteral("MemoCOM"));
  MemoCOM->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoCOM->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoCOM->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoCOM->setFixedHeight(90);
  grid->addWidget(MemoCOM, 6, 0, 1, 3);
  grid->setColumnStretch(2, 1);
  setMinimumWidth(230);

  TimerMemo = new QTimer(this);
  TimerMemo->setObjectName(QStringLiteral("TimerMemo"));
  TimerMemo->setInterval(1000);
  connect(TimerMemo, &QTimer::timeout, this, &DmxLinkPanel::TimerMemoTimer);
  TimerMemo->start();

  connect(CheckBoxDemo, &QCheckBox::toggled, this, &DmxLinkPanel::CheckBoxDemoClick);
  connect(CheckBoxRTS, &QCheckBox::toggled, this, &DmxLinkPanel::CheckBoxRTSClick);
  connect(CheckBoxDTR, &QCheckBox::toggled, this, &DmxLinkPanel::CheckBoxDTRClick);
  connect(ComboBoxPort, &QComboBox::currentIndexChanged, this, &DmxLinkPanel::ComboBoxPortChange);
}

// ---------------------------------------------------------------- start-up and shutdown

bool DmxLinkPanel::OpenAtStart() {
  SetLedCTS(false);
  SetLedDSR(false);
  SetLedRLSD(false);
  try {
    BComPort->Open();
  } catch (const EComPort&) {
    EnterDemoMode();
    return false;
  }
  PortOpened();
  CheckBoxDTR->setEnabled(true);
  CheckBoxDTR->setChecked(true);
  CheckBoxRTS->setEnabled(true);
  CheckBoxRTS->setChecked(true);
  try {
    const TComSignals lines = BComPort->ModemSignals();
    SetLedCTS(lines.Contains(csCTS));
    SetLedDSR(lines.Contains(csDSR));
    SetLedRLSD(lines.Contains(csRLSD));
  } catch (const EComPort& e) {
    ShowError(e.Message());
  }
  return true;
}

void DmxLinkPanel::CloseAtShutdown() {
  if (!BComPort->Connected()) return;
  // The tick stops sending before the port goes.
  portOpen_.store(false);
  try {
    BComPort->SetRTS(false);
    BComPort->SetDTR(false);
  } catch (const EComPort&) {
    // A device that has gone cannot lower its lines; it is closed all the same.
  }
  BComPort->Close();
}

void DmxLinkPanel::EnterDemoMode() {
  CheckBoxDemo->setChecked(true);
  CheckBoxDemo->setEnabled(false);
  host_.SetTitlePrefix(TitlePrefixId::DemoModeStart);
}

void DmxLinkPanel::PortOpened() {
  openGeneration_.fetch_add(1);
  portOpen_.store(true);
}

// ---------------------------------------------------------------- output thread

void DmxLinkPanel::SendToCom() {
  if (demo_.load(std::memory_order_relaxed)) return;
  if (!portOpen_.load()) {
    host_.SetTitlePrefix(TitlePrefixId::DemoModeLink);
    return;
  }
  SendLength = static_cast<std::uint32_t>(BuildDmxPacket(host_.Frames(), SendBuffer));
  try {
    // A packet that would still be on the line when the next tick comes is dropped: queued
    // behind the last one, the output would lag the show more and more.
    const int queued = BComPort->OutputCount();
    if (!PacketFitsPeriod(static_cast<std::size_t>(queued), SendLength, kDmxLinkBaud,
                          kTickMicros)) {
      dropped_.fetch_add(1);
      return;
    }
    const int written =
        BComPort->WriteWithin(SendBuffer.data(), static_cast<int>(SendLength), kWriteBudgetMs);
    if (written == static_cast<int>(SendLength))
      sent_.fetch_add(1);
    else
      dropped_.fetch_add(1);
  } catch (const EComPort&) {
    // Whatever step failed (the queue query or the write), the packet could not be written.
    ReportLinkFailure(QString::fromUtf8(comport_messages::kWriteError));
  }
}

void DmxLinkPanel::ReportLinkFailure(const QString& message) {
  // Only the first failure of an open port is reported; from then on the port counts as
  // closed, and the tick goes on without it.
  if (!portOpen_.exchange(false)) return;
  const unsigned generation = openGeneration_.load();
  QMetaObject::invokeMethod(
      this,
      [this, message, generation] {
        host_.OutStatus(message);
        // Release the device (a USB interface that was unplugged gets its name back when it
        // returns), unless another port has been opened meanwhile.
        if (generation == openGeneration_.load() && !portOpen_.load()) BComPort->Close();
      },
      Qt::QueuedConnection);
}

// ---------------------------------------------------------------- handlers

void DmxLinkPanel::ShowError(const QString& message) {
  host_.Dialogs().Error(message);
}

void DmxLinkPanel::CheckBoxDemoClick() {
  const bool on = CheckBoxDemo->isChecked();
  demo_.store(on);
  host_.SetTitlePrefix(on ? TitlePrefixId::DemoModeStart : TitlePrefixId::Running);
  ComboBoxPort->setEnabled(on);
  host_.ReturnPageControlAll();
}

void DmxLinkPanel::CheckBoxRTSClick() {
  try {
    BComPort->SetRTS(CheckBoxRTS->isChecked());
  } catch (const EComPort& e) {
    ShowError(e.Message());
  }
}

void DmxLinkPanel::CheckBoxDTRClick() {
  try {
    BComPort->SetDTR(CheckBoxDTR->isChecked());
  } catch (const EComPort& e) {
    ShowError(e.Message());
  }
}

void DmxLinkPanel::ComboBoxPortChange() {
  portOpen_.store(false);
  BComPort->Close();
  BComPort->SetPort(ComboBoxPort->currentText());
  try {
    BComPort->Open();
  } catch (const EComPort&) {
    EnterDemoMode();
    return;
  }
  PortOpened();
  // A port that opens makes leaving demo mode possible again, also after a start without an
  // interface (which greyed the box): the operator can plug the interface in, choose its
  // port and start sending.
  CheckBoxDemo->setEnabled(true);
}

void DmxLinkPanel::BComPortRxChar(int count) {
  RxReady = 0;
  // A notification larger than the buffer reads what fits; the rest waits for the next one.
  const int wanted = std::min(count, static_cast<int>(RxBuffer.size()));
  try {
    RxCount = BComPort->Read(RxBuffer.data(), wanted);
  } catch (const EComPort& e) {
    RxCount = 0;
    host_.OutStatus(e.Message());
  }
  std::copy_n(RxBuffer.begin(), RxCount, RxCopy.begin());
  RxReady = 1;
}

void DmxLinkPanel::TimerMemoTimer() {
  if (RxReady != 1) return;
  lb01->setText(QString::number(RxCopy[13]));
  lb02->setText(QString::number(RxCopy[14]));
  lb03->setText(QString::number(RxCopy[15]));
}

void DmxLinkPanel::SetLedCTS(bool on) {
  ShapeCTS->SetColor(on ? kCtsOn : LampOff(this));
}
void DmxLinkPanel::SetLedDSR(bool on) {
  ShapeDSR->SetColor(on ? kDsrOn : LampOff(this));
}
void DmxLinkPanel::SetLedRLSD(bool on) {
  ShapeRLSD->SetColor(on ? kRlsdOn : LampOff(this));
}

}  // namespace kalvetro
