// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/ui/SoundInputChooser.h"
#include "app/ShowFiles.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QSignalBlocker>
#include <algorithm>

#include "app/Console.h"
#include "playback/PulseSources.h"
#include "playback/SoundInputs.h"
#include "ui/Controls.h"

namespace kalvetro {

SoundInputChooser::SoundInputChooser(Console& console, QWidget* parent)
    : QWidget(parent), console_(console) {
  setObjectName(QStringLiteral("SoundInputChooser"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  caption = PlainLabel(QStringLiteral("Аудиовход"), this);
  inputBox = new QComboBox(this);
  inputBox->setObjectName(QStringLiteral("ComboBoxSoundInput"));
  inputBox->setToolTip(QStringLiteral(
      "Какой аудиовход слушать: вход звуковой карты или звук, который играет этот компьютер"));
  // Long device names must not widen the narrow column the page shares with the sequencer.
  inputBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  inputBox->setMinimumContentsLength(16);
  row->addWidget(caption);
  row->addWidget(inputBox, 1);

  wanted_ = console_.Files().SoundInputOption().isEmpty()
                ? QString::fromStdString(console_.Files().SoundSetup().input)
                : console_.Files().SoundInputOption();
  Show({});
  connect(inputBox, &QComboBox::currentIndexChanged, this, &SoundInputChooser::ChooseInput);
  // The settings are read after the pages are built; a name given for this run stays.
  connect(&console_.Files(), &ShowFiles::SettingsRead, this, [this] {
    if (!console_.Files().SoundInputOption().isEmpty()) return;
    wanted_ = QString::fromStdString(console_.Files().SoundSetup().input);
    Show(shown_);
  });

  sources_ = new PulseSources(this);
  connect(sources_, &PulseSources::Changed, this, [this] { Show(sources_->Inputs()); });
  connect(sources_, &PulseSources::Unreachable, this, [this] {
    serverless_ = true;
    Show(QtSoundInputs());
  });
  auto* devices = new QMediaDevices(this);
  connect(devices, &QMediaDevices::audioInputsChanged, this, [this] {
    if (serverless_) Show(QtSoundInputs());
  });
}

SoundInputChooser::~SoundInputChooser() = default;

void SoundInputChooser::Show(const std::vector<SoundInputInfo>& inputs) {
  shown_ = inputs;
  const QSignalBlocker quiet(inputBox);
  inputBox->clear();
  inputBox->addItem(QStringLiteral("Вход по умолчанию"), QString());
  for (const SoundInputInfo& input : inputs) {
    inputBox->addItem(input.label, input.name);
    // The server's name beside the label, for the operator who types --sound-input.
    inputBox->setItemData(inputBox->count() - 1, input.name, Qt::ToolTipRole);
  }
  const int found = MatchSoundInput(inputs, wanted_);
  if (wanted_.isEmpty()) {
    inputBox->setCurrentIndex(0);
  } else if (found >= 0) {
    inputBox->setCurrentIndex(found + 1);
  } else {
    inputBox->addItem(QStringLiteral("Нет на месте: ") + wanted_, wanted_);
    inputBox->setCurrentIndex(inputBox->count() - 1);
  }
  // The box is as narrow as the page; its list opens wide enough for the longest name.
  int widest = 0;
  for (int i = 0; i < inputBox->count(); ++i)
    widest = std::max(widest, inputBox->fontMetrics().horizontalAdvance(inputBox->itemText(i)));
  inputBox->view()->setMinimumWidth(widest + 32);
}

void SoundInputChooser::ChooseInput(int index) {
  if (index < 0) return;
  const QString name = inputBox->itemData(index).toString();
  if (name == wanted_) return;
  wanted_ = name;
  SoundSettings sound = console_.Files().SoundSetup();
  sound.input = name.toStdString();
  console_.Files().SetSoundSetup(sound);
  emit Chosen(name);
}

}  // namespace kalvetro
