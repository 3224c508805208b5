// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/ui/SequencerPanel.h"
#include "app/PictureEditorSession.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "editing/SceneList.h"
#include "playback/Sequencer.h"
#include "ui/Controls.h"
#include "ui/GlyphIcon.h"
#include "ui/SpeedButtons.h"
#include "ui/SteadyLabel.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

const QColor kFlashLime(0, 255, 0);
const QColor kFlashRed(255, 0, 0);

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& text,
                            const QString& hint, const QIcon& icon) {
  auto* button = MakeSpeedButton(parent, QString::fromLatin1(name), text, hint, false);
  button->setIcon(icon);
  return button;
}

QFrame* MakeSection(QWidget* parent, const char* name) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setFrameShadow(QFrame::Sunken);
  return frame;
}

// "Nч Nм Nс " of the show clock, decimal without leading zeros.
QString ClockText(const ShowClock& clock) {
  return QStringLiteral("%1ч %2м %3с ").arg(clock.hours).arg(clock.minutes).arg(clock.seconds);
}

}  // namespace

SequencerPanel::SequencerPanel(Console& console, WindowParts& parts, QWidget* parent)
    : QGroupBox(QStringLiteral("Управление сценами"), parent), console_(console), parts_(parts) {
  setObjectName(QStringLiteral("GroupBoxPlay"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 8, 6, 6);
  layout->setSpacing(6);
  layout->addWidget(BuildTempoSection());
  layout->addWidget(BuildTransportSection());
  layout->addWidget(BuildStepSection());
  layout->addWidget(BuildClockSection());
  layout->addWidget(BuildSceneButtons());
  layout->addStretch();

  tempoStripTimer = new QTimer(this);
  tempoStripTimer->setObjectName(QStringLiteral("TimerColorLentaTempa"));
  tempoStripTimer->setInterval(100);
  connect(tempoStripTimer, &QTimer::timeout, this, &SequencerPanel::EndTempoFlash);
  showClockTimer = new QTimer(this);
  showClockTimer->setObjectName(QStringLiteral("TimerShouClock"));
  showClockTimer->setInterval(1000);
  connect(showClockTimer, &QTimer::timeout, this, &SequencerPanel::ShowClockTick);
  connect(parts_.DisplayTimer(), &QTimer::timeout, this, &SequencerPanel::DisplayTick);
  connect(&console_, &Console::ShowSettingsRefresh, this, &SequencerPanel::RefreshSequencer);
  connect(&console_, &Console::ShowReplaced, this, &SequencerPanel::TempStatus);
  // The group is a view of the show runner: its clock flashes the strip, its tempo and its
  // pacing show here whoever changed them.
  ShowRunner& runner = console_.Runner();
  connect(&runner, &ShowRunner::PlayingChanged, this, &SequencerPanel::ShowPlaying);
  connect(&runner, &ShowRunner::SequencerTicked, this, &SequencerPanel::FlashTempoStrip);
  connect(&runner, &ShowRunner::TempoChanged, this, &SequencerPanel::TempStatus);
  connect(&runner, &ShowRunner::SoundPacedChanged, soundPacedBox, &QCheckBox::setChecked);
  connect(soundPacedBox, &QCheckBox::toggled, &runner, &ShowRunner::SetSoundPaced);
  connect(ringBox, &QCheckBox::toggled, &runner, &ShowRunner::SetRing);
  // The static picture editor hides the Play button while it is open.
  connect(&console_.PictureEditor(), &PictureEditorSession::OpenChanged, this,
          [this](bool open) { playButton->setVisible(!open); });
  // The display timers of the page run from start-up to exit.
  tempoStripTimer->start();
  showClockTimer->start();
}

// ---------------------------------------------------------------- building the group

QWidget* SequencerPanel::BuildTempoSection() {
  QFrame* section = MakeSection(this, "PanelTempo");
  auto* grid = new QGridLayout(section);
  grid->setContentsMargins(6, 4, 6, 6);
  grid->setVerticalSpacing(3);
  auto* caption = PlainLabel(QStringLiteral("Темп"), section);
  tempoLabel = PlainLabel(QStringLiteral("120 сцен/мин"), section);
  tempoLabel->setObjectName(QStringLiteral("LabelTemp"));
  tempoLabel->setToolTip(QStringLiteral("Время перехода на следующую сцену "));
  tempoLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont big = tempoLabel->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.15);
  tempoLabel->setFont(big);
  KeepLabelSize(tempoLabel, {QStringLiteral("6000  Сцен/мин ")});
  tempoSlider = MakeBar(section, QStringLiteral("ScrollBarTemp"),
                        {.minimum = kTempoMin,
                         .maximum = kTempoMax,
                         .value = 44,
                         .hint = QStringLiteral("Установка времени перехода на следующую сцену")});
  tempoSlider->setMinimumHeight(20);
  connect(tempoSlider, &QScrollBar::valueChanged, this, &SequencerPanel::ChangeTempo);
  MarkRemoteTarget(tempoSlider, QStringLiteral("tempo"));
  tempoStrip = new QFrame(section);
  tempoStrip->setObjectName(QStringLiteral("ShapeTempClikc"));
  tempoStrip->setFixedSize(190, 5);
  tempoStrip->setAutoFillBackground(true);
  SetShapeColour(Qt::white);
  grid->addWidget(caption, 0, 0);
  grid->addWidget(tempoLabel, 0, 1, Qt::AlignRight);
  grid->addWidget(tempoSlider, 1, 0, 1, 2);
  grid->addWidget(tempoStrip, 2, 0, 1, 2, Qt::AlignHCenter);
  return section;
}

QWidget* SequencerPanel::BuildTransportSection() {
  auto* section = new QWidget(this);
  section->setObjectName(QStringLiteral("PanelTransport"));
  auto* row = new QHBoxLayout(section);
  row->setContentsMargins(0, 0, 0, 0);
  stopButton = MakeToolButton(section, "SpeedButtonStop", QStringLiteral("Стоп"),
                              QStringLiteral("Остановить Шоу - горячая кнопка /+/ "),
                              GlyphIcon(Glyph::Stop));
  playButton =
      MakeToolButton(section, "SpeedButtonPlay", QStringLiteral("Пуск"),
                     QStringLiteral("Запустить Шоу - горячая кнопка /-/ "), GlyphIcon(Glyph::Play));
  auto* group = new QButtonGroup(section);
  group->setExclusive(true);
  MarkRemoteTarget(stopButton, QStringLiteral("play"));
  MarkRemoteTarget(playButton, QStringLiteral("play"));
  for (QToolButton* b : {stopButton, playButton}) {
    b->setCheckable(true);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setIconSize(QSize(28, 28));
    b->setMinimumSize(72, 54);
    group->addButton(b);
    row->addWidget(b);
  }
  // A latched transport button shows its state in colour, as on a console.
  section->setStyleSheet(QStringLiteral(
      "QToolButton { border: 1px solid #8a8a8a; border-radius: 4px; padding: 2px;"
      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafafa, stop:1 #dcdcdc); }"
      "QToolButton:hover { border-color: #4a78b0; }"
      "#SpeedButtonPlay:checked { background: #3c9a3c; color: white; border-color: #206020; }"
      "#SpeedButtonStop:checked { background: #b84040; color: white; border-color: #702020; }"));
  stopButton->setChecked(true);
  // The buttons ask the runner; ShowPlaying latches them when the runner says it changed.
  connect(stopButton, &QToolButton::clicked, this, [this] { console_.Runner().Stop(); });
  connect(playButton, &QToolButton::clicked, this, [this] { console_.Runner().Play(); });
  playButton->installEventFilter(this);

  auto* options = new QVBoxLayout;
  ringBox = new QCheckBox(QStringLiteral("Кольцо"), section);
  ringBox->setObjectName(QStringLiteral("CheckBoxRepeat"));
  ringBox->setToolTip(QStringLiteral("При наличии флажка сцены повторяются по кругу безконечно"));
  ringBox->setChecked(true);
  soundPacedBox = new QCheckBox(QStringLiteral("Audio"), section);
  soundPacedBox->setObjectName(QStringLiteral("CheckBoxAudio1"));
  soundPacedBox->setToolTip(QStringLiteral("Включить запуск от звукового источника"));
  options->addWidget(ringBox);
  options->addWidget(soundPacedBox);
  row->addSpacing(8);
  row->addLayout(options);
  row->addStretch();
  return section;
}

QWidget* SequencerPanel::BuildStepSection() {
  QFrame* section = MakeSection(this, "PanelStep");
  auto* grid = new QGridLayout(section);
  grid->setContentsMargins(6, 4, 6, 6);
  grid->setVerticalSpacing(3);

  auto* display = new QFrame(section);
  display->setObjectName(QStringLiteral("PanelStepDisplay"));
  display->setStyleSheet(QStringLiteral(
      "#PanelStepDisplay { background: #101a10; border: 1px solid #405040; border-radius: 3px; }"
      "#PanelStepDisplay QLabel { color: #c8d8c8; background: transparent; }"
      "#PanelStepDisplay QLabel#LabelStep, #PanelStepDisplay QLabel#LabelCoda { color: #50ff50; "
      "}"));
  auto* row = new QHBoxLayout(display);
  row->setContentsMargins(8, 2, 8, 2);
  auto* sceneCaption = PlainLabel(QStringLiteral("Сцена"), display);
  sceneLabel = PlainLabel(QStringLiteral("255"), display);
  sceneLabel->setObjectName(QStringLiteral("LabelStep"));
  sceneLabel->setToolTip(QStringLiteral("Номер текущей сцены"));
  auto* ofCaption = PlainLabel(QStringLiteral("из"), display);
  lastSceneLabel = PlainLabel(QStringLiteral("124"), display);
  lastSceneLabel->setObjectName(QStringLiteral("LabelCoda"));
  lastSceneLabel->setToolTip(QStringLiteral("Максимальное кол-во сцен"));
  // Bold fixed-width digits, so the number does not shift as it counts.
  QFont digits = sceneLabel->font();
  digits.setFamily(QStringLiteral("monospace"));
  digits.setStyleHint(QFont::Monospace);
  digits.setBold(true);
  digits.setPointSizeF(digits.pointSizeF() * 2.2);
  sceneLabel->setFont(digits);
  digits.setPointSizeF(digits.pointSizeF() * 0.6);
  lastSceneLabel->setFont(digits);
  sceneLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  KeepLabelSize(sceneLabel, {QStringLiteral("0000")});
  KeepLabelSize(lastSceneLabel, {QStringLiteral("0000")});
  row->addWidget(sceneCaption);
  row->addWidget(sceneLabel);
  row->addSpacing(6);
  row->addWidget(ofCaption);
  row->addWidget(lastSceneLabel);
  row->addStretch();

  sceneSlider = MakeBar(section, QStringLiteral("ScrollBarStep"),
                        {.value = 255, .hint = QStringLiteral("Установка текущей сцены")});
  sceneSlider->setMinimumHeight(20);
  connect(sceneSlider, &QScrollBar::valueChanged, this, &SequencerPanel::ChooseScene);
  // Taught to a desk: its forward half is the next scene, its back half the previous.
  MarkRemoteTarget(sceneSlider, QStringLiteral("scene"));
  grid->addWidget(display, 0, 0);
  grid->addWidget(sceneSlider, 1, 0);
  return section;
}

QWidget* SequencerPanel::BuildClockSection() {
  QFrame* section = MakeSection(this, "PanelClock");
  auto* column = new QVBoxLayout(section);
  column->setContentsMargins(6, 3, 6, 3);
  column->setSpacing(1);
  showTimeLabel = PlainLabel(QStringLiteral("Время в Шоу ?"), section);
  showTimeLabel->setObjectName(QStringLiteral("LabelTimeShou"));
  pauseTimeLabel = PlainLabel(QStringLiteral("Время  Паузы  "), section);
  pauseTimeLabel->setObjectName(QStringLiteral("LabelTimePause"));
  QFont mono = showTimeLabel->font();
  mono.setFamily(QStringLiteral("monospace"));
  for (QLabel* label : {showTimeLabel, pauseTimeLabel}) {
    label->setFont(mono);
    KeepLabelSize(label, {QStringLiteral("Шоу   = 9999ч 59м 59с "),
                          QStringLiteral("Паузa = 9999ч 59м 59с ")});
    column->addWidget(label);
  }
  return section;
}

QWidget* SequencerPanel::BuildSceneButtons() {
  auto* box = new QGroupBox(QStringLiteral("Сцены"), this);
  box->setObjectName(QStringLiteral("GroupBoxScenaEdit"));
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(3);
  newSceneButton = MakeToolButton(box, "SpeedButtonNewScena", QStringLiteral("Новая"),
                                  QStringLiteral("Создать новую сцену после текущей"),
                                  ThemeIcon(this, "list-add", QStyle::SP_FileDialogNewFolder));
  copySceneButton = MakeToolButton(box, "SpeedButtonScenaCopy", QStringLiteral("В буфер"),
                                   QStringLiteral("Копировать текущую сцену в буфер"),
                                   ThemeIcon(this, "edit-copy", QStyle::SP_FileDialogContentsView));
  newSceneFromPasteButton = MakeToolButton(
      box, "SpeedButtonNewScenaPaste", QStringLiteral("Новая из буфера"),
      QStringLiteral("Создать новую сцену после текущей и скопировать в нее сцену из буфера"),
      ThemeIcon(this, "edit-paste", QStyle::SP_FileDialogDetailedView));
  deleteSceneButton = MakeToolButton(box, "SpeedButtonScenaDelete", QStringLiteral("Удалить"),
                                     QStringLiteral("Удалить текущую сцену"),
                                     ThemeIcon(this, "edit-delete", QStyle::SP_TrashIcon));
  replaceFromPasteButton =
      new QPushButton(ThemeIcon(this, "edit-paste", QStyle::SP_DialogApplyButton),
                      QStringLiteral("Заменить из буфера"), box);
  replaceFromPasteButton->setObjectName(QStringLiteral("ButtonScenaPaste"));
  replaceFromPasteButton->setToolTip(QStringLiteral("Заменить текущую сцену Сценой  из буфера"));
  for (QToolButton* b :
       {newSceneButton, copySceneButton, newSceneFromPasteButton, deleteSceneButton}) {
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  replaceFromPasteButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  grid->addWidget(newSceneButton, 0, 0);
  grid->addWidget(deleteSceneButton, 0, 1);
  grid->addWidget(copySceneButton, 1, 0);
  grid->addWidget(newSceneFromPasteButton, 1, 1);
  grid->addWidget(replaceFromPasteButton, 2, 0, 1, 2);
  // The paste buttons wait for the first copy into the buffer.
  newSceneFromPasteButton->setEnabled(false);
  replaceFromPasteButton->setEnabled(false);
  return box;
}

void SequencerPanel::SetShapeColour(const QColor& color) {
  QPalette palette = tempoStrip->palette();
  palette.setColor(QPalette::Window, color);
  tempoStrip->setPalette(palette);
}

bool SequencerPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == playButton && event->type() == QEvent::MouseButtonDblClick &&
      playButton->isEnabled())
    console_.Runner().PlayFromStart();
  return QGroupBox::eventFilter(watched, event);
}

// ---------------------------------------------------------------- tempo

void SequencerPanel::TempStatus() {
  const int interval = SequencerInterval(console_.Show().memory.Get(kTempo));
  tempoLabel->setText(QString::number(ScenesPerMinute(interval)) + QStringLiteral("  Сцен/мин "));
}

void SequencerPanel::ChangeTempo(int position) {
  console_.Runner().SetTempo(position);
  TempStatus();
}

void SequencerPanel::RefreshSequencer() {
  ShowState& show = console_.Show();
  tempoSlider->setValue(LimitTempo(show.memory.Get(kTempo)));
  TempStatus();
  const int step = show.CurrentStep();
  const int last = show.LastScene();
  sceneLabel->setText(QString::number(step + 1));
  // The maximum first, so that the position is never cut back to an old maximum; a step
  // is a byte, so the slider stops at scene 256 even when the show has all 256 scenes.
  refreshing_ = true;
  sceneSlider->setMaximum(std::min(last + 1, kSceneCount - 1));
  sceneSlider->setValue(step);
  refreshing_ = false;
  lastSceneLabel->setText(QString::number(last + 1));
}

// ---------------------------------------------------------------- play and stop

void SequencerPanel::SetSceneEditingEnabled(bool enabled, bool withPaste) {
  for (QAbstractButton* b : {static_cast<QAbstractButton*>(newSceneButton),
                             static_cast<QAbstractButton*>(copySceneButton),
                             static_cast<QAbstractButton*>(deleteSceneButton)})
    b->setEnabled(enabled);
  if (withPaste) {
    newSceneFromPasteButton->setEnabled(enabled);
    replaceFromPasteButton->setEnabled(enabled);
  }
  if (QMenu* scenes = parts_.Menu(MenuId::Scenes)) scenes->setEnabled(enabled);
}

void SequencerPanel::ShowPlaying(bool playing) {
  clock_.Reset();
  if (playing) {
    playButton->setChecked(true);
    SetSceneEditingEnabled(false, true);
  } else {
    stopButton->setChecked(true);
    // The paste buttons stay disabled until the next copy into the buffer.
    SetSceneEditingEnabled(true, false);
  }
}

void SequencerPanel::DisplayTick() {
  ApplyAudioColour();
}

void SequencerPanel::ApplyAudioColour() {
  // The output tick asks for the "Audio" caption to be red while a beat waits, grey otherwise.
  const QColor colour =
      console_.Controls().crossfade.audioRed.load() ? QColor(255, 0, 0) : QColor(128, 128, 128);
  QPalette palette = soundPacedBox->palette();
  if (palette.color(QPalette::WindowText) == colour) return;
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::ButtonText, colour);
  soundPacedBox->setPalette(palette);
}

// ---------------------------------------------------------------- current scene

void SequencerPanel::ChooseScene(int position) {
  if (refreshing_) return;  // the refresh puts the slider on the current step
  console_.Runner().SelectScene(position);
}

void SequencerPanel::SetAutoAddSceneItem(QAction* item) {
  autoAddSceneItem = item;
  connect(item, &QAction::toggled, &console_.Runner(), &ShowRunner::SetAutoAddScenes);
  console_.Runner().SetAutoAddScenes(item->isChecked());
}

// ---------------------------------------------------------------- sequencer tick

void SequencerPanel::FlashTempoStrip() {
  // The tempo strip flashes on every tick of the sequencer, playing or not.
  tempoStripTimer->start();
  const ShowRunner& runner = console_.Runner();
  QColor flash = runner.BlackOut() ? QColor(Qt::black) : kFlashLime;
  if (runner.MacroOut()) flash = kFlashRed;
  SetShapeColour(flash);
}

void SequencerPanel::EndTempoFlash() {
  tempoStripTimer->stop();
  SetShapeColour(palette().color(QPalette::Button));
}

// ---------------------------------------------------------------- show clock

void SequencerPanel::ShowClockTick() {
  clock_.Tick();
  if (console_.Show().playing.load()) {
    showTimeLabel->setText(QStringLiteral("Шоу   = ") + ClockText(clock_));
  } else {
    // The last letter of "Паузa" is the Latin a, as the console has always shown it.
    pauseTimeLabel->setText(QStringLiteral("Пауз") + QLatin1Char('a') + QStringLiteral(" = ") +
                            ClockText(clock_));
  }
}

}  // namespace kalvetro
