// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/LevelTablePage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <span>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/ChannelNames.h"
#include "ui/Controls.h"
#include "ui/WindowParts.h"

namespace kalvetro {

namespace {

constexpr int kDisplayPeriodMs = 100;  // the output display timer
constexpr int kLargeStep = 20;

QScrollBar* MakeTableBar(QWidget* parent, const char* name, int minimum, int value,
                         const QString& hint) {
  auto* bar = MakeBar(parent, QString::fromLatin1(name),
                      {.minimum = minimum, .value = value, .pageStep = kLargeStep, .hint = hint});
  bar->setMinimumWidth(160);
  return bar;
}

// The name as the strip page's name box shows it: every 0 byte a blank, trailing blanks
// dropped. Read only: showing a name never rewrites the show.
QString ChannelNameText(const ShowMemory& memory, int channel) {
  std::array<std::uint8_t, kChannelNameLength> bytes{};
  int length = 0;
  for (int i = 0; i < kChannelNameLength; ++i) {
    const std::uint8_t b = memory.Get(NameOffset(channel) + i);
    bytes[i] = b == 0 ? std::uint8_t{' '} : b;
    if (bytes[i] != ' ') length = i + 1;
  }
  return QString::fromStdString(DecodeCp1251(std::span<const std::uint8_t>(bytes.data(), length)));
}

}  // namespace

LevelTablePage::LevelTablePage(Console& console, WindowParts& parts, QWidget* undoPair,
                               QWidget* parent)
    : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("LevelTablePage"));
  auto* page = new QHBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);
  page->setSpacing(8);

  // The table: channel n in column (n - 1) mod 16, row (n - 1) div 16.
  auto* left = new QVBoxLayout;
  auto* title = PlainLabel(QStringLiteral("Уровни 256 каналов выделенной сцены "), this);
  title->setObjectName(QStringLiteral("LabelDampTitle"));
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 2);
  title->setFont(bold);
  left->addWidget(title);
  auto* table = new QWidget(this);
  table->setObjectName(QStringLiteral("PanelDamp"));
  table->setStyleSheet(
      QStringLiteral("#PanelDamp { background: #101820; } #PanelDamp QLabel { color: #f0f040; "
                     "font-family: monospace; }"));
  auto* grid = new QGridLayout(table);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  for (int n = 1; n <= kLevelTableLabelCount; ++n) {
    auto* label = PlainLabel(QString::fromLatin1(kLevelTableInitialCaption), table);
    label->setObjectName(QStringLiteral("LabelDamp%1").arg(n, 3, 10, QLatin1Char('0')));
    label->setToolTip(QString::fromStdString(LevelTableLabelHint(n)));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFixedSize(36, 20);
    const LevelTableCell cell = LevelTableCellOf(n);
    grid->addWidget(label, cell.row, cell.column);
    tableLevelLabels[n - 1] = label;
  }
  table->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  left->addWidget(table);
  left->addStretch();
  page->addLayout(left);

  // The controls of one level.
  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(4);
  tableEditSceneBox = new QCheckBox(QStringLiteral("Редактировать Сцену во время работы"), this);
  tableEditSceneBox->setObjectName(QStringLiteral("CheckBoxDampScena"));
  right->addWidget(tableEditSceneBox);
  tableSceneLabel =
      MakeLabel(this, QStringLiteral("LabelDampScena"), QStringLiteral("Сцена = 255 "));
  tableSceneSlider =
      MakeTableBar(this, "ScrollBarDampScena", 0, 1, QStringLiteral("Установка Сцены"));
  tableSceneSlider->setEnabled(false);
  tableChannelLabel =
      MakeLabel(this, QStringLiteral("LabelDampChanell"), QStringLiteral("Канал = 223 "));
  tableChannelSlider =
      MakeTableBar(this, "ScrollBarDampChanell", 1, 32, QStringLiteral("Установка номера Канала"));
  tableLevelLabel =
      MakeLabel(this, QStringLiteral("LabelDampLevel"), QStringLiteral("Уровень = 127"));
  tableLevelSlider =
      MakeTableBar(this, "ScrollBarDampLevel", 0, 127, QStringLiteral("Установка Уровня"));
  right->addSpacing(6);
  for (QWidget* w :
       {static_cast<QWidget*>(tableSceneLabel), static_cast<QWidget*>(tableSceneSlider),
        static_cast<QWidget*>(tableChannelLabel), static_cast<QWidget*>(tableChannelSlider),
        static_cast<QWidget*>(tableLevelLabel), static_cast<QWidget*>(tableLevelSlider)})
    right->addWidget(w);
  tableLevelGauge = new QProgressBar(this);
  tableLevelGauge->setObjectName(QStringLiteral("ProgressBarDampLevel"));
  tableLevelGauge->setRange(0, 255);
  tableLevelGauge->setValue(127);
  tableLevelGauge->setTextVisible(false);
  tableLevelGauge->setFixedHeight(14);
  right->addWidget(tableLevelGauge);
  tableChannelNameEdit = new QLineEdit(this);
  tableChannelNameEdit->setObjectName(QStringLiteral("EditDampName"));
  tableChannelNameEdit->setReadOnly(true);
  tableChannelNameEdit->setFocusPolicy(Qt::NoFocus);
  right->addWidget(tableChannelNameEdit);
  right->addSpacing(12);
  if (undoPair) {
    undoPair->setParent(this);
    right->addWidget(undoPair);
  }
  right->addStretch();
  auto* rightPanel = new QWidget(this);
  rightPanel->setObjectName(QStringLiteral("PanelDampLevel"));
  rightPanel->setLayout(right);
  rightPanel->setMaximumWidth(320);
  page->addWidget(rightPanel, 0, Qt::AlignTop);
  page->addStretch();

  connect(tableEditSceneBox, &QCheckBox::toggled, this, [this] { ShowEditedScene(); });
  connect(tableSceneSlider, &QScrollBar::valueChanged, this, [this] { ShowChosenScene(); });
  connect(tableChannelSlider, &QScrollBar::valueChanged, this, [this] { ShowChosenChannel(); });
  connect(tableLevelSlider, &QScrollBar::valueChanged, this, [this] { WriteChosenLevel(); });

  // The page follows the show while it is shown: every refresh of the console (each step of
  // the sequencer among them) and level edits made elsewhere.
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (IsShownPage(this)) RefreshSoon();
  });
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if ((area == ShowArea::Levels || area == ShowArea::Names) && IsShownPage(this)) RefreshSoon();
  });
  connect(&console_, &Console::ShowReplaced, this, [this](ShowReplacement how) {
    if (how == ShowReplacement::Emptied) shownLevels_.Forget();
  });
  connect(parts.DisplayTimer(), &QTimer::timeout, this, [this] { DisplayTick(); });
}

int LevelTablePage::ShownScene() const {
  return LevelTableShownScene(console_.Show(), tableEditSceneBox->isChecked(),
                              tableSceneSlider->value());
}

void LevelTablePage::RefreshLevelTable() {
  refreshPending_ = false;
  lastRefresh_.start();
  const ShowState& show = console_.Show();
  const bool editing = tableEditSceneBox->isChecked();
  tableSceneSlider->setEnabled(editing);
  const int scene = ShownScene();
  tableSceneLabel->setText(QString::fromStdString(LevelTableSceneText(scene)));

  const int channel = tableChannelSlider->value();
  const std::uint8_t level = LevelTableLevel(show, scene, channel);
  {
    // The bar only shows the stored level here; there is nothing to write back.
    refreshing_ = true;
    tableLevelSlider->setValue(level);
    refreshing_ = false;
  }
  tableLevelLabel->setText(QString::fromStdString(LevelTableLevelText(level)));
  tableLevelGauge->setValue(level);
  tableChannelLabel->setText(QString::fromStdString(LevelTableChannelText(channel)));
  const QString name = ChannelNameText(show.memory, channel);
  if (tableChannelNameEdit->text() != name) tableChannelNameEdit->setText(name);
  RefreshLevelTableLabels();
}

void LevelTablePage::RefreshLevelTableLabels() {
  std::array<std::uint8_t, kLevelTableLabelCount> changed{};
  const int count = shownLevels_.Update(console_.Show().memory, ShownScene(), changed);
  for (int i = 0; i < count; ++i) {
    const int n = changed[i];
    tableLevelLabels[n - 1]->setText(
        QString::fromStdString(LevelTableLabelText(shownLevels_.Shown(n))));
  }
}

void LevelTablePage::WriteChosenLevel() {
  if (refreshing_) return;
  const ShowEdit changed = console_.Edit(UndoCopy::Keep, kStepLevelTable, [&](ShowState& show) {
    const bool written =
        WriteLevelTableLevel(show, tableEditSceneBox->isChecked(), tableSceneSlider->value(),
                             tableChannelSlider->value(), tableLevelSlider->value());
    return written ? ShowEdit(ShowArea::Levels) : ShowEdit();
  });
  if (!changed.Empty()) RefreshLevelTable();
}

void LevelTablePage::RefreshSoon() {
  if (!lastRefresh_.isValid() || lastRefresh_.elapsed() >= kDisplayPeriodMs) {
    RefreshLevelTable();
  } else {
    refreshPending_ = true;
  }
}

void LevelTablePage::DisplayTick() {
  if (refreshPending_ && IsShownPage(this)) RefreshLevelTable();
}

}  // namespace kalvetro
