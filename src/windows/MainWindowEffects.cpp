// SPDX-License-Identifier: GPL-3.0-or-later
#include <QKeySequence>
#include <QMenu>
#include <QStyle>
#include <QVBoxLayout>

#include "effects/ui/XYEditorPage.h"
#include "windows/HandScanWindow.h"
#include "windows/MainWindow.h"

namespace kalvetro {

// The beam editor page and the hand scan window.
void MainWindow::BuildEffectsPages() {
  QWidget* tab = Tab("TabSheetEditXY");
  auto* layout = static_cast<QVBoxLayout*>(tab->layout());
  // The page takes the tab's remember/undo pair into its own layout.
  layout->insertWidget(0, new XYEditorPage(console_, *this, tab), 1);

  // The hand scan window is made once and only hidden when closed.
  auto* handScan = new HandScanWindow(console_, this);
  auto* area =
      Menu(MenuId::Options)->addAction(QStringLiteral("Поле для ручного управления лучем сканера"));
  area->setObjectName(QStringLiteral("AreaItem"));
  area->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
  connect(area, &QAction::triggered, handScan, &HandScanWindow::OpenHandScanWindow);
  AddToolButton(QStringLiteral("SpeedButtonAREA"), QStringLiteral("input-mouse"),
                QStyle::SP_DesktopIcon, QStringLiteral("Окно ручного управления сканера "),
                [handScan] { handScan->OpenHandScanWindow(); });
}

}  // namespace kalvetro
