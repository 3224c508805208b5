#include "remote/ui/OscGroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

#include "app/Console.h"
#include "remote/Remotes.h"
#include "ui/Controls.h"

namespace kalvetro {

namespace {

QLabel* WrappingLabel(const QString& name, QWidget* parent) {
  auto* label = MakeLabel(parent, name);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

OscGroup::OscGroup(Console& console, QWidget* parent)
    : QGroupBox(QStringLiteral("Пульт OSC (UDP)"), parent),
      console_(console),
      osc_(console.Remote().Osc()) {
  setObjectName(QStringLiteral("GroupBoxOsc"));
  auto* grid = new QGridLayout(this);
  oscBox = new QCheckBox(QStringLiteral("Принимать команды OSC"), this);
  oscBox->setObjectName(QStringLiteral("CheckBoxOsc"));
  oscBox->setToolTip(QStringLiteral(
      "Команды /kalvetro/... по UDP с планшета или пульта; состояние отправляется обратно"));
  auto* caption = PlainLabel(QStringLiteral("Порт UDP"), this);
  portEdit = new QSpinBox(this);
  portEdit->setObjectName(QStringLiteral("SpinEditOscPort"));
  portEdit->setRange(1, 65535);
  portEdit->setKeyboardTracking(false);  // a port is tried once typed, not digit by digit
  portEdit->setToolTip(QStringLiteral("Порт, на который пульт OSC шлет команды"));
  statusLabel = WrappingLabel(QStringLiteral("LabelOscStatus"), this);
  lastMessageLabel = WrappingLabel(QStringLiteral("LabelOscLastMessage"), this);
  errorCountLabel = WrappingLabel(QStringLiteral("LabelOscErrors"), this);
  lastErrorLabel = WrappingLabel(QStringLiteral("LabelOscLastError"), this);
  grid->addWidget(oscBox, 0, 0, 1, 2);
  grid->addWidget(caption, 1, 0);
  grid->addWidget(portEdit, 1, 1);
  grid->addWidget(statusLabel, 2, 0, 1, 2);
  grid->addWidget(lastMessageLabel, 3, 0, 1, 2);
  grid->addWidget(errorCountLabel, 4, 0, 1, 2);
  grid->addWidget(lastErrorLabel, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);

  connect(oscBox, &QCheckBox::toggled, this, &OscGroup::ApplyChoice);
  connect(portEdit, &QSpinBox::valueChanged, this, &OscGroup::ApplyChoice);
  connect(&osc_, &OscRemote::Changed, this, &OscGroup::RefreshOsc);
  connect(&console_, &Console::SettingsRead, this, &OscGroup::RefreshOsc);
  RefreshOsc();
}

void OscGroup::ApplyChoice() {
  RemoteSettings setup = console_.RemoteSetup();
  setup.oscOn = oscBox->isChecked();
  setup.oscPort = portEdit->value();
  console_.SetRemoteSetup(setup);
  if (setup.oscOn) {
    if (osc_.Port() != setup.oscPort) osc_.Start(setup.oscPort);
  } else {
    osc_.Stop();
  }
  RefreshOsc();
}

void OscGroup::RefreshOsc() {
  const RemoteSettings& setup = console_.RemoteSetup();
  // While it runs the remote's own port is shown (it may come from the command line).
  const bool failed = !osc_.BindError().isEmpty();
  {
    const QSignalBlocker blockBox(oscBox);
    const QSignalBlocker blockPort(portEdit);
    oscBox->setChecked(osc_.Listening() || failed);
    portEdit->setValue(osc_.Listening() ? osc_.Port() : setup.oscPort);
  }
  if (osc_.Listening()) {
    statusLabel->setText(QStringLiteral("Слушает порт %1, клиентов: %2")
                             .arg(osc_.Port())
                             .arg(osc_.ClientCount()));
    statusLabel->setStyleSheet(QString());
  } else if (failed) {
    statusLabel->setText(osc_.BindError());
    statusLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
  } else {
    statusLabel->setText(QStringLiteral("Выключено"));
    statusLabel->setStyleSheet(QString());
  }
  const QString none = QStringLiteral("нет");
  lastMessageLabel->setText(
      QStringLiteral("Последнее сообщение: %1")
          .arg(osc_.LastMessage().isEmpty() ? none : osc_.LastMessage()));
  errorCountLabel->setText(QStringLiteral("Отклонено пакетов: %1").arg(osc_.BadCount()));
  lastErrorLabel->setText(QStringLiteral("Последняя ошибка: %1")
                              .arg(osc_.LastError().isEmpty() ? none : osc_.LastError()));
}

}  // namespace kalvetro
