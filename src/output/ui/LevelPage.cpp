#include "output/ui/LevelPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/ui/StripPanel.h"
#include "output/OutputControls.h"
#include "output/RateScale.h"
#include "show/ShowState.h"
#include "windows/ConsoleHost.h"
#include "windows/SpeedButtons.h"

namespace kalvetro {

namespace {
const QString kBlackOutHint = QStringLiteral("Выключает все каналы DMX  Горячая кнопка = O = ");
// The blink toggles every 50 ms tick; looking twice as often shows every phase of it.
constexpr int kBlinkPollMs = 25;
}  // namespace

LevelPage::LevelPage(ConsoleHost& host, OutputControls& controls, QWidget* parent)
    : QWidget(parent), host_(host), controls_(controls) {
  setObjectName(QStringLiteral("LevelPage"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  auto* levelGroup = new QGroupBox(this);
  levelGroup->setObjectName(QStringLiteral("GroupBoxLevelAll"));
  auto* levelLayout = new QVBoxLayout(levelGroup);
  LabelLevelAll = new QLabel(QStringLiteral("Изменение выделенных уровней"), levelGroup);
  LabelLevelAll->setObjectName(QStringLiteral("LabelLevelAll"));
  ScrollBarLevelAll = new QScrollBar(Qt::Horizontal, levelGroup);
  ScrollBarLevelAll->setObjectName(QStringLiteral("ScrollBarLevelAll"));
  ScrollBarLevelAll->setRange(0, 255);
  ScrollBarLevelAll->setPageStep(16);
  ScrollBarLevelAll->setValue(127);
  ScrollBarLevelAll->setToolTip(QStringLiteral("Общий абсолютный уровень каналов"));
  ScrollBarLevelAll->setMinimumHeight(20);
  connect(ScrollBarLevelAll, &QScrollBar::valueChanged, this,
          [this] { ScrollBarLevelAllChange(); });
  levelLayout->addWidget(LabelLevelAll);
  levelLayout->addWidget(ScrollBarLevelAll);
  layout->addWidget(levelGroup);

  auto* switches = new QHBoxLayout;
  CheckBoxBlackOut = new QCheckBox(QStringLiteral("BlackOut"), this);
  CheckBoxBlackOut->setObjectName(QStringLiteral("CheckBoxBlackOut"));
  CheckBoxBlackOut->setToolTip(kBlackOutHint);
  CheckBoxBlackOut->setStyleSheet(
      QStringLiteral("QCheckBox { font-weight: bold; }"
                     "QCheckBox:checked { color: red; }"));
  connect(CheckBoxBlackOut, &QCheckBox::toggled, this, [this] { CheckBoxBlackOutClick(); });
  CheckBoxManual = new QCheckBox(QStringLiteral("Ручное управление"), this);
  CheckBoxManual->setObjectName(QStringLiteral("CheckBoxManual"));
  // No handler of its own: the strips and the output tick read the mode.
  connect(CheckBoxManual, &QCheckBox::toggled, this,
          [this](bool on) { controls_.manual.store(on); });
  switches->addWidget(CheckBoxBlackOut);
  switches->addWidget(CheckBoxManual);
  switches->addStretch();
  layout->addLayout(switches);
  layout->addStretch();

  TimerBlackOutBlink = new QTimer(this);
  TimerBlackOutBlink->setObjectName(QStringLiteral("TimerBlackOutBlink"));
  TimerBlackOutBlink->setInterval(kBlinkPollMs);
  connect(TimerBlackOutBlink, &QTimer::timeout, this, [this] { ApplyBlackOutBlink(); });
}

QWidget* LevelPage::CreateOutputModeButtons(QWidget* parent) {
  auto* panel = new QGroupBox(parent);
  panel->setObjectName(QStringLiteral("GroupBoxOutputMode"));
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->setSpacing(2);
  auto* group = new QButtonGroup(panel);
  group->setExclusive(true);
  auto add = [&](const char* name, const QString& caption, const QString& hint) {
    auto* button = MakeSpeedButton(panel, QString::fromLatin1(name), caption, hint);
    button->setCheckable(true);
    group->addButton(button);
    layout->addWidget(button);
    return button;
  };
  SpeedButtonOnScena = add("SpeedButtonOnScena", QStringLiteral("Сцена"),
                           QStringLiteral("Разрешить нормальную работу "));
  SpeedButtonMacrosOut =
      add("SpeedButtonMacrosOut", QStringLiteral("Макро M"),
          QStringLiteral("Выключает все каналы  и включает  каналы статической каркинки =M= "));
  SpeedButtonBlackOut = add("SpeedButtonBlackOut", QStringLiteral("BlackOut"), kBlackOutHint);
  SpeedButtonOnScena->setChecked(true);
  // The blinking button keeps its place in the column while it is hidden.
  QSizePolicy policy = SpeedButtonBlackOut->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  SpeedButtonBlackOut->setSizePolicy(policy);
  SpeedButtonBlackOut->setStyleSheet(QStringLiteral("QToolButton:checked { color: red; }"));
  SpeedButtonMacrosOut->setStyleSheet(QStringLiteral("QToolButton:checked { color: red; }"));

  connect(SpeedButtonMacrosOut, &QToolButton::toggled, this,
          [this](bool down) { controls_.macroOut.store(down); });
  connect(SpeedButtonBlackOut, &QToolButton::clicked, this, [this] { SpeedButtonBlackOutClick(); });
  connect(SpeedButtonOnScena, &QToolButton::clicked, this, [this] { SpeedButtonOnScenaClick(); });
  connect(SpeedButtonMacrosOut, &QToolButton::clicked, this,
          [this] { SpeedButtonMacrosOutClick(); });
  return panel;
}

void LevelPage::ScrollBarLevelAllChange() {
  // Acts on the scene itself, also while the show plays: there is no master dimmer.
  if (strips_) strips_->CheckBoxToMemory();
  SetSelectedLevels(host_.Show(), static_cast<std::uint8_t>(ScrollBarLevelAll->value()));
  if (strips_) strips_->ReturnScrollBars();
}

void LevelPage::CheckBoxBlackOutClick() {
  const bool dark = CheckBoxBlackOut->isChecked();
  // Any change of the blackout state stops the automatic advance of the show.
  host_.Show().playing.store(false);
  controls_.blackOut.store(dark);
  if (dark) {
    TimerBlackOutBlink->start();
  } else {
    TimerBlackOutBlink->stop();
    if (SpeedButtonBlackOut) SpeedButtonBlackOut->setVisible(true);
  }
  if (!SpeedButtonOnScena || SpeedButtonMacrosOut->isChecked()) return;
  (dark ? SpeedButtonBlackOut : SpeedButtonOnScena)->setChecked(true);
}

void LevelPage::SpeedButtonBlackOutClick() {
  CheckBoxBlackOut->setChecked(true);
}
void LevelPage::SpeedButtonOnScenaClick() {
  CheckBoxBlackOut->setChecked(false);
}
void LevelPage::SpeedButtonMacrosOutClick() {
  CheckBoxBlackOut->setChecked(true);
}

void LevelPage::ApplyBlackOutBlink() {
  if (!SpeedButtonBlackOut) return;
  const bool visible = controls_.blackOutButtonVisible.load(std::memory_order_relaxed);
  if (SpeedButtonBlackOut->isHidden() == visible) SpeedButtonBlackOut->setVisible(visible);
}

}  // namespace kalvetro
