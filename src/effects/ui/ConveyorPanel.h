// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <array>

#include "effects/Conveyor.h"

class QCheckBox;
class QLabel;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The group "Конвейр потоков Шоу " of the main window: twenty slot buttons bound to show
// files, the four mode buttons, the clear button, the job label and the keyboard switch.
//
// A view of the show runner's conveyor. In hand mode a slot's button or key loads its show at
// once; in the two list modes the ticked slots are played one after the other: whenever a
// pass of the show is over the next ticked show is loaded and keeps playing. A file that
// cannot be opened leaves the show and the output as they were (a message box here); the
// list moves past its slot, and the next pass end loads the next ticked show.
class ConveyorPanel : public QGroupBox {
  Q_OBJECT

 public:
  ConveyorPanel(Console& console, WindowParts& parts, QWidget* parent);

  // Labels the twenty slots from the conveyor names of the settings file (start-up form).
  void LabelSlotsAtStartup();

  // All twenty slot buttons up.
  void ReleaseAllSlots();

  // Handlers.
  void PressSlot(int slot, bool down);
  void SpeedButtonMouseDown(int slot);  // right button: assign a show file to the slot
  void ChooseHandMode();
  void ChooseListMode();
  void ChooseListFromFirst();
  void ChooseComposing();
  void ClearSlots();

  // The runner's conveyor: mode, slot buttons, label.
  void ShowConveyor();

  // Controls.
  std::array<QToolButton*, kConveyorSlots> slotButtons{};
  QToolButton* handButton = nullptr;
  QToolButton* listButton = nullptr;
  QToolButton* listFromFirstButton = nullptr;
  QToolButton* composeButton = nullptr;
  QToolButton* clearButton = nullptr;
  QLabel* jobLabel = nullptr;
  QCheckBox* keysBox = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // An assigned slot shows its caption bold in the assigned colour, an empty one plain.
  void ShowSlot(int slot, const QString& caption, bool assigned);

  Console& console_;
  WindowParts& parts_;
  QString shownLabel_;  // the runner's label last shown (start-up labels the slots too)
};

}  // namespace kalvetro
