// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLayout>
#include <QVBoxLayout>

#include "editing/ui/StripPanel.h"
#include "output/ui/FadeRatePage.h"
#include "output/ui/LevelPage.h"
#include "output/ui/PictureBoxes.h"
#include "windows/MainWindow.h"

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
void MainWindow::BuildOutputPages() {
  QWidget* rateTab = Tab("TabSheetRate");
  TabLayout(rateTab)->addWidget(new FadeRatePage(console_, rateTab));

  QWidget* levelTab = Tab("TabSheetLevel");
  TabLayout(levelTab)->addWidget(new LevelPage(console_, levelTab));

  QWidget* pictureTab = Tab("TabSheetSttica");
  TabLayout(pictureTab)->addWidget(new PictureBoxes(console_, pictureTab));
  TabLayout(pictureTab)->setAlignment(Qt::AlignTop);

  QWidget* stripTab = Tab("TabSheetScroll");
  TabLayout(stripTab)->addWidget(new StripPanel(console_, *this, stripTab));
}

}  // namespace kalvetro
