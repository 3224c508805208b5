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
// In hand mode a slot's button or key loads its show at once; in the two list modes the
// ticked slots are played one after the other: whenever a pass of the show is over
// (Console::PassEnded) the next ticked show is loaded and keeps playing. Shows are loaded
// through the console, so a file that cannot be opened leaves the show and the output as they
// were; the list moves past its slot, and the next pass end loads the next ticked show.
class ConveyorPanel : public QGroupBox {
  Q_OBJECT

 public:
  ConveyorPanel(Console& console, WindowParts& parts, QWidget* parent);

  // Labels the twenty slots from the conveyor names of the settings file (start-up form).
  void LabelSlotsAtStartup();

  // The job of slot 1..20 (SpeedButton1job .. SpeedButton20job).
  void SlotJob(int slot);
  // Loads the next ticked show of the list.
  void KonveyrJob();
  // All twenty slot buttons up.
  void KonveyrButtonOff();

  // Handlers.
  void SpeedButtonClick(int slot, bool down);
  void SpeedButtonMouseDown(int slot);  // right button: assign a show file to the slot
  void SpeedButtonKonvHandClick();
  void SpeedButtonKonvSpisClick();
  void SpeedButtonKonvSpisBeginClick();
  void SpeedButtonKonvOffClick();
  void SpeedButtonKonvNewClick();

  const Conveyor& State() const { return conveyor_; }

  // Controls.
  std::array<QToolButton*, kConveyorSlots> SpeedButtons{};
  QToolButton* SpeedButtonKonvHand = nullptr;
  QToolButton* SpeedButtonKonvSpis = nullptr;
  QToolButton* SpeedButtonKonvSpisBegin = nullptr;
  QToolButton* SpeedButtonKonvOff = nullptr;
  QToolButton* SpeedButtonKonvNew = nullptr;
  QLabel* LabelKonveyr = nullptr;
  QCheckBox* CheckBoxKeyKonveyr = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Loads the show of a slot in hand mode (ManualLoad).
  void ManualLoad(int slot);
  // A slot's show could not be opened (the show in memory stays as it was): the status line
  // names the slot and the error, and a message box shows the error.
  void ReportFailedLoad(int slot, const std::string& error);
  void ShowDownStates();
  // An assigned slot shows its caption bold in the assigned colour, an empty one plain.
  void ShowSlot(int slot, const QString& caption, bool assigned);
  void SetMode(ConveyorMode mode);

  Console& console_;
  WindowParts& parts_;
  Conveyor conveyor_;
  bool jobRunning_ = false;  // a list job is loading (its error message may be open)
};

}  // namespace kalvetro
