#include "output/ui/DmxLinkPanel.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "windows/ConsoleHost.h"

namespace kalvetro {

DmxLinkPanel::DmxLinkPanel(ConsoleHost& host, QString port, QWidget* parent)
    : QGroupBox(QStringLiteral("Состояние порта COM"), parent), host_(host), port_(std::move(port)) {
  setObjectName(QStringLiteral("GroupBoxUSB"));
  auto* layout = new QVBoxLayout(this);
  CheckBoxDemo = new QCheckBox(QStringLiteral("Работа в DEMO режиме"), this);
  CheckBoxDemo->setObjectName(QStringLiteral("CheckBoxDemo"));
  layout->addWidget(CheckBoxDemo);
  layout->addStretch();
}

bool DmxLinkPanel::OpenAtStart() {
  // No serial component yet: the port never opens, so the console starts in demo mode.
  EnterDemoMode();
  return false;
}

void DmxLinkPanel::CloseAtShutdown() {}

void DmxLinkPanel::SendToCom() {}

void DmxLinkPanel::EnterDemoMode() {
  CheckBoxDemo->setChecked(true);
  CheckBoxDemo->setEnabled(false);
  host_.SetTitlePrefix(TitlePrefixId::DemoModeStart);
}

}  // namespace kalvetro
