// SPDX-License-Identifier: GPL-3.0-or-later
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

#include "app/Console.h"
#include "output/DmxLink.h"
#include "ui/Controls.h"
#include "ui/DialogService.h"
#include "ui/SteadyLabel.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

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

void LedShape::SetColour(const QColor& colour) {
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

void LedShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour_);
  painter.drawRoundedRect(rect(), 4, 4);
}

// ---------------------------------------------------------------- building

DmxLinkPanel::DmxLinkPanel(Console& console, WindowParts& parts, QWidget* parent)
    : QGroupBox(QStringLiteral("Состояние порта COM"), parent),
      console_(console),
      parts_(parts),
      link_(console.Link()) {
  setObjectName(QStringLiteral("GroupBoxUSB"));
  BuildControls(link_.Port());
  connect(&link_, &DmxLink::CtsChanged, this, &DmxLinkPanel::ShowCts);
  connect(&link_, &DmxLink::DsrChanged, this, &DmxLinkPanel::ShowDsr);
  connect(&link_, &DmxLink::RlsdChanged, this, &DmxLinkPanel::ShowRlsd);
  connect(&link_, &DmxLink::DemoModeEntered, this, &DmxLinkPanel::EnterDemoMode);
  connect(&link_, &DmxLink::ErrorMessage, this, &DmxLinkPanel::ShowError);
}

void DmxLinkPanel::BuildControls(const QString& port) {
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  auto lamp = [this, grid](LedShape*& shape, const char* name, const char* line, int row) {
    shape = new LedShape(this);
    shape->setObjectName(QString::fromLatin1(name));
    grid->addWidget(shape, row, 0);
    auto* label = PlainLabel(QString::fromLatin1(line), this);
    grid->addWidget(label, row, 1);
  };
  lamp(ctsLamp, "ShapeCTS", "CTS", 0);
  lamp(dsrLamp, "ShapeDSR", "DSR", 1);
  lamp(rlsdLamp, "ShapeRLSD", "RLSD", 2);

  rtsBox = new QCheckBox(QStringLiteral("RTS"), this);
  rtsBox->setObjectName(QStringLiteral("CheckBoxRTS"));
  grid->addWidget(rtsBox, 0, 2);
  dtrBox = new QCheckBox(QStringLiteral("DTR"), this);
  dtrBox->setObjectName(QStringLiteral("CheckBoxDTR"));
  grid->addWidget(dtrBox, 1, 2);

  demoBox = new QCheckBox(QStringLiteral("Работа в DEMO режиме"), this);
  demoBox->setObjectName(QStringLiteral("CheckBoxDemo"));
  grid->addWidget(demoBox, 3, 0, 1, 3);

  // The ports: the two classic ones, the USB serial devices present, and the one in use.
  portBox = new QComboBox(this);
  portBox->setObjectName(QStringLiteral("ComboBoxPort"));
  QStringList ports{QString::fromLatin1(kDefaultPort), QStringLiteral("COM2")};
  const QDir dev(QStringLiteral("/dev"));
  for (const QString& name : dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                           QDir::System, QDir::Name))
    ports << dev.filePath(name);
  if (!ports.contains(port)) ports << port;
  portBox->addItems(ports);
  portBox->setCurrentText(port);
  portBox->setEnabled(false);
  portBox->setToolTip(QStringLiteral("Для переключения  включить DEMO режим "));
  grid->addWidget(portBox, 4, 0, 1, 3);

  auto* replies = new QHBoxLayout;
  auto reply = [this, replies](QLabel*& label, const char* name) {
    label = PlainLabel(QString::fromLatin1(name), this);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(32);
    replies->addWidget(label);
  };
  reply(replyByte13Label, "lb01");
  reply(replyByte14Label, "lb02");
  reply(replyByte15Label, "lb03");
  replies->addStretch();
  grid->addLayout(replies, 5, 0, 1, 3);

  receivedText = new QPlainTextEdit(this);
  receivedText->setObjectName(QStringLiteral("MemoCOM"));
  receivedText->setLineWrapMode(QPlainTextEdit::NoWrap);
  receivedText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  receivedText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  receivedText->setFixedHeight(90);
  grid->addWidget(receivedText, 6, 0, 1, 3);
  // Packets sent whole, dropped whole, and torn packets whose tail went out on a later tick.
  packetsLabel = PlainLabel(QString(), this);
  packetsLabel->setObjectName(QStringLiteral("LabelPackets"));
  packetsLabel->setToolTip(QStringLiteral(
      "Пакеты: отправлено / пропущено (линия занята) / дописано после неполной записи"));
  KeepLabelSize(packetsLabel, {QStringLiteral("Пакеты: 999999999 / 999999999 / 999999999")});
  grid->addWidget(packetsLabel, 7, 0, 1, 3);
  grid->setColumnStretch(2, 1);
  setMinimumWidth(230);

  receiveTimer = new QTimer(this);
  receiveTimer->setObjectName(QStringLiteral("TimerMemo"));
  receiveTimer->setInterval(1000);
  connect(receiveTimer, &QTimer::timeout, this, &DmxLinkPanel::ShowReceivedBytes);
  receiveTimer->start();

  connect(demoBox, &QCheckBox::toggled, this, &DmxLinkPanel::ToggleDemoMode);
  connect(rtsBox, &QCheckBox::toggled, this, &DmxLinkPanel::SetRtsLine);
  connect(dtrBox, &QCheckBox::toggled, this, &DmxLinkPanel::SetDtrLine);
  connect(portBox, &QComboBox::currentIndexChanged, this, &DmxLinkPanel::ChangeComPort);
}

// ---------------------------------------------------------------- start-up

void DmxLinkPanel::ShowOpenedAtStart() {
  if (!link_.PortOpen()) return;
  // The link raised both lines; the boxes show it without raising them again.
  for (QCheckBox* box : {dtrBox, rtsBox}) {
    const QSignalBlocker quiet(box);
    box->setEnabled(true);
    box->setChecked(true);
  }
}

void DmxLinkPanel::EnterDemoMode() {
  demoBox->setChecked(true);
  demoBox->setEnabled(false);
  console_.SetTitlePrefix(TitlePrefixId::DemoModeStart);
}

// ---------------------------------------------------------------- handlers

void DmxLinkPanel::ShowError(const QString& message) {
  parts_.Dialogs().Error(message);
}

void DmxLinkPanel::ToggleDemoMode() {
  const bool on = demoBox->isChecked();
  portBox->setEnabled(on);
  console_.Edit(UndoCopy::Keep, [&](ShowState&) {
    link_.SetDemo(on);
    return ShowEdit::Reshaped();
  });
}

void DmxLinkPanel::SetRtsLine() {
  link_.SetRTS(rtsBox->isChecked());
}

void DmxLinkPanel::SetDtrLine() {
  link_.SetDTR(dtrBox->isChecked());
}

void DmxLinkPanel::ChangeComPort() {
  const Result opened = link_.ChangePort(portBox->currentText());
  if (!opened.ok) {  // demo mode entered; the status line says why
    console_.ShowStatus(QStringLiteral(" %1: %2 ")
                            .arg(portBox->currentText(), QString::fromStdString(opened.error)));
    return;
  }
  // A port that opens makes leaving demo mode possible again, also after a start without an
  // interface (which greyed the box): the operator can plug the interface in, choose its
  // port and start sending.
  demoBox->setEnabled(true);
}

void DmxLinkPanel::ShowReceivedBytes() {
  // Nobody sees the counters of a hidden panel; showing it wakes the timer with fresh ones.
  if (!isVisible()) {
    memoRest_.Rest(receiveTimer);
    return;
  }
  packetsLabel->setText(QStringLiteral("Пакеты: %1 / %2 / %3")
                            .arg(link_.SentPackets())
                            .arg(link_.DroppedPackets())
                            .arg(link_.CompletedTails()));
  if (!link_.RxReady()) return;
  replyByte13Label->setText(QString::number(link_.RxByte(13)));
  replyByte14Label->setText(QString::number(link_.RxByte(14)));
  replyByte15Label->setText(QString::number(link_.RxByte(15)));
}

void DmxLinkPanel::showEvent(QShowEvent* event) {
  memoRest_.Wake(receiveTimer);
  ShowReceivedBytes();
  QGroupBox::showEvent(event);
}

void DmxLinkPanel::ShowCts(bool on) {
  ctsLamp->SetColour(on ? kCtsOn : LampOff(this));
}
void DmxLinkPanel::ShowDsr(bool on) {
  dsrLamp->SetColour(on ? kDsrOn : LampOff(this));
}
void DmxLinkPanel::ShowRlsd(bool on) {
  rlsdLamp->SetColour(on ? kRlsdOn : LampOff(this));
}

}  // namespace kalvetro
