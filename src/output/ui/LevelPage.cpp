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
#include "output/RateScale.h"

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
  StripControls& strips = console_.Controls().strips;
  connect(CheckBoxManual, &QCheckBox::toggled, this, [&strips](bool on) { strips.manual.store(on); });
  switches->addWidget(CheckBoxBlackOut);
  switches->addWidget(CheckBoxManual);
  switches->addStretch();
  layout->addLayout(switches);
  layout->addStretch();

  // Blackout switched elsewhere (the output mode buttons, the keyboard) ticks the box.
  connect(&console_, &Console::BlackOutChanged, CheckBoxBlackOut, &QCheckBox::setChecked);
}

void LevelPage::ScrollBarLevelAllChange() {
  // Acts on the scene itself, also while the show plays: there is no master dimmer.
  ShowState& show = console_.Show();
  SetSelectedLevels(show, show.CurrentStep(), static_cast<std::uint8_t>(ScrollBarLevelAll->value()));
  console_.Notify(ShowArea::Levels);
}

void LevelPage::CheckBoxBlackOutClick() {
  console_.SetBlackOut(CheckBoxBlackOut->isChecked());
}

}  // namespace kalvetro
