// SPDX-License-Identifier: GPL-3.0-or-later
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

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "output/RateScale.h"
#include "ui/Controls.h"

namespace kalvetro {

namespace {
const QString kBlackOutHint = QStringLiteral("Выключает все каналы DMX  Горячая кнопка = O = ");
}  // namespace

LevelPage::LevelPage(Console& console, QWidget* parent) : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("LevelPage"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  auto* levelGroup = new QGroupBox(this);
  levelGroup->setObjectName(QStringLiteral("GroupBoxLevelAll"));
  auto* levelLayout = new QVBoxLayout(levelGroup);
  selectedLevelLabel = PlainLabel(QStringLiteral("Изменение выделенных уровней"), levelGroup);
  selectedLevelLabel->setObjectName(QStringLiteral("LabelLevelAll"));
  selectedLevelSlider = new QScrollBar(Qt::Horizontal, levelGroup);
  selectedLevelSlider->setObjectName(QStringLiteral("ScrollBarLevelAll"));
  selectedLevelSlider->setRange(0, 255);
  selectedLevelSlider->setPageStep(16);
  selectedLevelSlider->setValue(127);
  selectedLevelSlider->setToolTip(QStringLiteral("Общий абсолютный уровень каналов"));
  selectedLevelSlider->setMinimumHeight(20);
  connect(selectedLevelSlider, &QScrollBar::valueChanged, this, [this] { SetSelectedLevel(); });
  levelLayout->addWidget(selectedLevelLabel);
  levelLayout->addWidget(selectedLevelSlider);
  layout->addWidget(levelGroup);

  auto* switches = new QHBoxLayout;
  blackOutBox = new QCheckBox(QStringLiteral("BlackOut"), this);
  blackOutBox->setObjectName(QStringLiteral("CheckBoxBlackOut"));
  blackOutBox->setToolTip(kBlackOutHint);
  MarkRemoteTarget(blackOutBox, QStringLiteral("blackout"));
  blackOutBox->setStyleSheet(
      QStringLiteral("QCheckBox { font-weight: bold; }"
                     "QCheckBox:checked { color: red; }"));
  connect(blackOutBox, &QCheckBox::toggled, this, [this] { SwitchBlackOut(); });
  manualBox = new QCheckBox(QStringLiteral("Ручное управление"), this);
  manualBox->setObjectName(QStringLiteral("CheckBoxManual"));
  // No handler of its own: the strips and the output tick read the mode.
  StripControls& strips = console_.Controls().strips;
  connect(manualBox, &QCheckBox::toggled, this, [&strips](bool on) { strips.manual.store(on); });
  switches->addWidget(blackOutBox);
  switches->addWidget(manualBox);
  switches->addStretch();
  layout->addLayout(switches);
  layout->addStretch();

  // Blackout switched elsewhere (the output mode buttons, the keyboard) ticks the box.
  connect(&console_.Runner(), &ShowRunner::BlackOutChanged, blackOutBox, &QCheckBox::setChecked);
}

void LevelPage::SetSelectedLevel() {
  // Acts on the scene itself, also while the show plays: there is no master dimmer.
  const auto level = static_cast<std::uint8_t>(selectedLevelSlider->value());
  console_.Edit(UndoCopy::Keep, kStepLevels, [level](ShowState& show) {
    SetSelectedLevels(show, show.CurrentStep(), level);
    return ShowEdit(ShowArea::Levels);
  });
}

void LevelPage::SwitchBlackOut() {
  console_.Runner().SetBlackOut(blackOutBox->isChecked());
}

}  // namespace kalvetro
