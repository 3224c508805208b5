#include "effects/ui/ConveyorPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Console.h"
#include "windows/DialogService.h"
#include "windows/SpeedButtons.h"
#include "windows/WindowParts.h"

namespace kalvetro {

namespace {

const QString kShowFilter = QStringLiteral("Файлы DMX Kalvetro  (*.klv)");
const QColor kAssignedColour(0, 0, 128);
const QColor kEmptyColour(255, 0, 0);

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

}  // namespace

ConveyorPanel::ConveyorPanel(Console& console, WindowParts& parts, QWidget* parent)
    : QGroupBox(QStringLiteral("Конвейр потоков Шоу "), parent), console_(console), parts_(parts) {
  setObjectName(QStringLiteral("GroupBoxKonveyr"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(8);

  // The twenty slots: slots 1..10 over slots 11..20, as their keys lie on the keyboard.
  auto* slotGrid = new QGridLayout;
  slotGrid->setHorizontalSpacing(3);
  slotGrid->setVerticalSpacing(2);
  for (int k = 1; k <= kConveyorSlots; ++k) {
    auto* button = MakeSpeedButton(
        this, QStringLiteral("SpeedButton%1").arg(k), QStringLiteral("(пусто)"),
        QStringLiteral("Имя введенного файла на кнопке  -  вводить Имя правой кнопкой"));
    button->setCheckable(true);
    button->setFixedHeight(22);
    // Equal columns whatever the captions: a long bold name never widens the window.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setMinimumWidth(48);
    QFont font = button->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    button->setFont(font);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this,
            [this, k](bool down) { SpeedButtonClick(k, down); });
    SpeedButtons[k - 1] = button;
    slotGrid->addWidget(button, (k - 1) / 10, (k - 1) % 10);
  }
  for (int column = 0; column < 10; ++column) slotGrid->setColumnStretch(column, 1);
  layout->addLayout(slotGrid, 1);
  auto* controls = new QVBoxLayout;
  controls->setSpacing(3);
  layout->addLayout(controls);

  // The mode buttons, the clear button, the job label and the keyboard switch.
  auto* modes = new QHBoxLayout;
  modes->setSpacing(2);
  auto makeMode = [this, modes](const char* name, const QString& text, const QString& hint,
                                void (ConveyorPanel::*handler)()) {
    auto* button = MakeSpeedButton(this, QString::fromLatin1(name), text, hint, false);
    button->setCheckable(true);
    connect(button, &QToolButton::clicked, this, handler);
    modes->addWidget(button);
    return button;
  };
  SpeedButtonKonvHand =
      makeMode("SpeedButtonKonvHand", QStringLiteral("Ручн"),
               QStringLiteral("Остановить Шоу   и  разрешить проигрывание выбранного Шоу"),
               &ConveyorPanel::SpeedButtonKonvHandClick);
  SpeedButtonKonvSpis = makeMode("SpeedButtonKonvSpis", QStringLiteral("▶"),
                                 QStringLiteral("Запустить конвейр Шоу  с текущей позиции "),
                                 &ConveyorPanel::SpeedButtonKonvSpisClick);
  SpeedButtonKonvSpisBegin =
      makeMode("SpeedButtonKonvSpisBegin", QStringLiteral("|▶"),
               QStringLiteral("Запустить Конвейр Шоу  с первой активной кнопки"),
               &ConveyorPanel::SpeedButtonKonvSpisBeginClick);
  SpeedButtonKonvOff = makeMode("SpeedButtonKonvOff", QStringLiteral("Набор"),
                                QStringLiteral("Остановить конвейр и разрешить набор конвейра Шоу"),
                                &ConveyorPanel::SpeedButtonKonvOffClick);
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  for (QToolButton* b :
       {SpeedButtonKonvHand, SpeedButtonKonvSpis, SpeedButtonKonvSpisBegin, SpeedButtonKonvOff})
    group->addButton(b);
  SpeedButtonKonvHand->setChecked(true);
  SpeedButtonKonvNew =
      MakeSpeedButton(this, QStringLiteral("SpeedButtonKonvNew"), QStringLiteral("✕"),
                      QStringLiteral("Очистить конвейр Шоу"), false);
  connect(SpeedButtonKonvNew, &QToolButton::clicked, this, &ConveyorPanel::SpeedButtonKonvNewClick);
  modes->addWidget(SpeedButtonKonvNew);
  controls->addLayout(modes);

  auto* bottom = new QHBoxLayout;
  LabelKonveyr = new QLabel(QStringLiteral("No job"), this);
  LabelKonveyr->setObjectName(QStringLiteral("LabelKonveyr"));
  LabelKonveyr->setMinimumWidth(80);
  QFont bold = LabelKonveyr->font();
  bold.setBold(true);
  LabelKonveyr->setFont(bold);
  bottom->addWidget(LabelKonveyr, 1);
  bottom->addWidget(new QLabel(QStringLiteral("Клавиатура"), this));
  CheckBoxKeyKonveyr = new QCheckBox(QStringLiteral("Вкл"), this);
  CheckBoxKeyKonveyr->setObjectName(QStringLiteral("CheckBoxKeyKonveyr"));
  CheckBoxKeyKonveyr->setToolTip(QStringLiteral("Включить горячие кнопки клавиатуру"));
  CheckBoxKeyKonveyr->setChecked(console_.ConveyorKeys());
  bottom->addWidget(CheckBoxKeyKonveyr);
  controls->addLayout(bottom);

  // The keyboard reads the switch from the console; the switch follows the console when
  // someone else (a channel name box) turns the keys off.
  connect(CheckBoxKeyKonveyr, &QCheckBox::toggled, this,
          [this](bool on) { console_.SetConveyorKeys(on); });
  connect(&console_, &Console::ConveyorKeysChanged, CheckBoxKeyKonveyr, &QCheckBox::setChecked);
  connect(&console_, &Console::ConveyorSlotRequested, this, [this](int slot) {
    if (slot >= 1 && slot < kConveyorSlots && console_.ConveyorKeys()) SlotJob(slot);
  });
  // The end of a pass loads the next show of the list.
  connect(&console_, &Console::PassEnded, this, [this] {
    if (conveyor_.ListMode()) KonveyrJob();
  });
  connect(&console_, &Console::SettingsRead, this, &ConveyorPanel::LabelSlotsAtStartup);
  LabelSlotsAtStartup();
}

// ---------------------------------------------------------------- slot captions

void ConveyorPanel::ShowSlot(int slot, const QString& caption, bool assigned) {
  QToolButton* button = SpeedButtons[slot - 1];
  QFont font = button->font();
  font.setBold(assigned);
  button->setFont(font);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, assigned ? kAssignedColour : kEmptyColour);
  button->setPalette(palette);
  button->setText(caption);
}

void ConveyorPanel::LabelSlotsAtStartup() {
  const auto& files = console_.ConveyorFiles();
  for (int k = 1; k <= kConveyorSlots; ++k) {
    const std::string& path = files[k - 1];
    if (path.empty()) {
      ShowSlot(k, Text(EmptySlotCaption(k, EmptySlotText::kAfterStartup)), false);
    } else {
      const QString name = Text(StartupFileName(path));
      ShowSlot(k, Text(AssignedSlotCaption(k, StartupFileName(path))), true);
      // The label keeps the short name of the last slot labelled with a file.
      LabelKonveyr->setText(name);
    }
  }
}

void ConveyorPanel::ShowDownStates() {
  for (int k = 1; k <= kConveyorSlots; ++k) SpeedButtons[k - 1]->setChecked(conveyor_.Down(k));
}

// ---------------------------------------------------------------- slotGrid

void ConveyorPanel::SpeedButtonClick(int slot, bool down) {
  // The button has toggled already; in the list and composing modes that is all a click does.
  conveyor_.SetDown(slot, down);
  SlotJob(slot);
}

void ConveyorPanel::SlotJob(int slot) {
  if (slot < 1 || slot > kConveyorSlots) return;
  const bool load = conveyor_.SlotJob(slot, console_.ConveyorFiles());
  ShowDownStates();
  if (load) ManualLoad(slot);
}

void ConveyorPanel::ReportFailedLoad(int slot, const std::string& error) {
  const std::string& path = console_.ConveyorFiles()[slot - 1];
  console_.OutStatus(Text(ConveyorJobLabel(slot, path) + ": " + error));
  parts_.Dialogs().Error(Text(error));
}

void ConveyorPanel::ManualLoad(int slot) {
  const std::string path = console_.ConveyorFiles()[slot - 1];
  const FileResult opened = console_.OpenShow(Text(path));
  if (!opened.ok) {
    ReportFailedLoad(slot, opened.error);
    return;
  }
  console_.Show().memory.Set(kCurrentStep, 0);
  LabelKonveyr->setText(Text(ConvertorFileName(path)));
  console_.ReturnPageControlAll();
}

void ConveyorPanel::KonveyrJob() {
  // While the message of a failed load is open the show plays on and its passes may end
  // again; they do not stack further loads and messages on top of it.
  if (jobRunning_) return;
  jobRunning_ = true;
  FileResult opened;
  const ConveyorJobResult result =
      conveyor_.KonveyrJob(console_.ConveyorFiles(), [&](const std::string& path) {
        opened = console_.OpenShow(Text(path));
        return opened.ok;
      });
  if (result.failed) ReportFailedLoad(result.slot, opened.error);
  jobRunning_ = false;
  // A show that could not be opened leaves the show in memory and its scene alone.
  if (result.failed) return;
  console_.Show().memory.Set(kCurrentStep, 0);
  if (result.slot == 0) return;
  LabelKonveyr->setText(
      Text(ConveyorJobLabel(result.slot, console_.ConveyorFiles()[result.slot - 1])));
  console_.ReturnPageControlAll();
}

void ConveyorPanel::KonveyrButtonOff() {
  conveyor_.KonveyrButtonOff();
  ShowDownStates();
}

void ConveyorPanel::SpeedButtonMouseDown(int slot) {
  const auto chosen = parts_.Dialogs().OpenFile(console_.OpenDialogFileName(), kShowFilter);
  if (!chosen) return;
  console_.SetConveyorFile(slot, *chosen);
  ShowSlot(slot, Text(AssignedSlotCaption(slot, ConvertorFileName(chosen->toStdString()))), true);
}

bool ConveyorPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    for (int k = 1; k <= kConveyorSlots; ++k) {
      if (watched == SpeedButtons[k - 1]) {
        SpeedButtonMouseDown(k);
        return true;
      }
    }
  }
  return QGroupBox::eventFilter(watched, event);
}

// ---------------------------------------------------------------- modes

void ConveyorPanel::SetMode(ConveyorMode mode) {
  conveyor_.SetMode(mode);
  QToolButton* button = SpeedButtonKonvHand;
  if (mode == ConveyorMode::kList) button = SpeedButtonKonvSpis;
  if (mode == ConveyorMode::kListFromFirst) button = SpeedButtonKonvSpisBegin;
  if (mode == ConveyorMode::kComposing) button = SpeedButtonKonvOff;
  button->setChecked(true);
}

void ConveyorPanel::SpeedButtonKonvHandClick() {
  SetMode(ConveyorMode::kHand);
  console_.SetPlaying(false);
}

void ConveyorPanel::SpeedButtonKonvSpisClick() {
  SetMode(ConveyorMode::kList);
  KonveyrJob();
  console_.SetPlaying(true);
}

void ConveyorPanel::SpeedButtonKonvSpisBeginClick() {
  SetMode(ConveyorMode::kListFromFirst);
  conveyor_.SetPosition(1);
  KonveyrJob();
  console_.SetPlaying(true);
}

void ConveyorPanel::SpeedButtonKonvOffClick() {
  SetMode(ConveyorMode::kComposing);
  console_.SetPlaying(false);
}

void ConveyorPanel::SpeedButtonKonvNewClick() {
  if (!parts_.Dialogs().Ask(QStringLiteral("Удалить все файлы конвейра ? "))) return;
  KonveyrButtonOff();
  for (int k = 1; k <= kConveyorSlots; ++k) {
    console_.SetConveyorFile(k, QString());
    ShowSlot(k, Text(EmptySlotCaption(k, EmptySlotText::kAfterClearing)), false);
  }
}

}  // namespace kalvetro
