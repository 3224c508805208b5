#include "playback/ui/SequencerPanel.h"

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
#include "widgets/SpeedButtons.h"
#include "widgets/SteadyLabel.h"
#include "widgets/WindowParts.h"

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

  TimerColorLentaTempa = new QTimer(this);
  TimerColorLentaTempa->setObjectName(QStringLiteral("TimerColorLentaTempa"));
  TimerColorLentaTempa->setInterval(100);
  connect(TimerColorLentaTempa, &QTimer::timeout, this, &SequencerPanel::TimerColorLentaTempaTimer);
  TimerShouClock = new QTimer(this);
  TimerShouClock->setObjectName(QStringLiteral("TimerShouClock"));
  TimerShouClock->setInterval(1000);
  connect(TimerShouClock, &QTimer::timeout, this, &SequencerPanel::TimerShouClockTimer);
  connect(parts_.DisplayTimer(), &QTimer::timeout, this, &SequencerPanel::TimerDataDmxToDspTimer);
  connect(&console_, &Console::PlayingChanged, this, &SequencerPanel::ShowPlaying);
  connect(&console_, &Console::DataSystemRefresh, this, &SequencerPanel::ReturnSequencer);
  connect(&console_, &Console::ShowReplaced, this, &SequencerPanel::TempStatus);
  // The group is a view of the show runner: its clock flashes the strip, its tempo and its
  // pacing show here whoever changed them.
  ShowRunner& runner = console_.Runner();
  connect(&runner, &ShowRunner::SequencerTicked, this, &SequencerPanel::FlashTempoStrip);
  connect(&runner, &ShowRunner::TempoChanged, this, &SequencerPanel::TempStatus);
  connect(&runner, &ShowRunner::SoundPacedChanged, CheckBoxAudio1, &QCheckBox::setChecked);
  connect(CheckBoxAudio1, &QCheckBox::toggled, &runner, &ShowRunner::SetSoundPaced);
  connect(CheckBoxRepeat, &QCheckBox::toggled, &runner, &ShowRunner::SetRing);
  // The static picture editor hides the Play button while it is open.
  connect(&console_, &Console::ChaserEditingChanged, this,
          [this](bool open) { SpeedButtonPlay->setVisible(!open); });
  // The display timers of the page run from start-up to exit.
  TimerColorLentaTempa->start();
  TimerShouClock->start();
}

// ---------------------------------------------------------------- building the group

QWidget* SequencerPanel::BuildTempoSection() {
  QFrame* section = MakeSection(this, "PanelTempo");
  auto* grid = new QGridLayout(section);
  grid->setContentsMargins(6, 4, 6, 6);
  grid->setVerticalSpacing(3);
  auto* caption = new QLabel(QStringLiteral("Темп"), section);
  LabelTemp = new QLabel(QStringLiteral("120 сцен/мин"), section);
  LabelTemp->setObjectName(QStringLiteral("LabelTemp"));
  LabelTemp->setToolTip(QStringLiteral("Время перехода на следующую сцену "));
  LabelTemp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont big = LabelTemp->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.15);
  LabelTemp->setFont(big);
  KeepLabelSize(LabelTemp, {QStringLiteral("6000  Сцен/мин ")});
  ScrollBarTemp = new QScrollBar(Qt::Horizontal, section);
  ScrollBarTemp->setObjectName(QStringLiteral("ScrollBarTemp"));
  ScrollBarTemp->setRange(kTempoMin, kTempoMax);
  ScrollBarTemp->setPageStep(10);
  ScrollBarTemp->setValue(44);
  ScrollBarTemp->setToolTip(QStringLiteral("Установка времени перехода на следующую сцену"));
  ScrollBarTemp->setMinimumHeight(20);
  connect(ScrollBarTemp, &QScrollBar::valueChanged, this, &SequencerPanel::ScrollBarTempChange);
  ShapeTempClikc = new QFrame(section);
  ShapeTempClikc->setObjectName(QStringLiteral("ShapeTempClikc"));
  ShapeTempClikc->setFixedSize(190, 5);
  ShapeTempClikc->setAutoFillBackground(true);
  SetShapeColor(Qt::white);
  grid->addWidget(caption, 0, 0);
  grid->addWidget(LabelTemp, 0, 1, Qt::AlignRight);
  grid->addWidget(ScrollBarTemp, 1, 0, 1, 2);
  grid->addWidget(ShapeTempClikc, 2, 0, 1, 2, Qt::AlignHCenter);
  return section;
}

QWidget* SequencerPanel::BuildTransportSection() {
  auto* section = new QWidget(this);
  section->setObjectName(QStringLiteral("PanelTransport"));
  auto* row = new QHBoxLayout(section);
  row->setContentsMargins(0, 0, 0, 0);
  SpeedButtonStop = MakeToolButton(section, "SpeedButtonStop", QStringLiteral("Стоп"),
                                   QStringLiteral("Остановить Шоу - горячая кнопка /+/ "),
                                   ThemeIcon(this, "media-playback-stop", QStyle::SP_MediaStop));
  SpeedButtonPlay = MakeToolButton(section, "SpeedButtonPlay", QStringLiteral("Пуск"),
                                   QStringLiteral("Запустить Шоу - горячая кнопка /-/ "),
                                   ThemeIcon(this, "media-playback-start", QStyle::SP_MediaPlay));
  auto* group = new QButtonGroup(section);
  group->setExclusive(true);
  for (QToolButton* b : {SpeedButtonStop, SpeedButtonPlay}) {
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
  SpeedButtonStop->setChecked(true);
  connect(SpeedButtonStop, &QToolButton::clicked, this, &SequencerPanel::SpeedButtonStopClick);
  connect(SpeedButtonPlay, &QToolButton::clicked, this, &SequencerPanel::SpeedButtonPlayClick);
  SpeedButtonPlay->installEventFilter(this);

  auto* options = new QVBoxLayout;
  CheckBoxRepeat = new QCheckBox(QStringLiteral("Кольцо"), section);
  CheckBoxRepeat->setObjectName(QStringLiteral("CheckBoxRepeat"));
  CheckBoxRepeat->setToolTip(
      QStringLiteral("При наличии флажка сцены повторяются по кругу безконечно"));
  CheckBoxRepeat->setChecked(true);
  CheckBoxAudio1 = new QCheckBox(QStringLiteral("Audio"), section);
  CheckBoxAudio1->setObjectName(QStringLiteral("CheckBoxAudio1"));
  CheckBoxAudio1->setToolTip(QStringLiteral("Включить запуск от звукового источника"));
  options->addWidget(CheckBoxRepeat);
  options->addWidget(CheckBoxAudio1);
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
      "#LabelStep, #LabelCoda { color: #50ff50; font-family: monospace; font-weight: bold; }"));
  auto* row = new QHBoxLayout(display);
  row->setContentsMargins(8, 2, 8, 2);
  auto* sceneCaption = new QLabel(QStringLiteral("Сцена"), display);
  LabelStep = new QLabel(QStringLiteral("255"), display);
  LabelStep->setObjectName(QStringLiteral("LabelStep"));
  LabelStep->setToolTip(QStringLiteral("Номер текущей сцены"));
  auto* ofCaption = new QLabel(QStringLiteral("из"), display);
  LabelCoda = new QLabel(QStringLiteral("124"), display);
  LabelCoda->setObjectName(QStringLiteral("LabelCoda"));
  LabelCoda->setToolTip(QStringLiteral("Максимальное кол-во сцен"));
  QFont digits = LabelStep->font();
  digits.setPointSizeF(digits.pointSizeF() * 2.2);
  LabelStep->setFont(digits);
  digits.setPointSizeF(digits.pointSizeF() * 0.6);
  LabelCoda->setFont(digits);
  LabelStep->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  KeepLabelSize(LabelStep, {QStringLiteral("0000")});
  KeepLabelSize(LabelCoda, {QStringLiteral("0000")});
  row->addWidget(sceneCaption);
  row->addWidget(LabelStep);
  row->addSpacing(6);
  row->addWidget(ofCaption);
  row->addWidget(LabelCoda);
  row->addStretch();

  ScrollBarStep = new QScrollBar(Qt::Horizontal, section);
  ScrollBarStep->setObjectName(QStringLiteral("ScrollBarStep"));
  ScrollBarStep->setRange(0, 255);
  ScrollBarStep->setPageStep(10);
  ScrollBarStep->setValue(255);
  ScrollBarStep->setToolTip(QStringLiteral("Установка текущей сцены"));
  ScrollBarStep->setMinimumHeight(20);
  connect(ScrollBarStep, &QScrollBar::valueChanged, this, &SequencerPanel::ScrollBarStepChange);
  grid->addWidget(display, 0, 0);
  grid->addWidget(ScrollBarStep, 1, 0);
  return section;
}

QWidget* SequencerPanel::BuildClockSection() {
  QFrame* section = MakeSection(this, "PanelClock");
  auto* column = new QVBoxLayout(section);
  column->setContentsMargins(6, 3, 6, 3);
  column->setSpacing(1);
  LabelTimeShou = new QLabel(QStringLiteral("Время в Шоу ?"), section);
  LabelTimeShou->setObjectName(QStringLiteral("LabelTimeShou"));
  LabelTimePause = new QLabel(QStringLiteral("Время  Паузы  "), section);
  LabelTimePause->setObjectName(QStringLiteral("LabelTimePause"));
  QFont mono = LabelTimeShou->font();
  mono.setFamily(QStringLiteral("monospace"));
  for (QLabel* label : {LabelTimeShou, LabelTimePause}) {
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
  SpeedButtonNewScena = MakeToolButton(box, "SpeedButtonNewScena", QStringLiteral("Новая"),
                                       QStringLiteral("Создать новую сцену после текущей"),
                                       ThemeIcon(this, "list-add", QStyle::SP_FileDialogNewFolder));
  SpeedButtonScenaCopy =
      MakeToolButton(box, "SpeedButtonScenaCopy", QStringLiteral("В буфер"),
                     QStringLiteral("Копировать текущую сцену в буфер"),
                     ThemeIcon(this, "edit-copy", QStyle::SP_FileDialogContentsView));
  SpeedButtonNewScenaPaste = MakeToolButton(
      box, "SpeedButtonNewScenaPaste", QStringLiteral("Новая из буфера"),
      QStringLiteral("Создать новую сцену после текущей и скопировать в нее сцену из буфера"),
      ThemeIcon(this, "edit-paste", QStyle::SP_FileDialogDetailedView));
  SpeedButtonScenaDelete = MakeToolButton(box, "SpeedButtonScenaDelete", QStringLiteral("Удалить"),
                                          QStringLiteral("Удалить текущую сцену"),
                                          ThemeIcon(this, "edit-delete", QStyle::SP_TrashIcon));
  ButtonScenaPaste = new QPushButton(ThemeIcon(this, "edit-paste", QStyle::SP_DialogApplyButton),
                                     QStringLiteral("Заменить из буфера"), box);
  ButtonScenaPaste->setObjectName(QStringLiteral("ButtonScenaPaste"));
  ButtonScenaPaste->setToolTip(QStringLiteral("Заменить текущую сцену Сценой  из буфера"));
  for (QToolButton* b : {SpeedButtonNewScena, SpeedButtonScenaCopy, SpeedButtonNewScenaPaste,
                         SpeedButtonScenaDelete}) {
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  ButtonScenaPaste->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  grid->addWidget(SpeedButtonNewScena, 0, 0);
  grid->addWidget(SpeedButtonScenaDelete, 0, 1);
  grid->addWidget(SpeedButtonScenaCopy, 1, 0);
  grid->addWidget(SpeedButtonNewScenaPaste, 1, 1);
  grid->addWidget(ButtonScenaPaste, 2, 0, 1, 2);
  // The paste buttons wait for the first copy into the buffer.
  SpeedButtonNewScenaPaste->setEnabled(false);
  ButtonScenaPaste->setEnabled(false);
  return box;
}

void SequencerPanel::SetShapeColor(const QColor& color) {
  QPalette palette = ShapeTempClikc->palette();
  palette.setColor(QPalette::Window, color);
  ShapeTempClikc->setPalette(palette);
}

bool SequencerPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == SpeedButtonPlay && event->type() == QEvent::MouseButtonDblClick &&
      SpeedButtonPlay->isEnabled())
    SpeedButtonPlayDblClick();
  return QGroupBox::eventFilter(watched, event);
}

// ---------------------------------------------------------------- tempo

void SequencerPanel::TempStatus() {
  const int interval = SequencerInterval(console_.Show().memory.Get(kTempo));
  LabelTemp->setText(QString::number(ScenesPerMinute(interval)) + QStringLiteral("  Сцен/мин "));
}

void SequencerPanel::ScrollBarTempChange(int position) {
  console_.Runner().SetTempo(position);
  TempStatus();
}

void SequencerPanel::ReturnSequencer() {
  ShowState& show = console_.Show();
  ScrollBarTemp->setValue(LimitTempo(show.memory.Get(kTempo)));
  TempStatus();
  const int step = show.CurrentStep();
  const int last = show.LastScene();
  LabelStep->setText(QString::number(step + 1));
  // The maximum first, so that the position is never cut back to an old maximum; a step
  // is a byte, so the slider stops at scene 256 even when the show has all 256 scenes.
  refreshing_ = true;
  ScrollBarStep->setMaximum(std::min(last + 1, kSceneCount - 1));
  ScrollBarStep->setValue(step);
  refreshing_ = false;
  LabelCoda->setText(QString::number(last + 1));
}

// ---------------------------------------------------------------- play and stop

void SequencerPanel::SetSceneEditingEnabled(bool enabled, bool withPaste) {
  for (QAbstractButton* b : {static_cast<QAbstractButton*>(SpeedButtonNewScena),
                             static_cast<QAbstractButton*>(SpeedButtonScenaCopy),
                             static_cast<QAbstractButton*>(SpeedButtonScenaDelete)})
    b->setEnabled(enabled);
  if (withPaste) {
    SpeedButtonNewScenaPaste->setEnabled(enabled);
    ButtonScenaPaste->setEnabled(enabled);
  }
  if (QMenu* scenes = parts_.Menu(MenuId::Scenes)) scenes->setEnabled(enabled);
}

void SequencerPanel::ModePlay() {
  console_.Runner().Play();
}

void SequencerPanel::ModeStop() {
  console_.Runner().Stop();
}

void SequencerPanel::ShowPlaying(bool playing) {
  clock_.Reset();
  if (playing) {
    SpeedButtonPlay->setChecked(true);
    SetSceneEditingEnabled(false, true);
  } else {
    SpeedButtonStop->setChecked(true);
    // The paste buttons stay disabled until the next copy into the buffer.
    SetSceneEditingEnabled(true, false);
  }
}

void SequencerPanel::SpeedButtonPlayClick() {
  ModePlay();
}

void SequencerPanel::SpeedButtonPlayDblClick() {
  console_.Runner().PlayFromStart();
}

void SequencerPanel::SpeedButtonStopClick() {
  ModeStop();
}

void SequencerPanel::TimerDataDmxToDspTimer() {
  // Blackout, a new show or the picture editor may clear the playing flag behind the
  // sequencer's back; the group then shows a stopped show whose scenes can be edited again.
  if (!console_.Show().playing.load() && !SpeedButtonStop->isChecked()) ModeStop();
  ApplyAudioColour();
}

void SequencerPanel::ApplyAudioColour() {
  // The output tick asks for the "Audio" caption to be red while a beat waits, grey otherwise.
  const QColor colour = console_.Controls().crossfade.audioRed.load() ? QColor(255, 0, 0)
                                                                      : QColor(128, 128, 128);
  QPalette palette = CheckBoxAudio1->palette();
  if (palette.color(QPalette::WindowText) == colour) return;
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::ButtonText, colour);
  CheckBoxAudio1->setPalette(palette);
}

// ---------------------------------------------------------------- current scene

void SequencerPanel::ScrollBarStepChange(int position) {
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
  TimerColorLentaTempa->start();
  QColor flash = console_.BlackOut() ? QColor(Qt::black) : kFlashLime;
  if (console_.MacroOut()) flash = kFlashRed;
  SetShapeColor(flash);
}

void SequencerPanel::TimerColorLentaTempaTimer() {
  TimerColorLentaTempa->stop();
  SetShapeColor(palette().color(QPalette::Button));
}

// ---------------------------------------------------------------- show clock

void SequencerPanel::TimerShouClockTimer() {
  clock_.Tick();
  if (console_.Show().playing.load()) {
    LabelTimeShou->setText(QStringLiteral("Шоу   = ") + ClockText(clock_));
  } else {
    // The last letter of "Паузa" is the Latin a, as the console has always shown it.
    LabelTimePause->setText(QStringLiteral("Пауз") + QLatin1Char('a') + QStringLiteral(" = ") +
                            ClockText(clock_));
  }
}

}  // namespace kalvetro
