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
#include "editing/ChannelNames.h"
#include "windows/WindowParts.h"

namespace kalvetro {

namespace {

constexpr int kDisplayPeriodMs = 100;  // the output display timer
constexpr int kLargeStep = 20;

QScrollBar* MakeBar(QWidget* parent, const char* name, int minimum, int value,
                    const QString& hint) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(minimum, 255);
  bar->setPageStep(kLargeStep);
  bar->setValue(value);
  bar->setToolTip(hint);
  bar->setMinimumWidth(240);
  return bar;
}

QLabel* MakeValueLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// The name as the strip page's name box shows it: every 0 byte a blank, trailing blanks
// dropped. Read only: showing a name never rewrites the show.
QString DampName(const ShowMemory& memory, int channel) {
  std::array<std::uint8_t, kChannelNameLength> bytes{};
  int length = 0;
  for (int i = 0; i < kChannelNameLength; ++i) {
    const std::uint8_t b = memory.Get(NameOffset(channel) + i);
    bytes[i] = b == 0 ? std::uint8_t{' '} : b;
    if (bytes[i] != ' ') length = i + 1;
  }
  return QString::fromStdString(
      DecodeCp1251(std::span<const std::uint8_t>(bytes.data(), length)));
}

}  // namespace

LevelTablePage::LevelTablePage(Console& console, WindowParts& parts, QWidget* undoPair,
                               QWidget* parent)
    : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("LevelTablePage"));
  auto* page = new QHBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);
  page->setSpacing(12);

  // The table: channel n in column (n - 1) mod 16, row (n - 1) div 16.
  auto* left = new QVBoxLayout;
  auto* title = new QLabel(QStringLiteral("Уровни 256 каналов выделенной сцены "), this);
  title->setObjectName(QStringLiteral("LabelDampTitle"));
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 2);
  title->setFont(bold);
  left->addWidget(title);
  auto* table = new QWidget(this);
  table->setObjectName(QStringLiteral("PanelDamp"));
  table->setStyleSheet(QStringLiteral(
      "#PanelDamp { background: #101820; } #PanelDamp QLabel { color: #f0f040; "
      "font-family: monospace; }"));
  auto* grid = new QGridLayout(table);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  for (int n = 1; n <= kDampLabelCount; ++n) {
    auto* label = new QLabel(QString::fromLatin1(kDampInitialCaption), table);
    label->setObjectName(QStringLiteral("LabelDamp%1").arg(n, 3, 10, QLatin1Char('0')));
    label->setToolTip(QString::fromStdString(DampLabelHint(n)));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFixedSize(36, 20);
    const DampCell cell = DampCellOf(n);
    grid->addWidget(label, cell.row, cell.column);
    LabelDamp[n - 1] = label;
  }
  table->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  left->addWidget(table);
  left->addStretch();
  page->addLayout(left);

  // The controls of one level.
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  CheckBoxDampScena = new QCheckBox(QStringLiteral("Редактировать Сцену во время работы"), this);
  CheckBoxDampScena->setObjectName(QStringLiteral("CheckBoxDampScena"));
  right->addWidget(CheckBoxDampScena);
  LabelDampScena = MakeValueLabel(this, "LabelDampScena", QStringLiteral("Сцена = 255 "));
  ScrollBarDampScena = MakeBar(this, "ScrollBarDampScena", 0, 1, QStringLiteral("Установка Сцены"));
  ScrollBarDampScena->setEnabled(false);
  LabelDampChanell = MakeValueLabel(this, "LabelDampChanell", QStringLiteral("Канал = 223 "));
  ScrollBarDampChanell =
      MakeBar(this, "ScrollBarDampChanell", 1, 32, QStringLiteral("Установка номера Канала"));
  LabelDampLevel = MakeValueLabel(this, "LabelDampLevel", QStringLiteral("Уровень = 127"));
  ScrollBarDampLevel =
      MakeBar(this, "ScrollBarDampLevel", 0, 127, QStringLiteral("Установка Уровня"));
  right->addSpacing(6);
  for (QWidget* w : {static_cast<QWidget*>(LabelDampScena), static_cast<QWidget*>(ScrollBarDampScena),
                     static_cast<QWidget*>(LabelDampChanell),
                     static_cast<QWidget*>(ScrollBarDampChanell),
                     static_cast<QWidget*>(LabelDampLevel),
                     static_cast<QWidget*>(ScrollBarDampLevel)})
    right->addWidget(w);
  ProgressBarDampLevel = new QProgressBar(this);
  ProgressBarDampLevel->setObjectName(QStringLiteral("ProgressBarDampLevel"));
  ProgressBarDampLevel->setRange(0, 255);
  ProgressBarDampLevel->setValue(127);
  ProgressBarDampLevel->setTextVisible(false);
  ProgressBarDampLevel->setFixedHeight(14);
  right->addWidget(ProgressBarDampLevel);
  EditDampName = new QLineEdit(this);
  EditDampName->setObjectName(QStringLiteral("EditDampName"));
  EditDampName->setReadOnly(true);
  EditDampName->setFocusPolicy(Qt::NoFocus);
  right->addWidget(EditDampName);
  right->addSpacing(12);
  if (undoPair) {
    undoPair->setParent(this);
    right->addWidget(undoPair);
  }
  right->addStretch();
  auto* rightPanel = new QWidget(this);
  rightPanel->setObjectName(QStringLiteral("PanelDampLevel"));
  rightPanel->setLayout(right);
  rightPanel->setFixedWidth(320);
  page->addWidget(rightPanel, 0, Qt::AlignTop);
  page->addStretch();

  connect(CheckBoxDampScena, &QCheckBox::toggled, this, [this] { CheckBoxDampScenaClick(); });
  connect(ScrollBarDampScena, &QScrollBar::valueChanged, this,
          [this] { ScrollBarDampScenaChange(); });
  connect(ScrollBarDampChanell, &QScrollBar::valueChanged, this,
          [this] { ScrollBarDampChanellChange(); });
  connect(ScrollBarDampLevel, &QScrollBar::valueChanged, this,
          [this] { ScrollBarDampLevelChange(); });

  // The page follows the show while it is shown: every refresh of the console (each step of
  // the sequencer among them) and level edits made elsewhere.
  connect(&console_, &Console::PageRefresh, this, [this] {
    if (IsShownPage(this)) RefreshSoon();
  });
  connect(&console_, &Console::Changed, this, [this](ShowArea area) {
    if ((area == ShowArea::Levels || area == ShowArea::Names) && IsShownPage(this)) RefreshSoon();
  });
  connect(&console_, &Console::ShowCleared, this, [this] { shownLevels_.Forget(); });
  connect(parts.DisplayTimer(), &QTimer::timeout, this, [this] { DisplayTick(); });
}

int LevelTablePage::ShownScene() const {
  return DampShownScene(console_.Show(), CheckBoxDampScena->isChecked(),
                        ScrollBarDampScena->value());
}

void LevelTablePage::ReturnDampAll() {
  refreshPending_ = false;
  lastRefresh_.start();
  const ShowState& show = console_.Show();
  const bool editing = CheckBoxDampScena->isChecked();
  ScrollBarDampScena->setEnabled(editing);
  const int scene = ShownScene();
  LabelDampScena->setText(QString::fromStdString(DampSceneText(scene)));

  const int channel = ScrollBarDampChanell->value();
  const std::uint8_t level = DampLevel(show, scene, channel);
  {
    // The bar only shows the stored level here; there is nothing to write back.
    refreshing_ = true;
    ScrollBarDampLevel->setValue(level);
    refreshing_ = false;
  }
  LabelDampLevel->setText(QString::fromStdString(DampLevelText(level)));
  ProgressBarDampLevel->setValue(level);
  LabelDampChanell->setText(QString::fromStdString(DampChannelText(channel)));
  const QString name = DampName(show.memory, channel);
  if (EditDampName->text() != name) EditDampName->setText(name);
  ReturnDampLabel();
}

void LevelTablePage::ReturnDampLabel() {
  std::array<std::uint8_t, kDampLabelCount> changed{};
  const int count = shownLevels_.Update(console_.Show().memory, ShownScene(), changed);
  for (int i = 0; i < count; ++i) {
    const int n = changed[i];
    LabelDamp[n - 1]->setText(QString::fromStdString(DampLabelText(shownLevels_.Shown(n))));
  }
}

void LevelTablePage::ScrollBarDampLevelChange() {
  if (refreshing_) return;
  if (!WriteDampLevel(console_.Show(), CheckBoxDampScena->isChecked(),
                      ScrollBarDampScena->value(), ScrollBarDampChanell->value(),
                      ScrollBarDampLevel->value()))
    return;
  ReturnDampAll();
  console_.Notify(ShowArea::Levels);
}

void LevelTablePage::RefreshSoon() {
  if (!lastRefresh_.isValid() || lastRefresh_.elapsed() >= kDisplayPeriodMs) {
    ReturnDampAll();
  } else {
    refreshPending_ = true;
  }
}

void LevelTablePage::DisplayTick() {
  if (refreshPending_ && IsShownPage(this)) ReturnDampAll();
}

}  // namespace kalvetro
