// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/ui/MidiPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "door/RemoteDoor.h"
#include "output/ui/DmxLinkPanel.h"
#include "remote/MidiRemote.h"
#include "remote/Remotes.h"
#include "show/ShowMemory.h"
#include "ui/Controls.h"

namespace kalvetro {

namespace {

// The targets in the order of the list, with the range of their number (0: none).
struct TargetChoice {
  const char* text;
  MidiTargetKind kind;
  int high;
};

const TargetChoice kTargetChoices[] = {
    {"Канал", MidiTargetKind::ChannelLevel, kChannelCount},
    {"Темп", MidiTargetKind::Tempo, 0},
    {"Пуск/Стоп", MidiTargetKind::Play, 0},
    {"Следующая сцена", MidiTargetKind::Next, 0},
    {"Предыдущая сцена", MidiTargetKind::Previous, 0},
    {"Затемнение", MidiTargetKind::BlackOut, 0},
    {"Картинка (пока нажата)", MidiTargetKind::Flash, kPictureCount},
    {"Картинка (фиксация)", MidiTargetKind::Latch, kPictureCount},
    {"Автомат с основным", MidiTargetKind::Automat, 2},
    {"Конвейер", MidiTargetKind::ConveyorSlot, kConveyorFiles},
};

// A mapping as the operator reads it: "cc 1 7 → Канал 12".
QString MappingText(const MidiMapping& m) {
  for (const TargetChoice& c : kTargetChoices) {
    if (c.kind != m.target.kind) continue;
    QString text = QString::fromStdString(FormatMidiControl(m.control)) + QStringLiteral(" → ") +
                   QString::fromUtf8(c.text);
    if (c.high > 0) text += QStringLiteral(" %1").arg(m.target.n);
    return text;
  }
  return QString::fromStdString(FormatMidiMapping(m));
}

// A line of the settings as the operator reads it; a line not understood as it is.
QString MappingText(const std::string& line) {
  const auto m = ParseMidiMapping(line);
  return m ? MappingText(*m) : QString::fromStdString(line) + QStringLiteral("  (?)");
}

QComboBox* MakePortBox(QWidget* parent, const QString& name, const QString& tip) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setToolTip(tip);
  box->setMinimumContentsLength(12);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

}  // namespace

MidiPanel::MidiPanel(Remotes& remotes, QWidget* parent)
    : QGroupBox(QStringLiteral("MIDI"), parent), door_(remotes.Door()), remotes_(remotes) {
  setObjectName(QStringLiteral("GroupBoxMidi"));
  auto* grid = new QGridLayout(this);
  midiLamp = new LedShape(this);
  midiLamp->setObjectName(QStringLiteral("ShapeMidi"));
  midiBox = new QCheckBox(QStringLiteral("Включить"), this);
  midiBox->setObjectName(QStringLiteral("CheckBoxMidi"));
  midiBox->setToolTip(QStringLiteral("MIDI-пульт: фейдеры и кнопки управляют шоу"));
  apiBox = new QComboBox(this);
  apiBox->setObjectName(QStringLiteral("ComboBoxMidiApi"));
  apiBox->addItem(QStringLiteral("ALSA"), QStringLiteral("alsa"));
  apiBox->addItem(QStringLiteral("JACK"), QStringLiteral("jack"));
  inBox = MakePortBox(this, QStringLiteral("ComboBoxMidiIn"),
                      QStringLiteral("Порт, с которого пульт шлёт (часть имени)"));
  outBox = MakePortBox(this, QStringLiteral("ComboBoxMidiOut"),
                       QStringLiteral("Порт, на который слать состояние пульту (часть имени)"));
  lastLabel = MakeLabel(this, QStringLiteral("LabelMidiLast"));
  errorLabel = MakeLabel(this, QStringLiteral("LabelMidiError"));
  errorLabel->setWordWrap(true);
  mappingList = new QListWidget(this);
  mappingList->setObjectName(QStringLiteral("ListBoxMidiMaps"));
  mappingList->setFixedHeight(96);
  learnButton = new QPushButton(QStringLiteral("Обучение"), this);
  learnButton->setObjectName(QStringLiteral("ButtonMidiLearn"));
  learnButton->setCheckable(true);
  learnButton->setToolTip(QStringLiteral(
      "Нажмите, подвигайте фейдер или нажмите кнопку на пульте, затем щёлкните в окне, чем она "
      "будет управлять"));
  learntLabel = MakeLabel(this, QStringLiteral("LabelMidiLearnt"));
  learntLabel->setWordWrap(true);
  targetBox = new QComboBox(this);
  targetBox->setObjectName(QStringLiteral("ComboBoxMidiTarget"));
  for (const TargetChoice& c : kTargetChoices) targetBox->addItem(QString::fromUtf8(c.text));
  // The list opens as wide as its longest entry; the closed box keeps to the group's width.
  targetBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  targetBox->setMinimumContentsLength(12);
  targetNumber = MakeNumberBox(
      this, QStringLiteral("SpinEditMidiTarget"),
      {1, kChannelCount, 1, QStringLiteral("Номер канала, картинки, автомата или ячейки")});
  addButton = new QPushButton(QStringLiteral("Добавить"), this);
  addButton->setObjectName(QStringLiteral("ButtonMidiAdd"));
  removeButton = new QPushButton(QStringLiteral("Удалить"), this);
  removeButton->setObjectName(QStringLiteral("ButtonMidiRemove"));

  grid->addWidget(midiLamp, 0, 0);
  grid->addWidget(midiBox, 0, 1);
  grid->addWidget(apiBox, 0, 2);
  grid->addWidget(PlainLabel(QStringLiteral("Вход"), this), 1, 1);
  grid->addWidget(inBox, 1, 2);
  grid->addWidget(PlainLabel(QStringLiteral("Выход"), this), 2, 1);
  grid->addWidget(outBox, 2, 2);
  grid->addWidget(lastLabel, 3, 0, 1, 3);
  grid->addWidget(errorLabel, 4, 0, 1, 3);
  grid->addWidget(mappingList, 5, 0, 1, 3);
  grid->addWidget(learnButton, 6, 0, 1, 2);
  grid->addWidget(removeButton, 6, 2);
  grid->addWidget(learntLabel, 7, 0, 1, 3);
  grid->addWidget(targetBox, 8, 0, 1, 2);
  grid->addWidget(targetNumber, 8, 2);
  grid->addWidget(addButton, 9, 0, 1, 2);
  grid->setColumnStretch(2, 1);

  MidiRemote& midi = remotes_.Midi();
  connect(midiBox, &QCheckBox::toggled, this, &MidiPanel::StoreSetup);
  connect(apiBox, &QComboBox::activated, this, &MidiPanel::StoreSetup);
  connect(inBox->lineEdit(), &QLineEdit::editingFinished, this, &MidiPanel::StoreSetup);
  connect(outBox->lineEdit(), &QLineEdit::editingFinished, this, &MidiPanel::StoreSetup);
  connect(inBox, &QComboBox::activated, this, &MidiPanel::StoreSetup);
  connect(outBox, &QComboBox::activated, this, &MidiPanel::StoreSetup);
  connect(&midi, &MidiRemote::ConnectedChanged, this, &MidiPanel::RefreshMidi);
  connect(&midi, &MidiRemote::ControlMoved, this, [this](const MidiControl& control, int value) {
    lastLabel->setText(QStringLiteral("Последнее: %1 = %2")
                           .arg(QString::fromStdString(FormatMidiControl(control)))
                           .arg(value));
    if (learnButton->isChecked()) Learnt(control);
  });
  connect(learnButton, &QPushButton::toggled, this, [this](bool on) {
    // Learning again: the control learnt before is not mapped, and that needs no message.
    if (!on) return;
    const QSignalBlocker quiet(&picker_);
    picker_.Cancel();
  });
  connect(&picker_, &TargetPicker::Picked, this, &MidiPanel::Map);
  connect(&picker_, &TargetPicker::Cancelled, this, [this] {
    door_.Say(QStringLiteral("Обучение отменено"));
    RefreshMidi();
  });
  connect(targetBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    const int high = kTargetChoices[index].high;
    targetNumber->setEnabled(high > 0);
    targetNumber->setMaximum(std::max(high, 1));
  });
  connect(addButton, &QPushButton::clicked, this, &MidiPanel::AddMapping);
  connect(removeButton, &QPushButton::clicked, this, &MidiPanel::RemoveMapping);
  connect(&door_, &RemoteDoor::SetupRead, this, &MidiPanel::RefreshMidi);
  RefreshMidi();
}

void MidiPanel::FillPorts() {
  const MidiRemote& midi = remotes_.Midi();
  const MidiSettings& setup = door_.Setup().midi;
  auto fill = [](QComboBox* box, const QStringList& ports, const std::string& chosen) {
    if (box->lineEdit()->hasFocus()) return;
    box->clear();
    box->addItems(ports);
    box->setEditText(QString::fromStdString(chosen));
  };
  fill(inBox, midi.InputPorts(), setup.inPort);
  fill(outBox, midi.OutputPorts(), setup.outPort);
}

void MidiPanel::StoreSetup() {
  RemoteSettings setup = door_.Setup();
  MidiSettings& midi = setup.midi;
  midi.on = midiBox->isChecked();
  midi.api = apiBox->currentData().toString().toStdString();
  midi.inPort = inBox->currentText().trimmed().toStdString();
  midi.outPort = outBox->currentText().trimmed().toStdString();
  if (setup == door_.Setup() && remotes_.Midi().Running() == midi.on) return;
  door_.SetSetup(setup);
  remotes_.ApplyMidiSetup();
  RefreshMidi();
}

void MidiPanel::StoreMappings(const std::vector<std::string>& lines) {
  RemoteSettings setup = door_.Setup();
  setup.midi.mappings = lines;
  door_.SetSetup(setup);
  remotes_.Midi().SetMappings(lines);
  RefreshMidi();
}

void MidiPanel::Learnt(const MidiControl& control) {
  learnt_ = control;
  learnButton->setChecked(false);
  const QString name = QString::fromStdString(FormatMidiControl(control));
  learntLabel->setText(QStringLiteral("Пульт: %1 — щёлкните цель в окне").arg(name));
  door_.Say(QStringLiteral("Обучение: %1 — щёлкните в окне, чем он будет управлять (Esc — отмена)")
                .arg(name));
  picker_.Start();
  RefreshMidi();
}

void MidiPanel::AddMapping() {
  if (!learnt_) {
    errorLabel->setText(QStringLiteral("Сначала «Обучение» и движение на пульте"));
    return;
  }
  const TargetChoice& choice = kTargetChoices[targetBox->currentIndex()];
  picker_.Cancel();
  Map({choice.kind, choice.high > 0 ? targetNumber->value() : 0});
}

void MidiPanel::Map(const MidiTarget& target) {
  if (!learnt_) return;
  const MidiMapping mapping{*learnt_, target};
  learntLabel->setText(QStringLiteral("Пульт: ") + MappingText(mapping));
  door_.Say(QStringLiteral("Пульт: ") + MappingText(mapping));
  // One mapping per desk control: a new one replaces the old.
  std::vector<std::string> lines;
  for (const std::string& line : door_.Setup().midi.mappings) {
    const auto old = ParseMidiMapping(line);
    if (!old || !(old->control == mapping.control)) lines.push_back(line);
  }
  lines.push_back(FormatMidiMapping(mapping));
  StoreMappings(lines);
}

void MidiPanel::RemoveMapping() {
  const int row = mappingList->currentRow();
  std::vector<std::string> lines = door_.Setup().midi.mappings;
  if (row < 0 || row >= static_cast<int>(lines.size())) return;
  lines.erase(lines.begin() + row);
  StoreMappings(lines);
}

void MidiPanel::RefreshMidi() {
  const MidiRemote& midi = remotes_.Midi();
  const MidiSettings& setup = door_.Setup().midi;
  const QSignalBlocker b1(midiBox), b2(apiBox), b3(inBox), b4(outBox);
  midiBox->setChecked(midi.Running() || setup.on);
  apiBox->setCurrentIndex(setup.api == "jack" ? 1 : 0);
  FillPorts();
  midiLamp->SetColour(midi.Connected() ? QColor(0, 160, 0)
                                       : palette().color(QPalette::Active, QPalette::Mid));
  if (lastLabel->text().isEmpty())
    lastLabel->setText(midi.Connected() ? QStringLiteral("Пульт подключён")
                                        : QStringLiteral("Пульт не подключён"));
  const int row = mappingList->currentRow();
  mappingList->clear();
  for (const std::string& line : setup.mappings) mappingList->addItem(MappingText(line));
  mappingList->setCurrentRow(std::min(row, mappingList->count() - 1));
  QString problem = midi.LastError();
  if (midi.BadMappings() > 0)
    problem += QStringLiteral("%1Непонятных строк: %2")
                   .arg(problem.isEmpty() ? QString() : QStringLiteral("; "))
                   .arg(midi.BadMappings());
  errorLabel->setText(problem);
  errorLabel->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #b00000;"));
  learnButton->setEnabled(midi.Connected());
  if (!learnt_) learntLabel->setText(QStringLiteral("Пульт: —"));
}

}  // namespace kalvetro
