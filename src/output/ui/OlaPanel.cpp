#include "output/ui/OlaPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include "app/Console.h"
#include "output/ui/DmxLinkPanel.h"

namespace kalvetro {

OlaPanel::OlaPanel(Console& console, QWidget* parent)
    : QGroupBox(QStringLiteral("Сеть DMX (OLA)"), parent), console_(console) {
  setObjectName(QStringLiteral("GroupBoxOla"));
  auto* grid = new QGridLayout(this);
  CheckBoxOla = new QCheckBox(QStringLiteral("Передавать в сеть"), this);
  CheckBoxOla->setObjectName(QStringLiteral("CheckBoxOla"));
  CheckBoxOla->setToolTip(
      QStringLiteral("Каждый кадр DMX передается также демону OLA (Art-Net, sACN, USB)"));
  ShapeOla = new LedShape(this);
  ShapeOla->setObjectName(QStringLiteral("ShapeOla"));
  auto* caption = new QLabel(QStringLiteral("Вселенная"), this);
  SpinEditUniverse = new QSpinBox(this);
  SpinEditUniverse->setObjectName(QStringLiteral("SpinEditUniverse"));
  SpinEditUniverse->setRange(1, 65535);
  SpinEditUniverse->setToolTip(QStringLiteral("Номер вселенной OLA, в которую идут кадры"));
  LabelOlaStatus = new QLabel(QStringLiteral("выключено"), this);
  LabelOlaStatus->setObjectName(QStringLiteral("LabelOlaStatus"));
  grid->addWidget(ShapeOla, 0, 0);
  grid->addWidget(CheckBoxOla, 0, 1, 1, 2);
  grid->addWidget(caption, 1, 1);
  grid->addWidget(SpinEditUniverse, 1, 2);
  grid->addWidget(LabelOlaStatus, 2, 0, 1, 3);
  grid->setColumnStretch(2, 1);

  OlaSink& sink = console_.Ola();
  connect(CheckBoxOla, &QCheckBox::toggled, this, [this, &sink](bool on) {
    sink.SetEnabled(on);
    if (!on) ShowConnection(false, QStringLiteral("выключено"));
  });
  connect(SpinEditUniverse, &QSpinBox::valueChanged, this,
          [&sink](int universe) { sink.SetUniverse(static_cast<unsigned>(universe)); });
  connect(&sink, &OlaSink::ConnectionChanged, this, &OlaPanel::ShowConnection);
  connect(&console_, &Console::DataSystemRefresh, this, &OlaPanel::ReturnOla);
  ShowConnection(false, QStringLiteral("выключено"));
  ReturnOla();
}

void OlaPanel::ReturnOla() {
  const OlaSink& sink = console_.Ola();
  if (CheckBoxOla->isChecked() != sink.Enabled()) CheckBoxOla->setChecked(sink.Enabled());
  if (SpinEditUniverse->value() != static_cast<int>(sink.Universe()))
    SpinEditUniverse->setValue(static_cast<int>(sink.Universe()));
}

void OlaPanel::ShowConnection(bool connected, const QString& text) {
  ShapeOla->SetColor(connected ? QColor(0, 160, 0)
                               : palette().color(QPalette::Active, QPalette::Highlight));
  LabelOlaStatus->setText(text.trimmed());
}

}  // namespace kalvetro
