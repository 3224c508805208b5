// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/ui/ConveyorPanel.h"
#include "app/ShowFiles.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "ui/Controls.h"
#include "ui/DialogService.h"
#include "ui/SpeedButtons.h"
#include "ui/WindowParts.h"

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
    MarkRemoteTarget(button, QStringLiteral("conveyor %1").arg(k));
    // Equal columns whatever the captions: a long bold name never widens the window.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setMinimumWidth(48);
    QFont font = button->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    button->setFont(font);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, [this, k](bool down) { PressSlot(k, down); });
    slotButtons[k - 1] = button;
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
  handButton = makeMode("SpeedButtonKonvHand", QStringLiteral("Ручн"),
                        QStringLiteral("Остановить Шоу   и  разрешить проигрывание выбранного Шоу"),
                        &ConveyorPanel::ChooseHandMode);
  listButton = makeMode("SpeedButtonKonvSpis", QStringLiteral("▶"),
                        QStringLiteral("Запустить конвейр Шоу  с текущей позиции "),
                        &ConveyorPanel::ChooseListMode);
  listFromFirstButton = makeMode("SpeedButtonKonvSpisBegin", QStringLiteral("|▶"),
                                 QStringLiteral("Запустить Конвейр Шоу  с первой активной кнопки"),
                                 &ConveyorPanel::ChooseListFromFirst);
  composeButton = makeMode("SpeedButtonKonvOff", QStringLiteral("Набор"),
                           QStringLiteral("Остановить конвейр и разрешить набор конвейра Шоу"),
                           &ConveyorPanel::ChooseComposing);
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  for (QToolButton* b : {handButton, listButton, listFromFirstButton, composeButton})
    group->addButton(b);
  handButton->setChecked(true);
  clearButton = MakeSpeedButton(this, QStringLiteral("SpeedButtonKonvNew"), QStringLiteral("✕"),
                                QStringLiteral("Очистить конвейр Шоу"), false);
  connect(clearButton, &QToolButton::clicked, this, &ConveyorPanel::ClearSlots);
  modes->addWidget(clearButton);
  controls->addLayout(modes);

  auto* bottom = new QHBoxLayout;
  jobLabel = PlainLabel(QStringLiteral("No job"), this);
  jobLabel->setObjectName(QStringLiteral("LabelKonveyr"));
  jobLabel->setMinimumWidth(80);
  QFont bold = jobLabel->font();
  bold.setBold(true);
  jobLabel->setFont(bold);
  bottom->addWidget(jobLabel, 1);
  bottom->addWidget(PlainLabel(QStringLiteral("Клавиатура"), this));
  keysBox = new QCheckBox(QStringLiteral("Вкл"), this);
  keysBox->setObjectName(QStringLiteral("CheckBoxKeyKonveyr"));
  keysBox->setToolTip(QStringLiteral("Включить горячие кнопки клавиатуру"));
  keysBox->setChecked(console_.ConveyorKeys());
  bottom->addWidget(keysBox);
  controls->addLayout(bottom);

  // The keyboard reads the switch from the console; the switch follows the console when
  // someone else (a channel name box) turns the keys off.
  connect(keysBox, &QCheckBox::toggled, this, [this](bool on) { console_.SetConveyorKeys(on); });
  connect(&console_, &Console::ConveyorKeysChanged, keysBox, &QCheckBox::setChecked);
  // The conveyor is the show runner's (the end of a pass, the keys, a remote drive it): the
  // group shows its mode, its slot buttons and its label, and the message of a failed load.
  ShowRunner& runner = console_.Runner();
  connect(&runner, &ShowRunner::ConveyorChanged, this, &ConveyorPanel::ShowConveyor);
  connect(&runner, &ShowRunner::ConveyorLoadFailed, this,
          [this](int, const QString& error) { parts_.Dialogs().Error(error); });
  connect(&console_.Files(), &ShowFiles::SettingsRead, this, &ConveyorPanel::LabelSlotsAtStartup);
  LabelSlotsAtStartup();
}

// ---------------------------------------------------------------- slot captions

void ConveyorPanel::ShowSlot(int slot, const QString& caption, bool assigned) {
  QToolButton* button = slotButtons[slot - 1];
  QFont font = button->font();
  font.setBold(assigned);
  button->setFont(font);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, assigned ? kAssignedColour : kEmptyColour);
  button->setPalette(palette);
  button->setText(caption);
}

void ConveyorPanel::LabelSlotsAtStartup() {
  const auto& files = console_.Files().ConveyorFiles();
  for (int k = 1; k <= kConveyorSlots; ++k) {
    const std::string& path = files[k - 1];
    if (path.empty()) {
      ShowSlot(k, Text(EmptySlotCaption(k, EmptySlotText::kAfterStartup)), false);
    } else {
      const QString name = Text(StartupFileName(path));
      ShowSlot(k, Text(AssignedSlotCaption(k, StartupFileName(path))), true);
      // The label keeps the short name of the last slot labelled with a file.
      jobLabel->setText(name);
    }
  }
}

void ConveyorPanel::ShowConveyor() {
  const Conveyor& conveyor = console_.Runner().ConveyorState();
  for (int k = 1; k <= kConveyorSlots; ++k) slotButtons[k - 1]->setChecked(conveyor.Down(k));
  QToolButton* mode = handButton;
  if (conveyor.Mode() == ConveyorMode::kList) mode = listButton;
  if (conveyor.Mode() == ConveyorMode::kListFromFirst) mode = listFromFirstButton;
  if (conveyor.Mode() == ConveyorMode::kComposing) mode = composeButton;
  mode->setChecked(true);
  const QString& label = console_.Runner().ConveyorLabel();
  if (!label.isEmpty() && label != shownLabel_) {
    shownLabel_ = label;
    jobLabel->setText(label);
  }
}

// ---------------------------------------------------------------- slot buttons

void ConveyorPanel::PressSlot(int slot, bool down) {
  console_.Runner().SetConveyorSlotDown(slot, down);
}

void ConveyorPanel::ReleaseAllSlots() {
  console_.Runner().ConveyorButtonsOff();
}

void ConveyorPanel::SpeedButtonMouseDown(int slot) {
  const auto chosen = parts_.Dialogs().OpenFile(console_.Files().OpenDialogFileName(), kShowFilter);
  if (!chosen) return;
  console_.Files().SetConveyorFile(slot, *chosen);
  ShowSlot(slot, Text(AssignedSlotCaption(slot, ConveyorFileName(chosen->toStdString()))), true);
}

bool ConveyorPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    for (int k = 1; k <= kConveyorSlots; ++k) {
      if (watched == slotButtons[k - 1]) {
        SpeedButtonMouseDown(k);
        return true;
      }
    }
  }
  return QGroupBox::eventFilter(watched, event);
}

// ---------------------------------------------------------------- modes

void ConveyorPanel::ChooseHandMode() {
  console_.Runner().SetConveyorMode(ConveyorMode::kHand);
}

void ConveyorPanel::ChooseListMode() {
  console_.Runner().SetConveyorMode(ConveyorMode::kList);
}

void ConveyorPanel::ChooseListFromFirst() {
  console_.Runner().SetConveyorMode(ConveyorMode::kListFromFirst);
}

void ConveyorPanel::ChooseComposing() {
  console_.Runner().SetConveyorMode(ConveyorMode::kComposing);
}

void ConveyorPanel::ClearSlots() {
  if (!parts_.Dialogs().Ask(QStringLiteral("Удалить все файлы конвейра ? "))) return;
  ReleaseAllSlots();
  for (int k = 1; k <= kConveyorSlots; ++k) {
    console_.Files().SetConveyorFile(k, QString());
    ShowSlot(k, Text(EmptySlotCaption(k, EmptySlotText::kAfterClearing)), false);
  }
}

}  // namespace kalvetro
