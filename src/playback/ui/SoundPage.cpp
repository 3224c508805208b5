// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/ui/SoundPage.h"
#include "app/ShowFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "playback/AudioLevelInput.h"
#include "playback/SoundInputs.h"
#include "playback/ui/SoundInputChooser.h"
#include "ui/Controls.h"
#include "ui/SteadyLabel.h"

namespace kalvetro {

namespace {

const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kGrey(128, 128, 128);

void SetFill(QFrame* frame, const QColor& colour) {
  QPalette palette = frame->palette();
  palette.setColor(QPalette::Window, colour);
  frame->setPalette(palette);
}

QFrame* MakeLamp(QWidget* parent, const QString& name, const QColor& fill, int size) {
  auto* lamp = new QFrame(parent);
  lamp->setObjectName(name);
  lamp->setFixedSize(size, size);
  lamp->setFrameShape(QFrame::Box);
  lamp->setAutoFillBackground(true);
  SetFill(lamp, fill);
  return lamp;
}

QProgressBar* MakeGauge(QWidget* parent, const char* name, int value, const QString& chunk,
                        const QString& hint) {
  auto* gauge = new QProgressBar(parent);
  gauge->setObjectName(QString::fromLatin1(name));
  gauge->setOrientation(Qt::Vertical);
  gauge->setRange(0, kGaugeMax);
  gauge->setValue(value);
  gauge->setTextVisible(false);
  gauge->setToolTip(hint);
  gauge->setFixedWidth(22);
  gauge->setMinimumHeight(160);
  gauge->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #606060;"
                                      " background: #d4d0c8; }"
                                      "QProgressBar::chunk { background: %1; margin: 0; }")
                           .arg(chunk));
  return gauge;
}

QScrollBar* MakeSlider(QWidget* parent, const char* name, int minimum, int maximum, int value,
                       int pageStep, const QString& hint) {
  auto* bar = MakeBar(parent, QString::fromLatin1(name),
                      {.orientation = Qt::Vertical,
                       .minimum = minimum,
                       .maximum = maximum,
                       .value = value,
                       .pageStep = pageStep,
                       .hint = hint});
  bar->setMinimumHeight(160);
  return bar;
}

}  // namespace

SoundPage::SoundPage(Console& console, QWidget* parent) : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("SoundPage"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(6, 6, 6, 6);
  page->setSpacing(6);

  // Level source.
  auto* sourceRow = new QHBoxLayout;
  auto* sourceCaption = PlainLabel(QStringLiteral("Источник уровня"), this);
  levelSourceBox = new QComboBox(this);
  levelSourceBox->setObjectName(QStringLiteral("ComboBoxLevelSource"));
  levelSourceBox->addItem(QStringLiteral("Буфер обмена"));
  levelSourceBox->addItem(QStringLiteral("Аудиовход"));
  levelSourceBox->addItem(QStringLiteral("Бит музыки"));
  levelSourceBox->setToolTip(QStringLiteral(
      "Откуда берется уровень звука: текст в буфере обмена, аудиовход или бит музыки на "
      "аудиовходе"));
  sourceRow->addWidget(sourceCaption);
  sourceRow->addWidget(levelSourceBox, 1);
  page->addLayout(sourceRow);
  // Which audio input: another one chosen while the page listens is listened to at once.
  inputChooser = new SoundInputChooser(console_, this);
  page->addWidget(inputChooser);
  inputChooser->caption->setMinimumWidth(sourceCaption->sizeHint().width());
  connect(inputChooser, &SoundInputChooser::Chosen, this, [this] {
    // The source listening to an input listens to the new one.
    if (source_ != LevelSource::kClipboard) ChooseLevelSource(static_cast<int>(source_));
  });

  // The meters (level, gate, envelope) and the four sliders in one row, the level in figures
  // above the meters; the page shares the narrow left column with the sequencer.
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("PanelSound"));
  panel->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setHorizontalSpacing(5);
  grid->setVerticalSpacing(3);
  levelLabel = PlainLabel(QStringLiteral("00"), panel);
  levelLabel->setObjectName(QStringLiteral("Label33"));
  QFont big = levelLabel->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.6);
  levelLabel->setFont(big);
  levelLabel->setAlignment(Qt::AlignCenter);
  KeepLabelSize(levelLabel, {QStringLiteral("000")});
  levelGauge = MakeGauge(panel, "GaugeLevel", kGaugeStart, QStringLiteral("#00ff00"),
                         QStringLiteral("Индикатор уровня сигнала "));
  gateGauge = MakeGauge(panel, "GaugeGate", 5555, QStringLiteral("#800000"),
                        QStringLiteral("Уровень порога включения "));
  envelopeGauge = MakeGauge(panel, "ProgressBarKomp", 0, QStringLiteral("#000080"),
                            QStringLiteral("Индикатор огибающей с фильтром "));
  grid->addWidget(levelLabel, 0, 0, 1, 3, Qt::AlignCenter);
  grid->addWidget(levelGauge, 1, 0, Qt::AlignHCenter);
  grid->addWidget(gateGauge, 1, 1, Qt::AlignHCenter);
  grid->addWidget(envelopeGauge, 1, 2, Qt::AlignHCenter);
  grid->setColumnMinimumWidth(3, 6);

  gateSlider =
      MakeSlider(panel, "ScrollBarGate", 0, 255, 127, 16, QStringLiteral("Порог срабатывания"));
  skipSlider = MakeSlider(panel, "ScrollBarPropusk", kSkipMin, kSkipMax, 1, 10,
                          QStringLiteral("Количество пропусков бита до переключения сцен "));
  skipLabel = PlainLabel(QStringLiteral("1-1"), panel);
  skipLabel->setObjectName(QStringLiteral("LabelPropusk"));
  KeepLabelSize(skipLabel, {QStringLiteral("100 - 100")});
  envelopeSpeedSlider = MakeSlider(panel, "ScrollBaSpeedADSR", kSpeedMin, kSpeedMax, 20, 50,
                                   QStringLiteral("Скорость огибающей"));
  envelopeSpeedLabel = PlainLabel(QStringLiteral("2"), panel);
  envelopeSpeedLabel->setObjectName(QStringLiteral("LabelKompr"));
  fallSpeedSlider = MakeSlider(panel, "ScrollBarSpeedIndikat", kSpeedMin, kSpeedMax, 700, 50,
                               QStringLiteral("Скорость спада индикатора уровня "));
  fallSpeedLabel = PlainLabel(QStringLiteral("70"), panel);
  fallSpeedLabel->setObjectName(QStringLiteral("Labelind"));
  const std::array<std::pair<const char*, std::pair<QScrollBar*, QLabel*>>, 4> columns{{
      {"Порог", {gateSlider, nullptr}},
      {"Пропуск", {skipSlider, skipLabel}},
      {"Огиб.", {envelopeSpeedSlider, envelopeSpeedLabel}},
      {"Спад", {fallSpeedSlider, fallSpeedLabel}},
  }};
  for (int c = 0; c < 4; ++c) {
    auto* caption = PlainLabel(QString::fromUtf8(columns[c].first), panel);
    grid->addWidget(caption, 0, 4 + c, Qt::AlignHCenter | Qt::AlignBottom);
    grid->addWidget(columns[c].second.first, 1, 4 + c, Qt::AlignHCenter);
    if (QLabel* value = columns[c].second.second) {
      value->setAlignment(Qt::AlignCenter);
      grid->addWidget(value, 2, 4 + c, Qt::AlignHCenter);
    }
  }

  // The trigger lamp and the four beat lamps, under the meters.
  auto* lamps = new QHBoxLayout;
  lamps->setSpacing(6);
  triggerLamp = MakeLamp(panel, QStringLiteral("Shapes"), palette().color(QPalette::Button), 22);
  triggerLamp->setToolTip(QStringLiteral("Индикатор срабатывания тригера "));
  lamps->addWidget(triggerLamp);
  lamps->addSpacing(10);
  for (int k = 1; k <= 4; ++k) {
    beatLamps[k - 1] =
        MakeLamp(panel, QStringLiteral("Shape%1s").arg(k), k == 1 ? kGrey : QColor(Qt::white), 16);
    lamps->addWidget(beatLamps[k - 1]);
  }
  lamps->addStretch();
  grid->addLayout(lamps, 3, 0, 1, 8);
  grid->setRowStretch(1, 1);
  page->addWidget(panel, 1);
  BuildBeatGroup(this);
  page->addWidget(beatGroup);

  connect(gateSlider, &QScrollBar::valueChanged, this, &SoundPage::ChangeGate);
  connect(skipSlider, &QScrollBar::valueChanged, this, &SoundPage::ChangeSkip);
  connect(envelopeSpeedSlider, &QScrollBar::valueChanged, this, &SoundPage::ChangeEnvelopeSpeed);
  connect(fallSpeedSlider, &QScrollBar::valueChanged, this, &SoundPage::ChangeFallSpeed);
  connect(levelSourceBox, &QComboBox::currentIndexChanged, this, &SoundPage::ChooseLevelSource);

  ShowRunner& runner = console_.Runner();
  if (QClipboard* clipboard = QGuiApplication::clipboard())
    connect(clipboard, &QClipboard::dataChanged, this, [this, &runner] {
      clipboard_.stale = true;
      runner.WakeSound();
    });
  // The sound clock is the runner's; it runs from start-up to exit on the clipboard until
  // another source is chosen.
  connect(&runner, &ShowRunner::SoundTicked, this, &SoundPage::ShowView);
  runner.SetSoundSource(&clipboard_);
  connect(&runner, &ShowRunner::BeatGridChanged, this, &SoundPage::ShowBeatGrid);
  connect(&runner, &ShowRunner::BeatCounted, this, &SoundPage::FlashBeat);
  connect(&console_.Files(), &ShowFiles::SettingsRead, this, &SoundPage::ApplyRememberedChoices);

  // An input named on the command line is listened to once start-up is over.
  if (!console_.Files().SoundInputOption().isEmpty())
    QTimer::singleShot(0, this, [this] {
      levelSourceBox->setCurrentIndex(static_cast<int>(LevelSource::kAudioInput));
    });

  // Start-up shows the gate as it stands.
  gateGauge->setValue(runner.Sound().gateLevel);
}

SoundPage::~SoundPage() = default;

// ---------------------------------------------------------------- sound tick

std::optional<int> SoundPage::ClipboardLevel::ReadLevel() {
  // Reading another program's clipboard is a round trip to that program; 100 of them a second
  // cost more than the whole sound tick. The text is read again only after the clipboard said
  // it changed, which it does every time a writer sets it, so the levels stay the same.
  if (stale) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || !clipboard->mimeData()) return std::nullopt;  // try again next tick
    text = clipboard->text();
    stale = false;
  }
  // Only the first ten characters are looked at.
  const QByteArray utf8 = text.left(10).toUtf8();
  return ParseSoundLevel(std::string_view(utf8.constData(), utf8.size()));
}

void SoundPage::ShowView(const SoundView& view) {
  if (!view.read) return;
  levelLabel->setText(QString::number(view.soundLevel));
  skipLabel->setText(QStringLiteral("%1 - %2").arg(view.skipCounter).arg(view.skipPosition));
  levelGauge->setValue(view.gauge);
  envelopeGauge->setValue(view.envelopeBar);
  if (!view.beat) return;
  SetFill(triggerLamp, view.shapesRed ? kRed : palette().color(QPalette::Button));
  if (view.litLamp >= 1 && view.litLamp <= 4) {
    for (int k = 1; k <= 4; ++k) SetFill(beatLamps[k - 1], k == view.litLamp ? kLime : kGrey);
  }
}

// ---------------------------------------------------------------- sliders

void SoundPage::ChangeGate(int position) {
  gateGauge->setValue(console_.Runner().SetSoundGate(position));
}

void SoundPage::ChangeSkip(int position) {
  ShowRunner& runner = console_.Runner();
  runner.SetSoundSkip(position);
  skipLabel->setText(QStringLiteral("%1  %2").arg(runner.Sound().skipCounter).arg(position));
}

void SoundPage::ChangeEnvelopeSpeed(int position) {
  console_.Runner().SetSoundEnvelopeSpeed(position);
  envelopeSpeedLabel->setText(QString::number(position / 10));
}

void SoundPage::ChangeFallSpeed(int position) {
  console_.Runner().SetSoundFallSpeed(position);
  fallSpeedLabel->setText(QString::number(position / 10));
}

// ---------------------------------------------------------------- level source

void SoundPage::SetAudioDevice(const QAudioDevice& device) {
  device_ = device;
}

void SoundPage::DropAudioInput() {
  // The runner stops reading it first. The input may be the one telling us it failed: it goes
  // once its signal is over.
  console_.Runner().SetSoundSource(&clipboard_);
  if (audio_) audio_.release()->deleteLater();
}

void SoundPage::ChooseLevelSource(int index) {
  console_.Runner().WakeSound();
  const bool beat = index == static_cast<int>(LevelSource::kBeat);
  console_.Runner().SetBeatPaced(false);
  if (index != static_cast<int>(LevelSource::kAudioInput) && !beat) {
    DropAudioInput();
    source_ = LevelSource::kClipboard;
    RememberChoices();
    ShowBeatGrid();
    return;
  }
  DropAudioInput();
  QString error;
  if (device_) {
    audio_ = std::make_unique<AudioLevelInput>(*device_);
    if (!audio_->Start(&error)) audio_.reset();
  } else {
    audio_ = OpenAudioInput(inputChooser->Choice(), &error);
  }
  if (!audio_) {
    FallBackToClipboard(error);
    return;
  }
  connect(audio_.get(), &AudioInput::Failed, this, &SoundPage::FallBackToClipboard);
  // A chosen input that goes away leaves the show as it is, said once; it is heard again
  // when it comes back.
  connect(audio_.get(), &AudioInput::Lost, &console_, &Console::ShowStatus);
  connect(audio_.get(), &AudioInput::Back, &console_, &Console::ShowStatus);
  source_ = beat ? LevelSource::kBeat : LevelSource::kAudioInput;
  console_.Runner().SetSoundSource(audio_.get());
  if (beat) {
    // The level still drives the meters; the beats of the tracker pace the show.
    audio_->SetPcmListener(console_.Runner().BeatPcm());
    console_.Runner().SetBeatPaced(true);
  }
  RememberChoices();
  ShowBeatGrid();
  console_.ShowStatus(
      (beat ? QStringLiteral(" Бит музыки: ") : QStringLiteral(" Уровень звука: ")) +
      audio_->Description() + QStringLiteral(" "));
}

void SoundPage::FallBackToClipboard(const QString& reason) {
  // The show plays on: the level goes back to the clipboard, a beat grid to its pulse loss.
  console_.Runner().SetBeatPaced(false);
  console_.ShowStatus(reason);
  source_ = LevelSource::kClipboard;
  // The combo box goes back to the clipboard; its handler drops the input.
  levelSourceBox->setCurrentIndex(static_cast<int>(LevelSource::kClipboard));
  DropAudioInput();
}

// ---------------------------------------------------------------- beats of the music

void SoundPage::BuildBeatGroup(QWidget* parent) {
  beatGroup = new QGroupBox(QStringLiteral("Бит музыки"), parent);
  beatGroup->setObjectName(QStringLiteral("GroupBoxBeat"));
  auto* grid = new QGridLayout(beatGroup);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  bpmLabel = PlainLabel(QStringLiteral("--- BPM"), beatGroup);
  bpmLabel->setObjectName(QStringLiteral("LabelBpm"));
  QFont big = bpmLabel->font();
  big.setBold(true);
  bpmLabel->setFont(big);
  KeepLabelSize(bpmLabel, {QStringLiteral("000.0 BPM")});
  bpmLabel->setToolTip(QStringLiteral("Темп музыки, найденный по биту"));
  lockLamp = MakeLamp(beatGroup, QStringLiteral("ShapeBeatLock"), kGrey, 16);
  lockLamp->setToolTip(
      QStringLiteral("Уверенность: зеленый - бит найден, желтый - бит ищется, серый - бита нет"));
  flashLamp = MakeLamp(beatGroup, QStringLiteral("ShapeBeatFlash"), kGrey, 16);
  flashLamp->setToolTip(QStringLiteral("Вспышка на каждый бит"));
  tapButton = new QPushButton(QStringLiteral("Тап"), beatGroup);
  tapButton->setObjectName(QStringLiteral("ButtonTap"));
  tapButton->setToolTip(QStringLiteral("Нажмите четыре раза в такт музыке, чтобы задать темп"));
  tapButton->setFocusPolicy(Qt::NoFocus);
  auto* lossCaption = PlainLabel(QStringLiteral("Бит потерян:"), beatGroup);
  pulseLossBox = new QComboBox(beatGroup);
  pulseLossBox->setObjectName(QStringLiteral("ComboBoxPulseLoss"));
  pulseLossBox->addItem(QStringLiteral("Стоять"));
  pulseLossBox->addItem(QStringLiteral("Держать темп"));
  pulseLossBox->setToolTip(QStringLiteral(
      "Что делает показ, когда бит музыки пропал: стоит на сцене или идет в последнем темпе"));
  grid->addWidget(bpmLabel, 0, 0);
  grid->addWidget(lockLamp, 0, 1);
  grid->addWidget(flashLamp, 0, 2);
  grid->addWidget(tapButton, 0, 3);
  grid->addWidget(lossCaption, 1, 0);
  grid->addWidget(pulseLossBox, 1, 1, 1, 3);
  grid->setColumnStretch(0, 1);

  flashOff_ = new QTimer(this);
  flashOff_->setSingleShot(true);
  flashOff_->setInterval(100);
  connect(flashOff_, &QTimer::timeout, this, [this] { SetFill(flashLamp, kGrey); });
  connect(tapButton, &QPushButton::pressed, this, &SoundPage::TapTempo);
  connect(pulseLossBox, &QComboBox::currentIndexChanged, this, &SoundPage::ChoosePulseLoss);
  ShowBeatGrid();
}

void SoundPage::ShowBeatGrid() {
  const ShowRunner& runner = console_.Runner();
  const bool paced = runner.BeatPaced();
  tapButton->setEnabled(paced);
  const BeatPredictor& grid = runner.BeatGrid();
  const auto now = BeatPredictor::Clock::now();
  const double bpm = paced ? grid.Bpm() : 0.0;
  bpmLabel->setText(bpm > 0.0 ? QStringLiteral("%1 BPM").arg(bpm, 0, 'f', 1)
                              : QStringLiteral("--- BPM"));
  QColor lamp = kGrey;
  if (paced && grid.Locked(now)) {
    lamp = kLime;
  } else if (paced && bpm > 0.0 && !grid.Lost(now)) {
    lamp = QColor(255, 255, 0);
  }
  SetFill(lockLamp, lamp);
}

void SoundPage::FlashBeat(const SoundView& view) {
  SetFill(flashLamp, kRed);
  flashOff_->start();
  skipLabel->setText(QStringLiteral("%1 - %2").arg(view.skipCounter).arg(view.skipPosition));
  SetFill(triggerLamp, view.shapesRed ? kRed : palette().color(QPalette::Button));
  if (view.litLamp >= 1 && view.litLamp <= 4) {
    for (int k = 1; k <= 4; ++k) SetFill(beatLamps[k - 1], k == view.litLamp ? kLime : kGrey);
  }
}

void SoundPage::TapTempo() {
  console_.Runner().TapBeat();
}

void SoundPage::ChoosePulseLoss(int index) {
  console_.Runner().SetPulseLoss(index == 1 ? PulseLoss::kKeepTempo : PulseLoss::kHold);
  RememberChoices();
}

void SoundPage::RememberChoices() {
  SoundSettings sound = console_.Files().SoundSetup();
  sound.source = static_cast<int>(source_);
  sound.pulseLoss = pulseLossBox ? pulseLossBox->currentIndex() : 0;
  console_.Files().SetSoundSetup(sound);
}

void SoundPage::ApplyRememberedChoices() {
  const SoundSettings sound = console_.Files().SoundSetup();
  pulseLossBox->setCurrentIndex(std::clamp(sound.pulseLoss, 0, 1));
  // The audio input opens again as it was chosen; one that is not there leaves the clipboard
  // with a message on the status line.
  if (sound.source != levelSourceBox->currentIndex())
    levelSourceBox->setCurrentIndex(std::clamp(sound.source, 0, 2));
}

}  // namespace kalvetro
