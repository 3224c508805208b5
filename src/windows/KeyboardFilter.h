// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>

#include "editing/KeyMap.h"

class QKeyEvent;
class QTabWidget;
class QWidget;

namespace kalvetro {

class Console;

// The keyboard and the mouse wheel of the main window, installed on the application so that
// the window sees every key before the control that has the focus (key preview).
//
// While key preview is on ("Включить клавиатуру"), every key pressed anywhere in the main
// window reaches the key map first and then goes on to the focused control as usual; while it
// is off, only keys that no control takes (those that come back up to the window) do. Keys
// that are short cuts of the main menu are taken by the menu before any key event is sent, so
// they never reach the key map. The key code is found by the key's place on the keyboard (the
// native scan code), so a Russian layout plays like a Latin one.
//
// While a control that takes typed text has the keyboard focus (a number box, a name box, any
// line or text editor), keys type into it and do nothing else; the console keys act again once
// the focus has left it. A click on anything that takes no focus of its own (a fader, a tool
// button, the page) takes the focus out of the box. A key keeps the owner its press had:
// released after the focus moved, a key pressed for the console still lets its picture go, and
// a key typed into a box never acts when it comes up elsewhere.
//
// The wheel acts on the pages "Фэйдера", "График Канала" and "Редактор луча" of the input page
// control: the filter passes the turn on to the shown page, and the event ends there, so that
// a fader that happens to lie under the pointer does not move as well.
class KeyboardFilter : public QObject {
  Q_OBJECT

 public:
  KeyboardFilter(Console& console, QWidget* mainWindow, QTabWidget* inputPages,
                 QObject* parent = nullptr);

  // The main window's key handlers (key codes of the key map, kVk...).
  void FormKeyDown(int virtualKey, bool autoRepeat);
  void FormKeyUp(int virtualKey, bool autoRepeat);
  // The main window's wheel handler; true when the shown page takes the turn.
  bool FormMouseWheel(int delta);

  bool CtrlHeld() const { return keyMap_.CtrlHeld(); }

 signals:
  // A key went down: its virtual-key code, for the key display lastKeyLabel.
  void KeyCodeShown(int virtualKey);
  // The wheel turned over one of the wheel pages while it is shown.
  void WheelTurned(int delta);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InMainWindow(const QObject* object) const;
  // Whether this delivery of a key event is the one the key map takes: the first delivery
  // while key preview is on, the delivery to the window itself while it is off.
  bool TakesKey(QObject* watched, QKeyEvent* event);
  // A press of the mouse on `clicked` that left the focus in a text control elsewhere takes it
  // out of there.
  void LeaveTextAfterClick(QWidget* clicked);
  // Hands a taken key to the key map unless it belongs to the text control with the focus.
  void KeyPressed(int virtualKey, bool autoRepeat);
  void KeyReleased(int virtualKey, bool autoRepeat);
  void Run(const KeyAction& action);

  Console& console_;
  QPointer<QWidget> mainWindow_;
  QPointer<QTabWidget> inputPages_;
  KeyMap keyMap_;
  // Who took the last press of each key code: nobody (the key is up), the console, a text or
  // a shortcut of the window (the undo keys).
  enum class KeyOwner : std::uint8_t { kNone, kConsole, kText, kShortcut };
  std::array<KeyOwner, 256> keyOwners_{};
  // The key event last taken and where it was delivered: a key event that no control accepts
  // travels up to the window through every parent, and each step passes through this filter.
  const QEvent* lastEvent_ = nullptr;
  QPointer<QObject> lastReceiver_;
  int lastType_ = 0;
  int lastKey_ = 0;
  quint64 lastTimestamp_ = 0;
};

}  // namespace kalvetro
