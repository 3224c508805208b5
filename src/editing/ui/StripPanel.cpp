// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/StripPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "editing/ui/LevelLabel.h"
#include "ui/Controls.h"
#include "ui/SpeedButtons.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

constexpr int kRowHeight = 17;  // 27 strips and the headings fit the page of a 768-line screen
constexpr int kColumnWidth = 176;
// The blink toggles every 50 ms tick; looking twice as often shows every phase of it.
constexpr int kBlinkPollMs = 25;
const QString kBlackOutHint = QStringLiteral("Выключает все каналы DMX  Горячая кнопка = O = ");

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint) {
  return MakeSpeedButton(parent, QString::fromLatin1(name), caption, hint);
}

QGroupBox* MakeStripGroup(QWidget* parent, const QString& title) {
  auto* group = MakeGroup(parent, QString(), title);
  auto* layout = new QVBoxLayout(group);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->setSpacing(2);
  return group;
}

}  // namespace

StripPanel::StripPanel(Console& console, WindowParts& parts, QWidget* parent)
    : QWidget(parent), console_(console), parts_(parts) {
  setObjectName(QStringLiteral("StripPanel"));
  auto* page = new QHBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);
  page->setSpacing(6);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(0);  // 27 strips and the headings fit a 700-line window
  BuildStrips(grid);
  page->addLayout(grid, 1);

  stripWindowSlider = new QScrollBar(Qt::Vertical, this);
  stripWindowSlider->setObjectName(QStringLiteral("ScrolbarVertPos"));
  stripWindowSlider->setRange(0, kMaxStripOffset);
  stripWindowSlider->setPageStep(20);
  stripWindowSlider->setToolTip(QStringLiteral("Каналы 1 - 255"));
  connect(stripWindowSlider, &QScrollBar::valueChanged, this, [this] { ScrollStrips(); });
  page->addWidget(stripWindowSlider);

  auto* columnPanel = new QWidget(this);
  columnPanel->setObjectName(QStringLiteral("StripButtonColumn"));
  columnPanel->setFixedWidth(kColumnWidth);
  buttonColumn_ = new QVBoxLayout(columnPanel);
  buttonColumn_->setContentsMargins(0, 0, 0, 0);
  buttonColumn_->setSpacing(4);
  BuildButtonColumn(buttonColumn_);
  page->addWidget(columnPanel);

  blackOutBlinkTimer = new QTimer(this);
  blackOutBlinkTimer->setObjectName(QStringLiteral("TimerBlackOutBlink"));
  blackOutBlinkTimer->setInterval(kBlinkPollMs);
  connect(blackOutBlinkTimer, &QTimer::timeout, this, [this] { ApplyBlackOutBlink(); });

  // The page follows the show: its refresh while it is shown, and the parts other controls
  // change while it may be hidden.
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (IsShownPage(this)) ReturnPage();
  });
  connect(&console_, &Console::ShowReplaced, this, [this](ShowReplacement how) {
    if (how != ShowReplacement::Emptied) return;
    LoadSelectionBoxes();
    stripWindowSlider->setValue(0);
  });
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if (area == ShowArea::Levels) RefreshFaders();
    if (area == ShowArea::Rates) RefreshRates();
    if (area == ShowArea::Selection) LoadSelectionBoxes();
  });
  connect(&console_.Runner(), &ShowRunner::BlackOutChanged, this, &StripPanel::ShowBlackOut);
  connect(parts_.DisplayTimer(), &QTimer::timeout, this, &StripPanel::ShowSentLevels);
  BuildNameBoxes();
}

void StripPanel::ReturnPage() {
  RefreshFaders();
  RefreshRates();
  RefreshNames(true);
  LoadSelectionBoxes();
}

void StripPanel::BuildStrips(QGridLayout* grid) {
  const QString headings[] = {QStringLiteral("Канал"),     QStringLiteral("Уровень"),
                              QStringLiteral("На выходе"), QStringLiteral("Время изменения"),
                              QStringLiteral("Имя"),       QStringLiteral("Выбор")};
  for (int c = 0; c < 6; ++c) {
    auto* heading = PlainLabel(headings[c], this);
    heading->setObjectName(QStringLiteral("LabelOpis"));
    heading->setAlignment(Qt::AlignCenter);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, c);
  }

  const QString nameHint = QStringLiteral(
      "Все символы, введенные в это поле, будут запомнены программой. Максимальное число "
      "символов - 16");
  for (int k = 1; k <= kStripCount; ++k) {
    const int i = k - 1;
    const QString twoDigits = QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'));
    // Groups of five strips are shaded alike, as the faders of a desk are grouped.
    const bool shaded = (i / 5) % 2 == 1;

    auto* number = PlainLabel(twoDigits, this);
    number->setObjectName(QStringLiteral("Label%1c").arg(twoDigits));
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    number->setMinimumWidth(30);
    number->setStyleSheet(shaded ? QStringLiteral("background: #d8dde6; padding-right: 3px;")
                                 : QStringLiteral("padding-right: 3px;"));
    channelNumberLabels[i] = number;

    auto* fader = new QScrollBar(Qt::Horizontal, this);
    fader->setObjectName(QStringLiteral("ScrollBar%1").arg(k));
    fader->setRange(0, 255);
    fader->setPageStep(10);
    fader->setMinimumWidth(100);
    connect(fader, &QScrollBar::valueChanged, this, [this, k] { WriteFaderLevel(k); });
    MarkRemoteTarget(fader, QStringLiteral("channel %1").arg(k));  // renumbered as it scrolls
    faders[i] = fader;

    auto* sent = new LevelLabel(this);
    sent->setObjectName(QStringLiteral("Label%1").arg(k));
    sent->setFixedWidth(40);
    QPalette display = sent->palette();
    display.setColor(QPalette::Window, QColor(0x10, 0x10, 0x10));
    display.setColor(QPalette::WindowText, QColor(0x40, 0xff, 0x40));
    sent->setPalette(display);
    QFont digits = sent->font();
    digits.setFamily(QStringLiteral("monospace"));
    digits.setStyleHint(QFont::Monospace);
    sent->setFont(digits);
    sent->setContentsMargins(0, 0, 3, 0);
    sentLevelLabels[i] = sent;

    auto* rate = new QScrollBar(Qt::Horizontal, this);
    rate->setObjectName(QStringLiteral("ScrollBarRate%1").arg(twoDigits));
    rate->setRange(0, 7);
    rate->setPageStep(2);
    rate->setValue(5);
    rate->setToolTip(QStringLiteral("Время изменения уровня DMX канала"));
    rate->setMinimumWidth(60);
    connect(rate, &QScrollBar::valueChanged, this, [this, k] { WriteChannelRate(k); });
    rateSliders[i] = rate;

    auto* name = new QLineEdit(this);
    name->setObjectName(QStringLiteral("Edit%1").arg(k));
    name->setMaxLength(16);
    name->setToolTip(nameHint);
    // A name box gives up width before the text beside it: it keeps room for about ten
    // characters and scrolls the rest of a long name.
    name->setMinimumWidth(80);
    name->setMaximumWidth(128);
    nameBoxes[i] = name;

    auto* box = new QCheckBox(this);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(k));
    connect(box, &QCheckBox::toggled, this, [this, k] { ToggleChannelSelection(k); });
    selectBoxes[i] = box;

    QWidget* row[] = {number, fader, sent, rate, name, box};
    for (int c = 0; c < 6; ++c) {
      row[c]->setFixedHeight(kRowHeight);
      grid->addWidget(row[c], k, c, c == 5 ? Qt::AlignHCenter : Qt::Alignment());
    }
  }

  // One invert button beside each group of five selection boxes; strips 26 and 27 have none.
  for (int g = 0; g < 5; ++g) {
    const int first = 1 + 5 * g;
    auto* invert = MakeButton(this, "", QStringLiteral("⇅"),
                              QStringLiteral("Инвертирует состояние флажков в поле  Выбор "));
    invert->setObjectName(QStringLiteral("SpeedButtonInv%1").arg(first));
    invert->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    invert->setFixedWidth(std::max(24, invert->minimumSizeHint().width()));
    connect(invert, &QToolButton::clicked, this, [this, first] { InvertSelectionGroup(first); });
    invertButtons[g] = invert;
    grid->addWidget(invert, first, 6, 5, 1);
  }

  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(kStripCount + 1, 1);
}

void StripPanel::BuildButtonColumn(QVBoxLayout* column) {
  QWidget* parent = column->parentWidget();

  QGroupBox* select = MakeStripGroup(parent, QStringLiteral("Выбор"));
  select->setObjectName(QStringLiteral("GroupBoxVybor"));
  clearAllSelectionButton =
      MakeButton(select, "SpeedButtonOffAllCheck", QStringLiteral("Сбросить все"),
                 QStringLiteral("Сбросить все флажки в столбце Выбор "));
  clearVisibleSelectionButton =
      MakeButton(select, "SpeedButtonOffVisCheck", QStringLiteral("Сбросить видимые"),
                 QStringLiteral("Сбросить все видимые флажки в столбце Выбор "));
  selectVisibleButton =
      MakeButton(select, "SpeedButtonOnVisCheck", QStringLiteral("Включить видимые"),
                 QStringLiteral("Включить все видимые флажки в столбце Выбор "));
  for (auto* b : {clearAllSelectionButton, clearVisibleSelectionButton, selectVisibleButton})
    select->layout()->addWidget(b);
  connect(clearAllSelectionButton, &QToolButton::clicked, this, [this] { ClearAllSelection(); });
  connect(clearVisibleSelectionButton, &QToolButton::clicked, this,
          [this] { ClearVisibleSelection(); });
  connect(selectVisibleButton, &QToolButton::clicked, this, [this] { SelectVisibleChannels(); });
  column->addWidget(select);

  QGroupBox* levels = MakeStripGroup(parent, QStringLiteral("Уровни сцены"));
  levels->setObjectName(QStringLiteral("GroupBoxSceneLevels"));
  clearSceneLevelsButton =
      MakeButton(levels, "SpeedButtonAllScrl0", QStringLiteral("Вся сцена в 0"),
                 QStringLiteral("Установить уровни все каналов сцены  в '0'"));
  levels->layout()->addWidget(clearSceneLevelsButton);
  auto* visible = new QHBoxLayout;
  visible->setSpacing(2);
  visibleTo0Button = MakeButton(levels, "SpeedButtonVis0", QStringLiteral("0"),
                                QStringLiteral("Установить уровни видимых каналов в '0' "));
  visibleTo127Button = MakeButton(levels, "SpeedButtonVis127", QStringLiteral("127"),
                                  QStringLiteral("Установить уровни видимых каналов в '127' "));
  visibleTo255Button = MakeButton(levels, "SpeedButtonVis255", QStringLiteral("255"),
                                  QStringLiteral("Установить уровни видимых каналов в '255' "));
  for (auto* b : {visibleTo0Button, visibleTo127Button, visibleTo255Button}) visible->addWidget(b);
  static_cast<QVBoxLayout*>(levels->layout())->addLayout(visible);
  connect(clearSceneLevelsButton, &QToolButton::clicked, this, [this] { ClearSceneLevels(); });
  connect(visibleTo0Button, &QToolButton::clicked, this, [this] { SetVisibleLevelsTo0(); });
  connect(visibleTo127Button, &QToolButton::clicked, this, [this] { SetVisibleLevelsTo127(); });
  connect(visibleTo255Button, &QToolButton::clicked, this, [this] { SetVisibleLevelsTo255(); });
  column->addWidget(levels);

  QGroupBox* display = MakeStripGroup(parent, QStringLiteral("На выходе"));
  display->setObjectName(QStringLiteral("GroupBoxOutDisplay"));
  auto* units = new QHBoxLayout;
  units->setSpacing(2);
  showLevelsButton = MakeButton(display, "SpeedButtonOutLevel255", QStringLiteral("Ур"),
                                QStringLiteral("Уровень в стандарте DMX512  0-255"));
  showPercentButton = MakeButton(display, "SpeedButtonOutLevel100", QStringLiteral("%"),
                                 QStringLiteral("Уровень в процентах"));
  auto* unitGroup = new QButtonGroup(display);
  for (auto* b : {showLevelsButton, showPercentButton}) {
    b->setCheckable(true);
    unitGroup->addButton(b);
    units->addWidget(b);
  }
  showLevelsButton->setChecked(true);
  static_cast<QVBoxLayout*>(display->layout())->addLayout(units);
  everyTickButton = MakeButton(display, "SpeedButtonLevel255", QStringLiteral("Быстро"),
                               QStringLiteral("Скорость презаписи данных на мониторе"));
  everyTickButton->setCheckable(true);
  everyTickButton->setChecked(true);
  display->layout()->addWidget(everyTickButton);
  column->addWidget(display);

  QWidget* undo = parts_.CreateUndoPair(1, parent);
  column->addWidget(undo);
  column->addStretch(1);
  column->addWidget(BuildOutputModeButtons(parent));
}

QWidget* StripPanel::BuildOutputModeButtons(QWidget* parent) {
  auto* panel = new QGroupBox(parent);
  panel->setObjectName(QStringLiteral("GroupBoxOutputMode"));
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->setSpacing(2);
  auto* group = new QButtonGroup(panel);
  group->setExclusive(true);
  auto add = [&](const char* name, const QString& caption, const QString& hint) {
    auto* button = MakeButton(panel, name, caption, hint);
    button->setCheckable(true);
    group->addButton(button);
    layout->addWidget(button);
    return button;
  };
  sceneOnButton = add("SpeedButtonOnScena", QStringLiteral("Сцена"),
                      QStringLiteral("Разрешить нормальную работу "));
  macroPictureButton =
      add("SpeedButtonMacrosOut", QStringLiteral("Макро M"),
          QStringLiteral("Выключает все каналы  и включает  каналы статической каркинки =M= "));
  blackOutButton = add("SpeedButtonBlackOut", QStringLiteral("BlackOut"), kBlackOutHint);
  MarkRemoteTarget(blackOutButton, QStringLiteral("blackout"));
  sceneOnButton->setChecked(true);
  // The blinking button keeps its place in the column while it is hidden.
  QSizePolicy policy = blackOutButton->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  blackOutButton->setSizePolicy(policy);
  blackOutButton->setStyleSheet(QStringLiteral("QToolButton:checked { color: red; }"));
  macroPictureButton->setStyleSheet(QStringLiteral("QToolButton:checked { color: red; }"));

  connect(macroPictureButton, &QToolButton::toggled, this,
          [this](bool down) { console_.Runner().SetMacroOut(down); });
  connect(blackOutButton, &QToolButton::clicked, this, [this] { StartBlackOut(); });
  connect(sceneOnButton, &QToolButton::clicked, this, [this] { EndBlackOut(); });
  connect(macroPictureButton, &QToolButton::clicked, this, [this] { StartMacroPicture(); });
  return panel;
}

}  // namespace kalvetro
