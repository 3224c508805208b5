#include <QLayout>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "editing/ui/StripPanel.h"
#include "output/ui/FadeRatePage.h"
#include "output/ui/LevelPage.h"
#include "output/ui/PictureBoxes.h"
#include "windows/TBaseForm.h"

namespace kalvetro {

namespace {
// The layout of a tab, made on first use so that every subsystem can add its part.
QLayout* TabLayout(QWidget* tab) {
  if (!tab->layout()) {
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
  }
  return tab->layout();
}
}  // namespace

// The output pages: crossfade mode, rates, levels and blackout, static picture boxes and the
// channel strip panel.
void TBaseForm::BuildOutputPages() {
  OutputControls& controls = engine_.Controls();

  QWidget* rateTab = Tab(QStringLiteral("TabSheetRate"));
  auto* rates = new FadeRatePage(*this, controls, rateTab);
  TabLayout(rateTab)->addWidget(rates);

  QWidget* levelTab = Tab(QStringLiteral("TabSheetLevel"));
  auto* levels = new LevelPage(*this, controls, levelTab);
  TabLayout(levelTab)->addWidget(levels);

  QWidget* pictureTab = Tab(QStringLiteral("TabSheetSttica"));
  TabLayout(pictureTab)->addWidget(new PictureBoxes(controls, pictureTab));
  TabLayout(pictureTab)->setAlignment(Qt::AlignTop);

  QWidget* stripTab = Tab(QStringLiteral("TabSheetScroll"));
  auto* strips = new StripPanel(*this, controls, *rates, stripTab);
  TabLayout(stripTab)->addWidget(strips);
  strips->AddToButtonColumn(levels->CreateOutputModeButtons(strips));
  rates->SetStrips(strips);
  levels->SetStrips(strips);

  SetInputPageRefresh(0, [strips] {
    strips->ReturnScrollBars();
    strips->ReturnRate();
    strips->ReturnName();
    strips->CheckBoxFromMemory();
  });
  AddClearAllStep([strips] {
    strips->CheckBoxFromMemory();
    strips->ScrolbarVertPos->setValue(0);
  });
  connect(TimerDataDmxToDsp(), &QTimer::timeout, strips, &StripPanel::TimerDataDmxToDspTimer);
}

}  // namespace kalvetro
