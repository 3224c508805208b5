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

  // The output tick asks for the "Audio" caption to be red while a beat waits, grey otherwise;
  // the request is applied here, on the user-interface thread, with the output display.
  connect(TimerDataDmxToDsp_, &QTimer::timeout, sequencer, [this, sequencer] {
    const QColor colour = engine_.Controls().audioRed.load() ? QColor(255, 0, 0)
                                                             : QColor(128, 128, 128);
    QPalette palette = sequencer->CheckBoxAudio1->palette();
    if (palette.color(QPalette::WindowText) == colour) return;
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    sequencer->CheckBoxAudio1->setPalette(palette);
  });

  AddDataSystemRefresh([sequencer] { sequencer->ReturnSequencer(); });
  AddClearAllStep([sequencer] { sequencer->TempStatus(); });
}

}  // namespace kalvetro
