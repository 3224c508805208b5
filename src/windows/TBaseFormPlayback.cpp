#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/ui/SceneCommands.h"
#include "playback/ui/SequencerPanel.h"
#include "windows/TBaseForm.h"

namespace kalvetro {

// The playback pages: sequencer and show clock, and the scene list commands.
void TBaseForm::BuildPlaybackPages() {
  QWidget* tab = Tab(QStringLiteral("TabSheetAvtomat"));
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* sequencer = new SequencerPanel(*this, tab);
  layout->addWidget(sequencer);
  layout->addStretch();

  SceneListButtons buttons;
  buttons.newScena = sequencer->SpeedButtonNewScena;
  buttons.scenaCopy = sequencer->SpeedButtonScenaCopy;
  buttons.newScenaPaste = sequencer->SpeedButtonNewScenaPaste;
  buttons.scenaPaste = sequencer->ButtonScenaPaste;
  buttons.scenaDelete = sequencer->SpeedButtonScenaDelete;
  auto* commands = new SceneCommands(*this, buttons, this);
  sequencer->SetAvtoDobScenaItem(commands->AvtoDobScenaItem);

  AddDataSystemRefresh([sequencer] { sequencer->ReturnSequencer(); });
  AddClearAllStep([sequencer] { sequencer->TempStatus(); });
}

}  // namespace kalvetro
