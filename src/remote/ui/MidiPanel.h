// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <optional>

#include "remote/MidiMapping.h"
#include "remote/ui/TargetPicker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kalvetro {

class RemoteDoor;
class Remotes;
class LedShape;

// The group "MIDI" on the tab "Опции": turns the desk on and off, chooses its back end and
// ports by name (kept in the settings), shows the last message and the errors, and lists the
// mappings. "Обучение": press it, move a control on the desk, then click in the window what it
// is to drive (or choose it in the list and "Добавить"); a mapping chosen in the list is
// removed with "Удалить".
class MidiPanel : public QGroupBox {
  Q_OBJECT

 public:
  MidiPanel(Remotes& remotes, QWidget* parent);

  // The controls show the desk as it runs and the settings as they are.
  void RefreshMidi();

  QCheckBox* midiBox = nullptr;
  QComboBox* apiBox = nullptr;
  QComboBox* inBox = nullptr;
  QComboBox* outBox = nullptr;
  LedShape* midiLamp = nullptr;
  QLabel* lastLabel = nullptr;
  QLabel* errorLabel = nullptr;
  QListWidget* mappingList = nullptr;
  QPushButton* learnButton = nullptr;
  QLabel* learntLabel = nullptr;
  QComboBox* targetBox = nullptr;
  QSpinBox* targetNumber = nullptr;
  QPushButton* addButton = nullptr;
  QPushButton* removeButton = nullptr;

 private:
  // What the controls say becomes the settings, and the desk follows them.
  void StoreSetup();
  // The mappings of the settings := lines, and the desk takes them at once.
  void StoreMappings(const std::vector<std::string>& lines);
  void Learnt(const MidiControl& control);
  // The learnt control drives target from now on (one mapping per desk control).
  void Map(const MidiTarget& target);
  void AddMapping();
  void RemoveMapping();
  void FillPorts();

  RemoteDoor& door_;
  Remotes& remotes_;
  std::optional<MidiControl> learnt_;
  TargetPicker picker_;
};

}  // namespace kalvetro
