#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/ui/SceneCommands.h"
#include "playback/ui/SequencerPanel.h"
#include "windows/TBaseForm.h"

namespace kalvetro {

// The playback pages: sequencer and show clock, and the scene list commands.
void TBaseForm::BuildPlaybackPages() {
  QWidget* tab = Tab("TabSheetAvtomat");
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* sequencer = new SequencerPanel(console_, *this, tab);
  layout->addWidget(sequencer);
  layout->addStretch();

  // The scene list commands serve the menu, the toolbar and the scene buttons of the
  // sequencer page.
  SceneListButtons buttons;
  buttons.newScena = sequencer->SpeedButtonNewScena;
  buttons.scenaCopy = sequencer->SpeedButtonScenaCopy;
  buttons.newScenaPaste = sequencer->SpeedButtonNewScenaPaste;
  buttons.scenaPaste = sequencer->ButtonScenaPaste;
  buttons.scenaDelete = sequencer->SpeedButtonScenaDelete;
  auto* commands = new SceneCommands(console_, *this, buttons, this);
  sequencer->SetAvtoDobScenaItem(commands->AvtoDobScenaItem);
}

}  // namespace kalvetro
