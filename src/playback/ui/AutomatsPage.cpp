// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/ui/AutomatsPage.h"

#include <algorithm>
#include <cstring>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "editing/ChannelNames.h"
#include "ui/Controls.h"
#include "ui/SteadyLabel.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kGrey(128, 128, 128);
const QColor kBlue(0, 0, 255);

constexpr int kInitialTempo = 10;
constexpr int kInitialLevelPosition = 127;

const char* const kProgramHints[kAutomatPrograms] = {
    "Выбор эффекта один бегущий огонек", "Выбор эффекта два бегущих огонька",
    "Выбор эффекта бегущая тень", "Выбор эффекта код с наполнением"};

QString Numbered(const char* stem, int a) {
  return QString::fromUtf8(stem).arg(a);
}

void SetFill(QFrame* frame, const QColor& colour) {
  QPalette palette = frame->palette();
  palette.setColor(QPalette::Window, colour);
  frame->setPalette(palette);
}

QColor Fill(const QFrame* frame) {
  return frame->palette().color(QPalette::Window);
}

// A lamp: a filled square with the automat's outline colour.
QFrame* MakeLamp(QWidget* parent, const QString& name, const QColor& outline, const QColor& fill) {
  auto* lamp = new QFrame(parent);
  lamp->setObjectName(name);
  lamp->setFixedSize(26, 26);
  lamp->setAutoFillBackground(true);
  // A plain box frame is drawn in the window text colour: the automat's outline colour.
  lamp->setFrameShape(QFrame::Box);
  lamp->setFrameShadow(QFrame::Plain);
  lamp->setLineWidth(2);
  QPalette palette = lamp->palette();
  palette.setColor(QPalette::WindowText, outline);
  lamp->setPalette(palette);
  SetFill(lamp, fill);
  return lamp;
}

}  // namespace

AutomatsPage::AutomatsPage(Console& console, QWidget* parent) : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("AutomatsPage"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 6, 6, 6);
  row->setSpacing(10);
  row->addWidget(BuildGroup(1), 0, Qt::AlignTop);
  row->addWidget(BuildGroup(2), 0, Qt::AlignTop);
  row->addStretch();

  // The page is a view of the show runner's automats: its controls send commands, and it
  // shows every tick and every change, whoever made it.
  ShowRunner& runner = console_.Runner();
  connect(&runner, &ShowRunner::AutomatTicked, this, &AutomatsPage::ShowTick);
  connect(&runner, &ShowRunner::AutomatChanged, this, [this] { RefreshAutomats(); });
  for (int a = 1; a <= kAutomatCount; ++a) {
    connect(Ui(a).runAlwaysBox, &QCheckBox::toggled, &runner,
            [&runner, a](bool on) { runner.SetAutomatRunAlways(a, on); });
    connect(Ui(a).withShowBox, &QCheckBox::toggled, &runner,
            [&runner, a](bool on) { runner.SetAutomatWithShow(a, on); });
  }
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (!IsShownPage(this)) return;
    RefreshAutomats();
    ShowAutomatLamps(1);
    ShowAutomatLamps(2);
  });
}

QGroupBox* AutomatsPage::BuildGroup(int a) {
  AutomatWidgets& ui = Ui(a);
  const QColor outline = a == 1 ? kRed : kBlue;
  auto* box = new QGroupBox(Numbered("Автомат %1  четырех канальный ", a), this);
  box->setObjectName(Numbered("GroupBoxAvtomat%1", a));
  ui.automatGroup = box;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(8, 10, 8, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);

  // First channel.
  ui.channelsLabel = PlainLabel(QStringLiteral("Каналы  1+2+3+4"), box);
  ui.channelsLabel->setObjectName(Numbered("LabelSeq%1Ch", a));
  QFont bold = ui.channelsLabel->font();
  bold.setBold(true);
  ui.channelsLabel->setFont(bold);
  ui.channelNameLabel = PlainLabel(QStringLiteral("Каналы  1+2+3+4"), box);
  ui.channelNameLabel->setObjectName(Numbered("LabelSeq%1ChName", a));
  ui.firstChannelSlider =
      MakeBar(box, Numbered("ScrollBarChannelAvtomat%1", a),
              {.minimum = 0,
               .maximum = kMaxAutomatPosition,
               .value = 0,
               .hint = QStringLiteral("Установка первого канала, с которого будет работать автомат "
                                      "бегушки")});
  ui.firstChannelSlider->setPageStep(4);
  ui.firstChannelSlider->setMinimumHeight(18);
  connect(ui.firstChannelSlider, &QScrollBar::valueChanged, this,
          [this, a](int position) { ChangeAutomatFirstChannel(a, position); });

  // Tempo and the strip that blinks at every automat tick.
  ui.tempoSlider = MakeBar(box, Numbered("ScrollBarTempAvtomat%1", a),
                           {.minimum = kAutomatTempoMin,
                            .maximum = kAutomatTempoMax,
                            .value = kInitialTempo,
                            .hint = QStringLiteral("Скорость переключения автомата")});
  ui.tempoSlider->setPageStep(5);
  ui.tempoSlider->setMinimumHeight(18);
  connect(ui.tempoSlider, &QScrollBar::valueChanged, this,
          [this, a](int position) { ChangeAutomatTempo(a, position); });
  ui.tempoLabel = PlainLabel(QStringLiteral("Скорость переключения"), box);
  ui.tempoLabel->setObjectName(Numbered("LabelTempAvtomat%1", a));
  ui.tickStrip = new QFrame(box);
  ui.tickStrip->setObjectName(Numbered("ShapeAvtomat%1", a));
  ui.tickStrip->setFixedHeight(5);
  ui.tickStrip->setAutoFillBackground(true);

  // Programs.
  auto* programs = new QHBoxLayout;
  programs->setSpacing(3);
  auto* group = new QButtonGroup(box);
  group->setExclusive(true);
  for (int k = 1; k <= kAutomatPrograms; ++k) {
    auto* button = new QToolButton(box);
    button->setObjectName(QStringLiteral("SpeedButtonAvto%1Mode%2").arg(a).arg(k));
    button->setText(QString::number(k));
    button->setToolTip(QString::fromUtf8(kProgramHints[k - 1]));
    button->setCheckable(true);
    button->setMinimumSize(34, 28);
    button->setChecked(k == 1);
    group->addButton(button);
    programs->addWidget(button);
    ui.programButtons[k - 1] = button;
    connect(button, &QToolButton::clicked, this, [this, a, k] { ChooseAutomatProgram(a, k); });
  }
  programs->addStretch();
  ui.stepLabel = PlainLabel(QStringLiteral("Step = 1"), box);
  ui.stepLabel->setObjectName(Numbered("LabelStepAvtomat%1", a));
  KeepLabelSize(ui.stepLabel, {QStringLiteral("Step = 88")});
  programs->addWidget(ui.stepLabel);

  // The four lamps of the output levels.
  auto* lamps = new QHBoxLayout;
  lamps->setSpacing(6);
  for (int k = 1; k <= kAutomatChannels; ++k) {
    QFrame* lamp = MakeLamp(box, QStringLiteral("ShapeAvt%1Seq%2").arg(a).arg(k), outline,
                            k == kAutomatChannels ? kBlue : kGrey);
    ui.lampFrames[k - 1] = lamp;
    lamps->addWidget(lamp);
  }
  lamps->addStretch();

  // Run boxes.
  ui.runAlwaysBox = new QCheckBox(QStringLiteral("Пуск самостоятельно"), box);
  ui.runAlwaysBox->setObjectName(Numbered("CheckBoxAvtomat%1", a));
  ui.runAlwaysBox->setToolTip(QStringLiteral("Запусить автомат постоянно"));
  ui.withShowBox = new QCheckBox(QStringLiteral("С основным"), box);
  ui.withShowBox->setObjectName(Numbered("CheckBoxTogethe%1", a));
  MarkRemoteTarget(ui.withShowBox, QStringLiteral("automat %1").arg(a));
  ui.withShowBox->setToolTip(
      QStringLiteral("Установленный флажок будет запускать автомат вместе с секвенсером %1")
          .arg(a));

  // Bright and dark levels: vertical sliders, level 255 at the top.
  ui.brightSlider = MakeBar(box, Numbered("ScrollBarBrightAvtomat%1", a),
                            {.orientation = Qt::Vertical,
                             .minimum = 0,
                             .maximum = 255,
                             .value = kInitialLevelPosition,
                             .pageStep = 16,
                             .hint = QStringLiteral("Максимальная яркость автомата")});
  ui.darkSlider = MakeBar(box, Numbered("ScrollBarDarkAvtomat%1", a),
                          {.orientation = Qt::Vertical,
                           .minimum = 0,
                           .maximum = 255,
                           .value = kInitialLevelPosition,
                           .pageStep = 16,
                           .hint = QStringLiteral("Минимальная яркость автомата")});
  for (QScrollBar* bar : {ui.brightSlider, ui.darkSlider}) bar->setMinimumSize(18, 150);
  connect(ui.brightSlider, &QScrollBar::valueChanged, this,
          [this, a](int position) { ChangeAutomatBright(a, position); });
  connect(ui.darkSlider, &QScrollBar::valueChanged, this,
          [this, a](int position) { ChangeAutomatDark(a, position); });

  auto* left = new QVBoxLayout;
  left->setSpacing(5);
  left->addWidget(ui.channelsLabel);
  left->addWidget(ui.channelNameLabel);
  left->addWidget(ui.firstChannelSlider);
  left->addSpacing(6);
  left->addWidget(ui.tempoLabel);
  left->addWidget(ui.tempoSlider);
  left->addWidget(ui.tickStrip);
  left->addSpacing(6);
  left->addLayout(programs);
  left->addLayout(lamps);
  left->addSpacing(6);
  left->addWidget(ui.runAlwaysBox);
  left->addWidget(ui.withShowBox);
  left->addStretch();

  auto* brightColumn = new QVBoxLayout;
  auto* brightCaption = PlainLabel(QStringLiteral("Ярко"), box);
  brightColumn->addWidget(brightCaption, 0, Qt::AlignHCenter);
  brightColumn->addWidget(ui.brightSlider, 1, Qt::AlignHCenter);
  auto* darkColumn = new QVBoxLayout;
  auto* darkCaption = PlainLabel(QStringLiteral("Темно"), box);
  darkColumn->addWidget(darkCaption, 0, Qt::AlignHCenter);
  darkColumn->addWidget(ui.darkSlider, 1, Qt::AlignHCenter);

  grid->addLayout(left, 0, 0);
  grid->addLayout(brightColumn, 0, 1);
  grid->addLayout(darkColumn, 0, 2);
  grid->setColumnMinimumWidth(0, 250);
  box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  return box;
}

int AutomatsPage::Base(int a) const {
  return a == 1 ? kAutomat1 : kAutomat2;
}

// ---------------------------------------------------------------- automat tick

void AutomatsPage::ShowTick(int a, bool ran) {
  AutomatWidgets& ui = Ui(a);
  SetFill(ui.tickStrip, Fill(ui.tickStrip) == kRed ? kLime : kRed);
  if (!ran) return;
  ui.stepLabel->setText(
      QStringLiteral("Step = %1").arg(console_.Runner().AutomatState(a).StepNumber()));
  ShowAutomatLamps(a);
}

void AutomatsPage::showEvent(QShowEvent* event) {
  console_.Runner().SetAutomatLampsShown(true);
  QWidget::showEvent(event);
}

void AutomatsPage::hideEvent(QHideEvent* event) {
  console_.Runner().SetAutomatLampsShown(false);
  QWidget::hideEvent(event);
}

void AutomatsPage::ShowAutomatLamps(int a) {
  const AutomatLevels& out = console_.Runner().AutomatState(a).Out();
  for (int k = 0; k < kAutomatChannels; ++k)
    SetFill(ui_[a - 1].lampFrames[k], QColor(out[k], out[k], out[k]));
}

// ---------------------------------------------------------------- controls

void AutomatsPage::ShowAutomatTempo(int a) {
  AutomatWidgets& ui = Ui(a);
  const AutomatTempo tempo =
      kalvetro::AutomatTempoOf(console_.Show().memory.Get(Base(a) + kAutomatTempo));
  ui.tempoLabel->setText(QString::number(tempo.flashesPerMinute) + QStringLiteral(" Flash/мин "));
}

void AutomatsPage::ChangeAutomatTempo(int a, int position) {
  if (refreshing_) return;
  console_.Runner().SetAutomatTempo(a, position);
}

void AutomatsPage::ChangeAutomatFirstChannel(int a, int position) {
  if (refreshing_) return;
  console_.Runner().SetAutomatFirstChannel(a, position);
}

void AutomatsPage::ChooseAutomatProgram(int a, int program) {
  console_.Runner().SetAutomatProgram(a, program);
}

void AutomatsPage::ChangeAutomatBright(int a, int position) {
  if (refreshing_) return;
  console_.Runner().SetAutomatBright(a, 255 - position);
}

void AutomatsPage::ChangeAutomatDark(int a, int position) {
  if (refreshing_) return;
  console_.Runner().SetAutomatDark(a, 255 - position);
}

// ---------------------------------------------------------------- refresh

void AutomatsPage::ReturnChannelLabels(int a) {
  AutomatWidgets& ui = Ui(a);
  // A byte above the slider's range (only a show file can carry one) is shown as the slider
  // holds it, so the labels never name a channel above 255 and match what is output.
  const int p =
      std::min<int>(console_.Show().memory.Get(Base(a) + kAutomatChannel), kMaxAutomatPosition);
  ui.channelsLabel->setText(
      QStringLiteral(" Каналы %1  %2  %3  %4").arg(p + 1).arg(p + 2).arg(p + 3).arg(p + 4));
  const int channel = ui.firstChannelSlider->value() + 1;
  std::uint8_t name[kChannelNameLength];
  const ShowMemory& memory = console_.Show().memory;
  int length = 0;
  for (; length < kChannelNameLength; ++length) {
    name[length] = memory.Get(NameOffset(channel) + length);
    if (name[length] == 0) break;
  }
  ui.channelNameLabel->setText(
      QStringLiteral(" Начиная от - ") +
      QString::fromStdString(DecodeCp1251(std::span<const std::uint8_t>(name, length))));
}

void AutomatsPage::RefreshAutomats() {
  // The sliders follow the bytes; their handlers must not write the bytes back while they do
  // (a tempo byte 0 runs as 20 and must stay 0 in the show).
  const bool outer = !refreshing_;
  refreshing_ = true;
  ShowMemory& memory = console_.Show().memory;
  ShowAutomatTempo(1);
  ShowAutomatTempo(2);
  for (int a = 1; a <= kAutomatCount; ++a) {
    AutomatWidgets& ui = Ui(a);
    ui.darkSlider->setValue(255 - memory.Get(Base(a) + kAutomatDark));
    ui.brightSlider->setValue(255 - memory.Get(Base(a) + kAutomatBright));
    ui.firstChannelSlider->setValue(memory.Get(Base(a) + kAutomatChannel));
  }
  ReturnChannelLabels(1);
  ReturnChannelLabels(2);
  for (int a = 1; a <= kAutomatCount; ++a) {
    AutomatWidgets& ui = Ui(a);
    const int tempo = memory.Get(Base(a) + kAutomatTempo);
    ui.tempoSlider->setValue(tempo == 0 ? kAutomatTempoZero
                                        : std::clamp(tempo, kAutomatTempoMin, kAutomatTempoMax));
    ui.programButtons[console_.Runner().AutomatProgram(a) - 1]->setChecked(true);
    ui.runAlwaysBox->setChecked(console_.Runner().AutomatRunAlways(a));
    ui.withShowBox->setChecked(console_.Runner().AutomatWithShow(a));
  }
  if (outer) refreshing_ = false;
}

}  // namespace kalvetro
