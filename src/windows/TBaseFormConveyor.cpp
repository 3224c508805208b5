#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QStyle>
#include <QVBoxLayout>

#include "effects/ui/ColorMixerPanel.h"
#include "effects/ui/ConveyorPanel.h"
#include "windows/TAboutForm.h"
#include "windows/TBaseForm.h"
#include "windows/THelpForm.h"

namespace kalvetro {

// The conveyor under the left page controls, the window colour on "Опции", and the help and
// system information windows in the menu "Помощь" and on the toolbar.
void TBaseForm::BuildConveyorParts() {
  QWidget* left = findChild<QWidget*>(QStringLiteral("LeftPanel"));
  auto* conveyor = new ConveyorPanel(console_, *this, left);
  static_cast<QVBoxLayout*>(left->layout())->addWidget(conveyor, 0);
  GroupBoxKonveir = conveyor;

  QWidget* options = Tab("TabSheet1");
  auto* optionsLayout = static_cast<QHBoxLayout*>(options->layout());
  // Before the stretch that closes the row.
  optionsLayout->insertWidget(optionsLayout->count() - 1, new ColorMixerPanel(console_, options),
                              0, Qt::AlignTop);

  // The system information window: created for each showing, modal, destroyed after.
  auto aboutItemClick = [this] {
    const QString folder = console_.Show().showNamed
                               ? QFileInfo(console_.SaveDialogFileName()).absolutePath()
                               : QDir::currentPath();
    TAboutForm about(folder, this);
    about.exec();
  };
  // The help window: one for the life of the main window, brought to the front on each call.
  auto helpItemClick = [this] {
    auto* help = findChild<THelpForm*>(QStringLiteral("HelpForm"));
    if (!help) {
      const QString folder = THelpForm::HelpFolder();
      if (folder.isEmpty()) {
        dialogs_->Error(QStringLiteral(
            "Справка не найдена: нет папки help с файлом index.html ни в share/kalvetro "
            "рядом с программой, ни в папке data исходных текстов."));
        return;
      }
      help = new THelpForm(folder, this);
    }
    help->show();
    help->raise();
    help->activateWindow();
  };
  auto* helpItem = HelpMenu->addAction(QStringLiteral("Справка"));
  helpItem->setObjectName(QStringLiteral("HelpItem"));
  helpItem->setShortcut(QKeySequence(Qt::Key_F1));
  connect(helpItem, &QAction::triggered, this, helpItemClick);
  auto* aboutItem = HelpMenu->addAction(QStringLiteral("О программе"));
  aboutItem->setObjectName(QStringLiteral("AboutItem"));
  connect(aboutItem, &QAction::triggered, this, aboutItemClick);
  AddToolButton(QStringLiteral("SpeedButtonHELP"), QStringLiteral("help-contents"),
                QStyle::SP_DialogHelpButton, QStringLiteral("Help "), helpItemClick);
  AddToolButton(QStringLiteral("SpeedButtonABOUT"), QStringLiteral("help-about"),
                QStyle::SP_MessageBoxInformation, QStringLiteral("О программе "), aboutItemClick);
}

}  // namespace kalvetro
