// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLayout>
#include <QVBoxLayout>

#include "playback/ui/AutomatsPage.h"
#include "playback/ui/SoundPage.h"
#include "windows/MainWindow.h"

namespace kalvetro {

// The automats page and the sound page.
void MainWindow::BuildAutomatPages() {
  QWidget* automatsTab = Tab("TabSheetAvtomaty");
  auto* automatsLayout = new QVBoxLayout(automatsTab);
  automatsLayout->setContentsMargins(0, 0, 0, 0);
  automatsLayout->addWidget(new AutomatsPage(console_, automatsTab));
  automatsLayout->addStretch();

  QWidget* soundTab = Tab("TabSheetZvuk");
  auto* soundLayout = new QVBoxLayout(soundTab);
  soundLayout->setContentsMargins(0, 0, 0, 0);
  // The meters grow with the page.
  soundLayout->addWidget(new SoundPage(console_, soundTab), 1);
}

}  // namespace kalvetro
