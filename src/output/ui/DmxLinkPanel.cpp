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
#include "windows/DialogService.h"
#include "windows/SteadyLabel.h"
#include "windows/WindowParts.h"

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

DmxLinkPanel::DmxLinkPanel(Console& console, WindowParts& parts, QWidget* parent)
    : QGroupBox(QStringLiteral("Состояние порта COM"), parent),
      console_(console),
      parts_(parts),
      link_(console.Link()) {
  setObjectName(QStringLiteral("GroupBoxUSB"));
  BuildControls(link_.Port());
  connect(&link_, &DmxLink::CtsChanged, this, &DmxLinkPanel::SetLedCTS);
  connect(&link_, &DmxLink::DsrChanged, this, &DmxLinkPanel::SetLedDSR);
  connect(&link_, &DmxLink::RlsdChanged, this, &DmxLinkPanel::SetLedRLSD);
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
  // Packets sent whole, dropped whole, and torn packets whose tail went out on a later tick.
  LabelPackets = new QLabel(this);
  LabelPackets->setObjectName(QStringLiteral("LabelPackets"));
  LabelPackets->setToolTip(QStringLiteral(
      "Пакеты: отправлено / пропущено (линия занята) / дописано после неполной записи"));
  KeepLabelSize(LabelPackets, {QStringLiteral("Пакеты: 999999999 / 999999999 / 999999999")});
  grid->addWidget(LabelPackets, 7, 0, 1, 3);
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

// ---------------------------------------------------------------- start-up

bool DmxLinkPanel::OpenAtStart() {
  if (!link_.OpenAtStart()) return false;
  // The link raised both lines; the boxes show it without raising them again.
  for (QCheckBox* box : {CheckBoxDTR, CheckBoxRTS}) {
    const QSignalBlocker quiet(box);
    box->setEnabled(true);
    box->setChecked(true);
  }
  return true;
}

void DmxLinkPanel::EnterDemoMode() {
  CheckBoxDemo->setChecked(true);
  CheckBoxDemo->setEnabled(false);
  console_.SetTitlePrefix(TitlePrefixId::DemoModeStart);
}

// ---------------------------------------------------------------- handlers

void DmxLinkPanel::ShowError(const QString& message) {
  parts_.Dialogs().Error(message);
}

void DmxLinkPanel::CheckBoxDemoClick() {
  const bool on = CheckBoxDemo->isChecked();
  link_.SetDemo(on);
  ComboBoxPort->setEnabled(on);
  console_.ReturnPageControlAll();
}

void DmxLinkPanel::CheckBoxRTSClick() {
  link_.SetRTS(CheckBoxRTS->isChecked());
}

void DmxLinkPanel::CheckBoxDTRClick() {
  link_.SetDTR(CheckBoxDTR->isChecked());
}

void DmxLinkPanel::ComboBoxPortChange() {
  if (!link_.ChangePort(ComboBoxPort->currentText())) return;  // demo mode entered
  // A port that opens makes leaving demo mode possible again, also after a start without an
  // interface (which greyed the box): the operator can plug the interface in, choose its
  // port and start sending.
  CheckBoxDemo->setEnabled(true);
}

void DmxLinkPanel::TimerMemoTimer() {
  // Nobody sees the counters of a hidden panel; showing it wakes the timer with fresh ones.
  if (!isVisible()) {
    memoRest_.Rest(TimerMemo);
    return;
  }
  LabelPackets->setText(QStringLiteral("Пакеты: %1 / %2 / %3")
                            .arg(link_.SentPackets())
                            .arg(link_.DroppedPackets())
                            .arg(link_.CompletedTails()));
  if (!link_.RxReady()) return;
  lb01->setText(QString::number(link_.RxByte(13)));
  lb02->setText(QString::number(link_.RxByte(14)));
  lb03->setText(QString::number(link_.RxByte(15)));
}

void DmxLinkPanel::showEvent(QShowEvent* event) {
  memoRest_.Wake(TimerMemo);
  TimerMemoTimer();
  QGroupBox::showEvent(event);
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
