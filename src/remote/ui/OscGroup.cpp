// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/ui/OscGroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include "door/RemoteDoor.h"
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

OscGroup::OscGroup(Remotes& remotes, QWidget* parent)
    : QGroupBox(QStringLiteral("Пульт OSC (UDP)"), parent),
      door_(remotes.Door()),
      osc_(remotes.Osc()) {
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
  bindEdit = MakeLineEdit(this, QStringLiteral("EditOscBind"), QStringLiteral("все интерфейсы"),
                          QStringLiteral("IP-адрес этой машины, на котором ждать пакеты OSC"));
  allowEdit =
      MakeLineEdit(this, QStringLiteral("EditOscAllow"), QString(),
                   QStringLiteral("Адреса и подсети, от которых принимаются команды, через запятую "
                                  "(10.0.0.0/8, 192.168.1.20); пакеты от других не выполняются"));
  statusLabel = WrappingLabel(QStringLiteral("LabelOscStatus"), this);
  lastMessageLabel = WrappingLabel(QStringLiteral("LabelOscLastMessage"), this);
  errorCountLabel = WrappingLabel(QStringLiteral("LabelOscErrors"), this);
  lastErrorLabel = WrappingLabel(QStringLiteral("LabelOscLastError"), this);
  grid->addWidget(oscBox, 0, 0, 1, 2);
  grid->addWidget(caption, 1, 0);
  grid->addWidget(portEdit, 1, 1);
  grid->addWidget(PlainLabel(QStringLiteral("Адрес"), this), 2, 0);
  grid->addWidget(bindEdit, 2, 1);
  grid->addWidget(PlainLabel(QStringLiteral("Разрешены"), this), 3, 0);
  grid->addWidget(allowEdit, 3, 1);
  grid->addWidget(statusLabel, 4, 0, 1, 2);
  grid->addWidget(lastMessageLabel, 5, 0, 1, 2);
  grid->addWidget(errorCountLabel, 6, 0, 1, 2);
  grid->addWidget(lastErrorLabel, 7, 0, 1, 2);
  grid->setColumnStretch(1, 1);

  connect(oscBox, &QCheckBox::toggled, this, &OscGroup::ApplyChoice);
  connect(portEdit, &QSpinBox::valueChanged, this, &OscGroup::ApplyChoice);
  connect(bindEdit, &QLineEdit::editingFinished, this, &OscGroup::ApplyChoice);
  connect(allowEdit, &QLineEdit::editingFinished, this, &OscGroup::ApplyChoice);
  connect(&osc_, &OscRemote::Changed, this, &OscGroup::RefreshOsc);
  connect(&door_, &RemoteDoor::SetupRead, this, &OscGroup::RefreshOsc);
  RefreshOsc();
}

void OscGroup::ApplyChoice() {
  RemoteSettings setup = door_.Setup();
  setup.oscOn = oscBox->isChecked();
  setup.oscPort = portEdit->value();
  const std::string bind = bindEdit->text().trimmed().toStdString();
  const std::string allow = allowEdit->text().trimmed().toStdString();
  // An emptied list is the default one, as in the settings file.
  const std::string allowed = allow.empty() ? std::string(kDefaultOscAllow) : allow;
  const bool moved = bind != setup.oscBind || allowed != setup.oscAllow;
  setup.oscBind = bind;
  setup.oscAllow = allowed;
  door_.SetSetup(setup);
  if (setup.oscOn) {
    if (osc_.Port() != setup.oscPort || moved) osc_.Start(setup.oscPort);
  } else {
    osc_.Stop();
  }
  RefreshOsc();
}

void OscGroup::RefreshOsc() {
  const RemoteSettings& setup = door_.Setup();
  // While it runs the remote's own port is shown (it may come from the command line).
  const bool failed = !osc_.BindError().isEmpty();
  {
    const QSignalBlocker blockBox(oscBox);
    const QSignalBlocker blockPort(portEdit);
    oscBox->setChecked(osc_.Listening() || failed);
    portEdit->setValue(osc_.Listening() ? osc_.Port() : setup.oscPort);
    if (!bindEdit->hasFocus()) bindEdit->setText(QString::fromStdString(setup.oscBind));
    if (!allowEdit->hasFocus()) {
      allowEdit->setText(QString::fromStdString(setup.oscAllow));
      allowEdit->setCursorPosition(0);  // the list read from its start
    }
  }
  if (osc_.Listening()) {
    statusLabel->setText(
        QStringLiteral("Слушает порт %1, клиентов: %2").arg(osc_.Port()).arg(osc_.ClientCount()));
    statusLabel->setStyleSheet(QString());
  } else if (failed) {
    statusLabel->setText(osc_.BindError());
    statusLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
  } else {
    statusLabel->setText(QStringLiteral("Выключено"));
    statusLabel->setStyleSheet(QString());
  }
  const QString none = QStringLiteral("нет");
  lastMessageLabel->setText(QStringLiteral("Последнее сообщение: %1")
                                .arg(osc_.LastMessage().isEmpty() ? none : osc_.LastMessage()));
  errorCountLabel->setText(
      osc_.ForeignCount() == 0
          ? QStringLiteral("Отклонено пакетов: %1").arg(osc_.BadCount())
          : QStringLiteral("Отклонено пакетов: %1, с чужих адресов: %2 (последний %3)")
                .arg(osc_.BadCount())
                .arg(osc_.ForeignCount())
                .arg(osc_.LastForeign()));
  lastErrorLabel->setText(QStringLiteral("Последняя ошибка: %1")
                              .arg(osc_.LastError().isEmpty() ? none : osc_.LastError()));
}

}  // namespace kalvetro
