// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/ui/OlaPanel.h"
#include "output/OlaSink.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include "app/Console.h"
#include "output/ui/DmxLinkPanel.h"
#include "ui/Controls.h"

namespace kalvetro {

OlaPanel::OlaPanel(Console& console, QWidget* parent)
    : QGroupBox(QStringLiteral("Сеть DMX (OLA)"), parent), console_(console) {
  setObjectName(QStringLiteral("GroupBoxOla"));
  auto* grid = new QGridLayout(this);
  olaBox = new QCheckBox(QStringLiteral("Передавать в сеть"), this);
  olaBox->setObjectName(QStringLiteral("CheckBoxOla"));
  olaBox->setToolTip(
      QStringLiteral("Каждый кадр DMX передается также демону OLA (Art-Net, sACN, USB)"));
  olaLamp = new LedShape(this);
  olaLamp->setObjectName(QStringLiteral("ShapeOla"));
  auto* caption = PlainLabel(QStringLiteral("Вселенная"), this);
  universeEdit = new QSpinBox(this);
  universeEdit->setObjectName(QStringLiteral("SpinEditUniverse"));
  universeEdit->setRange(1, 65535);
  universeEdit->setToolTip(QStringLiteral("Номер вселенной OLA, в которую идут кадры"));
  olaStatusLabel = PlainLabel(QStringLiteral("выключено"), this);
  olaStatusLabel->setObjectName(QStringLiteral("LabelOlaStatus"));
  grid->addWidget(olaLamp, 0, 0);
  grid->addWidget(olaBox, 0, 1, 1, 2);
  grid->addWidget(caption, 1, 1);
  grid->addWidget(universeEdit, 1, 2);
  grid->addWidget(olaStatusLabel, 2, 0, 1, 3);
  grid->setColumnStretch(2, 1);

  OlaSink& sink = console_.Ola();
  connect(olaBox, &QCheckBox::toggled, this, [this, &sink](bool on) {
    sink.SetEnabled(on);
    if (!on) ShowConnection(false, QStringLiteral("выключено"));
  });
  connect(universeEdit, &QSpinBox::valueChanged, this,
          [&sink](int universe) { sink.SetUniverse(static_cast<unsigned>(universe)); });
  connect(&sink, &OlaSink::ConnectionChanged, this, &OlaPanel::ShowConnection);
  connect(&console_, &Console::ShowSettingsRefresh, this, &OlaPanel::RefreshOla);
  ShowConnection(false, QStringLiteral("выключено"));
  RefreshOla();
}

void OlaPanel::RefreshOla() {
  const OlaSink& sink = console_.Ola();
  if (olaBox->isChecked() != sink.Enabled()) olaBox->setChecked(sink.Enabled());
  if (universeEdit->value() != static_cast<int>(sink.Universe()))
    universeEdit->setValue(static_cast<int>(sink.Universe()));
}

void OlaPanel::ShowConnection(bool connected, const QString& text) {
  olaLamp->SetColour(connected ? QColor(0, 160, 0)
                               : palette().color(QPalette::Active, QPalette::Highlight));
  olaStatusLabel->setText(text.trimmed());
}

}  // namespace kalvetro
