// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ShowFiles.h"
#include "effects/ui/ColourMixerPanel.h"
#include "effects/ui/ConveyorPanel.h"
#include "windows/AboutWindow.h"
#include "windows/HelpWindow.h"
#include "windows/MainWindow.h"

namespace kalvetro {

namespace {

// A palette with every role set, so that a widget keeps the desktop's colours whatever its
// window is painted with.
QPalette FixedPalette(const QPalette& desktop) {
  QPalette fixed;
  for (int g = 0; g < QPalette::NColorGroups; ++g) {
    const auto group = static_cast<QPalette::ColorGroup>(g);
    for (int r = 0; r < QPalette::NColorRoles; ++r) {
      const auto role = static_cast<QPalette::ColorRole>(r);
      fixed.setBrush(group, role, desktop.brush(group, role));
    }
  }
  return fixed;
}

}  // namespace

// The conveyor under the input pages, the window colour on "Опции", and the help and system
// information windows in the menu "Помощь" and on the toolbar.
void MainWindow::BuildConveyorParts() {
  // The right column becomes the input pages over the conveyor: its twenty slots in two rows
  // of ten, in the order of the keys.
  auto* right = new QWidget(centralWidget());
  right->setObjectName(QStringLiteral("PanelInputAndConveyor"));
  centralWidget()->layout()->replaceWidget(inputPages, right);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->setSpacing(4);
  rightLayout->addWidget(inputPages, 1);
  auto* conveyor = new ConveyorPanel(console_, *this, right);
  rightLayout->addWidget(conveyor, 0);
  conveyorGroup = conveyor;

  // The show's colour paints the window around the pages; the pages keep the desktop's
  // colours so that every control on them stays readable on any mix.
  for (QTabWidget* pages : {tempoPages, settingsPages, inputPages})
    pages->setPalette(FixedPalette(QApplication::palette(pages)));

  // Under the MIDI group, before the stretch that closes its column.
  auto* midiColumn = Tab("TabSheet1")->findChild<QWidget*>(QStringLiteral("PanelMidi"));
  auto* midiLayout = static_cast<QVBoxLayout*>(midiColumn->layout());
  auto* colour = new ColourMixerPanel(console_, *this, midiColumn);
  colour->setMaximumWidth(340);
  midiLayout->insertWidget(midiLayout->count() - 1, colour);

  // The system information window: created for each showing, modal, destroyed after.
  auto aboutItemClick = [this] {
    const QString folder = console_.Show().showNamed
                               ? QFileInfo(console_.Files().SaveDialogFileName()).absolutePath()
                               : QDir::currentPath();
    AboutWindow about(folder, this);
    about.exec();
  };
  // The help window: one for the life of the main window, brought to the front on each call.
  auto helpItemClick = [this] {
    auto* help = findChild<HelpWindow*>(QStringLiteral("HelpForm"));
    if (!help) {
      const QString folder = HelpWindow::HelpFolder();
      if (folder.isEmpty()) {
        dialogs_->Error(QStringLiteral(
            "Справка не найдена: нет папки help с файлом index.html ни в share/kalvetro "
            "рядом с программой, ни в папке data исходных текстов."));
        return;
      }
      help = new HelpWindow(folder, this);
    }
    help->show();
    help->raise();
    help->activateWindow();
  };
  auto* helpItem = helpMenu->addAction(QStringLiteral("Справка"));
  helpItem->setObjectName(QStringLiteral("HelpItem"));
  helpItem->setShortcut(QKeySequence(Qt::Key_F1));
  connect(helpItem, &QAction::triggered, this, helpItemClick);
  auto* aboutItem = helpMenu->addAction(QStringLiteral("О программе"));
  aboutItem->setObjectName(QStringLiteral("AboutItem"));
  connect(aboutItem, &QAction::triggered, this, aboutItemClick);
  AddToolButton(QStringLiteral("SpeedButtonHELP"), QStringLiteral("help-contents"),
                QStyle::SP_DialogHelpButton, QStringLiteral("Help "), helpItemClick);
  AddToolButton(QStringLiteral("SpeedButtonABOUT"), QStringLiteral("help-about"),
                QStyle::SP_MessageBoxInformation, QStringLiteral("О программе "), aboutItemClick);
}

}  // namespace kalvetro
