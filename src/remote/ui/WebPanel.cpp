// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/ui/WebPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>

#include "door/RemoteDoor.h"
#include "output/ui/DmxLinkPanel.h"
#include "remote/Remotes.h"
#include "remote/WebRemote.h"
#include "ui/Controls.h"

namespace kalvetro {

WebPanel::WebPanel(Remotes& remotes, QWidget* parent)
    : QGroupBox(QStringLiteral("Пульт на телефоне"), parent),
      door_(remotes.Door()),
      remotes_(remotes) {
  setObjectName(QStringLiteral("GroupBoxWeb"));
  auto* grid = new QGridLayout(this);
  webLamp = new LedShape(this);
  webLamp->setObjectName(QStringLiteral("ShapeWeb"));
  webBox = new QCheckBox(QStringLiteral("Включить"), this);
  webBox->setObjectName(QStringLiteral("CheckBoxWeb"));
  webBox->setToolTip(QStringLiteral("Страница пульта для телефона или планшета в этой сети"));
  portEdit = MakeNumberBox(this, QStringLiteral("SpinEditWebPort"),
                           {1, 65535, 8080, QStringLiteral("Порт страницы (HTTP и WebSocket)")});
  portEdit->setKeyboardTracking(false);
  bindEdit = MakeLineEdit(this, QStringLiteral("EditWebBind"), QStringLiteral("все интерфейсы"),
                          QStringLiteral("IP-адрес этой машины, на котором ждать телефоны"));
  pinEdit = new QLineEdit(this);
  pinEdit->setObjectName(QStringLiteral("EditWebPin"));
  pinEdit->setMaxLength(8);
  pinEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), pinEdit));
  pinEdit->setToolTip(QStringLiteral("PIN, который телефон спрашивает первым: 4..8 цифр"));
  urlLabel = MakeLabel(this, QStringLiteral("LabelWebUrl"));
  urlLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont urlFont = urlLabel->font();
  urlFont.setBold(true);
  urlLabel->setFont(urlFont);
  clientsLabel = MakeLabel(this, QStringLiteral("LabelWebClients"));
  errorLabel = MakeLabel(this, QStringLiteral("LabelWebError"));
  errorLabel->setWordWrap(true);

  grid->addWidget(webLamp, 0, 0);
  grid->addWidget(webBox, 0, 1, 1, 2);
  grid->addWidget(PlainLabel(QStringLiteral("Порт"), this), 1, 1);
  grid->addWidget(portEdit, 1, 2);
  grid->addWidget(PlainLabel(QStringLiteral("Адрес"), this), 2, 1);
  grid->addWidget(bindEdit, 2, 2);
  grid->addWidget(PlainLabel(QStringLiteral("PIN"), this), 3, 1);
  grid->addWidget(pinEdit, 3, 2);
  grid->addWidget(PlainLabel(QStringLiteral("Открыть на телефоне:"), this), 4, 0, 1, 3);
  grid->addWidget(urlLabel, 5, 0, 1, 3);
  grid->addWidget(clientsLabel, 6, 0, 1, 3);
  grid->addWidget(errorLabel, 7, 0, 1, 3);
  grid->setColumnStretch(2, 1);

  connect(webBox, &QCheckBox::toggled, this, &WebPanel::StoreSetup);
  connect(portEdit, &QSpinBox::valueChanged, this, &WebPanel::StoreSetup);
  connect(bindEdit, &QLineEdit::editingFinished, this, &WebPanel::StoreSetup);
  connect(pinEdit, &QLineEdit::editingFinished, this, &WebPanel::StoreSetup);
  connect(&remotes_.Web(), &WebRemote::StatusChanged, this, &WebPanel::RefreshWeb);
  connect(&door_, &RemoteDoor::SetupRead, this, &WebPanel::RefreshWeb);
  RefreshWeb();
}

void WebPanel::StoreSetup() {
  RemoteSettings setup = door_.Setup();
  setup.webOn = webBox->isChecked();
  setup.webPort = portEdit->value();
  setup.webBind = bindEdit->text().trimmed().toStdString();
  // A PIN too short is not taken: the one before stays.
  const std::string pin = pinEdit->text().toStdString();
  if (ValidPin(pin)) setup.webPin = pin;
  door_.SetSetup(setup);
  remotes_.ApplyWebSetup();
  RefreshWeb();
}

void WebPanel::RefreshWeb() {
  const WebRemote& web = remotes_.Web();
  const RemoteSettings& setup = door_.Setup();
  const bool on = web.Listening();
  const QSignalBlocker b1(webBox), b2(portEdit), b3(bindEdit), b4(pinEdit);
  webBox->setChecked(on || setup.webOn);
  portEdit->setValue(on ? web.Port() : setup.webPort);
  if (!bindEdit->hasFocus()) bindEdit->setText(QString::fromStdString(setup.webBind));
  if (!pinEdit->hasFocus())
    pinEdit->setText(web.Pin().isEmpty() ? QString::fromStdString(setup.webPin) : web.Pin());
  urlLabel->setText(on ? WebRemote::PhoneUrl(web.Bind(), web.Port())
                       : QStringLiteral("— (выключен)"));
  webLamp->SetColour(on ? QColor(0, 160, 0) : palette().color(QPalette::Active, QPalette::Mid));
  clientsLabel->setText(QStringLiteral("Подключено: %1 из %2   Ошибок: %3")
                            .arg(web.Clients())
                            .arg(WebRemote::kMaxClients)
                            .arg(web.Errors()));
  const QString problem = !web.StartError().isEmpty() ? web.StartError() : web.LastError();
  errorLabel->setText(problem);
  errorLabel->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #b00000;"));
}

}  // namespace kalvetro
