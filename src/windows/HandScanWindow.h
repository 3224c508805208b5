// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QGroupBox;

namespace kalvetro {

class Console;
class PaintBox;

// The hand scan window: a small always-on-top pad that turns the mouse into a joystick for
// moving-head scanners. The pointer position on the 256 x 256 pad becomes a level pair
// (X, Y) for every channel pair whose first channel is selected; while the show is stopped the
// pair is written into the current scene, and with "Приоритет" ticked it also overrides the
// output in any mode. Created once at start-up; closing only hides it.
class HandScanWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 289;
  static constexpr int kClientHeight = 281;
  static constexpr int kPadLeft = 16;  // pad position inside the group
  static constexpr int kPadTop = 16;

  HandScanWindow(Console& console, QWidget* parent);

  // Opens the window (menu "Опции" and the toolbar button).
  void OpenHandScanWindow();

  // Handlers.
  void PressPad(QPoint pos);
  void DragPad(QPoint pos);
  void ReleasePad();
  void SwitchPadPriority();
  // Activation or deactivation of any window: the priority ends.
  void ClearPriority();
  // Pointer position -> pad values, captions, marker, and the scene while stopped.
  void SendPadPosition();

  bool ButtonHeld() const { return buttonHeld_; }

  QGroupBox* padGroup = nullptr;
  PaintBox* padBox = nullptr;
  QWidget* centreMark = nullptr;
  QCheckBox* invertXBox = nullptr;
  QCheckBox* invertYBox = nullptr;
  QCheckBox* swapXYBox = nullptr;
  QCheckBox* priorityBox = nullptr;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  Console& console_;
  std::uint8_t mx_ = 0;
  std::uint8_t my_ = 0;
  bool buttonHeld_ = false;
};

}  // namespace kalvetro
