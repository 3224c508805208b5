// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/ui/SceneCommands.h"
#include "playback/ui/SequencerPanel.h"
#include "windows/MainWindow.h"

namespace kalvetro {

// The playback pages: sequencer and show clock, and the scene list commands.
void MainWindow::BuildPlaybackPages() {
  QWidget* tab = Tab("TabSheetAvtomat");
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* sequencer = new SequencerPanel(console_, *this, tab);
  layout->addWidget(sequencer);
  layout->addStretch();

  // The scene list commands serve the menu, the toolbar and the scene buttons of the
  // sequencer page.
  SceneListButtons buttons;
  buttons.insertScene = sequencer->newSceneButton;
  buttons.copyScene = sequencer->copySceneButton;
  buttons.insertPasted = sequencer->newSceneFromPasteButton;
  buttons.pasteScene = sequencer->replaceFromPasteButton;
  buttons.deleteScene = sequencer->deleteSceneButton;
  auto* commands = new SceneCommands(console_, *this, buttons, this);
  sequencer->SetAutoAddSceneItem(commands->autoAddSceneAction);
}

}  // namespace kalvetro
