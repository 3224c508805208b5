// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/KeyboardFilter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QWheelEvent>
#include <QWidget>

#include "app/Console.h"
#include "app/ShowRunner.h"

namespace kalvetro {

namespace {

// The pages of the input page control where the wheel moves a channel scroll bar.
bool WheelPage(const QWidget* page) {
  if (!page) return false;
  const QString name = page->objectName();
  return name == QLatin1String("TabSheetScroll") || name == QLatin1String("TabSheetGrafik") ||
         name == QLatin1String("TabSheetEditXY");
}

// Whether keys typed now go into a text: the focused control takes typed text and may be
// edited.
bool FocusTakesText() {
  const QWidget* focus = QApplication::focusWidget();
  if (!focus) return false;
  if (const auto* line = qobject_cast<const QLineEdit*>(focus)) return !line->isReadOnly();
  if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(focus)) return !spin->isReadOnly();
  if (const auto* text = qobject_cast<const QTextEdit*>(focus)) return !text->isReadOnly();
  if (const auto* plain = qobject_cast<const QPlainTextEdit*>(focus)) return !plain->isReadOnly();
  if (const auto* combo = qobject_cast<const QComboBox*>(focus)) return combo->isEditable();
  return false;
}

// Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y: the undo history's keys. Pressed with Ctrl already down,
// they undo and redo; their letters flash no picture and start no conveyor slot then.
bool HistoryKey(const QKeyEvent* key) {
  const Qt::KeyboardModifiers mods =
      key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  if (key->key() == Qt::Key_Z)
    return mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier);
  return key->key() == Qt::Key_Y && mods == Qt::ControlModifier;
}

}  // namespace

KeyboardFilter::KeyboardFilter(Console& console, QWidget* mainWindow, QTabWidget* inputPages,
                               QObject* parent)
    : QObject(parent), console_(console), mainWindow_(mainWindow), inputPages_(inputPages) {
  setObjectName(QStringLiteral("KeyboardFilter"));
}

bool KeyboardFilter::InMainWindow(const QObject* object) const {
  if (!mainWindow_ || !object || !object->isWidgetType()) return false;
  return static_cast<const QWidget*>(object)->window() == mainWindow_;
}

bool KeyboardFilter::TakesKey(QObject* watched, QKeyEvent* event) {
  if (!console_.KeyPreview()) return watched == mainWindow_;
  // A key that travels up from the control to its parents is the same key: take it once.
  const bool sameKey =
      event == lastEvent_ && event->type() == lastType_ && event->key() == lastKey_ &&
      event->timestamp() == lastTimestamp_ && lastReceiver_ && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->isAncestorOf(static_cast<QWidget*>(lastReceiver_.data()));
  lastEvent_ = event;
  lastReceiver_ = watched;
  lastType_ = event->type();
  lastKey_ = event->key();
  lastTimestamp_ = event->timestamp();
  return !sameKey;
}

bool KeyboardFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      if (!InMainWindow(watched)) break;
      auto* key = static_cast<QKeyEvent*>(event);
      if (!TakesKey(watched, key)) break;
      const int code = VirtualKeyCode(key->nativeScanCode(), key->key(),
                                      key->modifiers().testFlag(Qt::KeypadModifier));
      if (event->type() == QEvent::KeyPress && HistoryKey(key)) {
        // Its release belongs to the shortcut too.
        keyOwners_[static_cast<std::uint8_t>(code)] = KeyOwner::kShortcut;
      } else if (event->type() == QEvent::KeyPress) {
        KeyPressed(code, key->isAutoRepeat());
      } else {
        KeyReleased(code, key->isAutoRepeat());
      }
      break;  // the key goes on to the focused control
    }
    case QEvent::Wheel: {
      if (!InMainWindow(watched)) break;
      const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
      if (FormMouseWheel(delta.y() != 0 ? delta.y() : delta.x())) return true;
      break;
    }
    case QEvent::MouseButtonPress: {
      if (!InMainWindow(watched)) break;
      // The widget under the pointer, also when the press travels up to a parent.
      auto* widget = static_cast<QWidget*>(watched);
      QWidget* under = widget->childAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      LeaveTextAfterClick(under ? under : widget);
      break;
    }
    case QEvent::WindowDeactivate:
      // Keys released in another window never come here: a Ctrl flag left set would latch
      // every picture released afterwards.
      if (watched == mainWindow_) {
        keyMap_.KeyboardLost();
        keyOwners_.fill(KeyOwner::kNone);
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void KeyboardFilter::LeaveTextAfterClick(QWidget* clicked) {
  // Qt has already given the focus to the control clicked, if that takes the focus on a click.
  QWidget* focus = QApplication::focusWidget();
  if (!FocusTakesText() || focus == clicked || focus->isAncestorOf(clicked)) return;
  focus->clearFocus();
}

void KeyboardFilter::KeyPressed(int virtualKey, bool autoRepeat) {
  KeyOwner& owner = keyOwners_[static_cast<std::uint8_t>(virtualKey)];
  if (FocusTakesText()) {
    // A key held for the console since before the focus came here repeats into the text but
    // keeps its owner, so that its release still reaches the console.
    if (!autoRepeat || owner != KeyOwner::kConsole) owner = KeyOwner::kText;
    return;
  }
  // The auto-repeat of a key that was pressed into a text goes on belonging to the text.
  if (autoRepeat && (owner == KeyOwner::kText || owner == KeyOwner::kShortcut)) return;
  owner = KeyOwner::kConsole;
  FormKeyDown(virtualKey, autoRepeat);
}

void KeyboardFilter::KeyReleased(int virtualKey, bool autoRepeat) {
  KeyOwner& owner = keyOwners_[static_cast<std::uint8_t>(virtualKey)];
  const KeyOwner pressedFor = owner;
  if (!autoRepeat) owner = KeyOwner::kNone;
  if (pressedFor == KeyOwner::kText || pressedFor == KeyOwner::kShortcut) return;
  if (pressedFor == KeyOwner::kNone && FocusTakesText()) return;
  FormKeyUp(virtualKey, autoRepeat);
}

void KeyboardFilter::FormKeyDown(int virtualKey, bool autoRepeat) {
  emit KeyCodeShown(virtualKey);
  Run(keyMap_.KeyDown(virtualKey, autoRepeat, console_.ConveyorKeys()));
}

void KeyboardFilter::FormKeyUp(int virtualKey, bool autoRepeat) {
  Run(keyMap_.KeyUp(virtualKey, autoRepeat));
}

bool KeyboardFilter::FormMouseWheel(int delta) {
  if (!inputPages_ || !WheelPage(inputPages_->currentWidget()) || delta == 0) return false;
  emit WheelTurned(delta);
  return true;
}

void KeyboardFilter::Run(const KeyAction& action) {
  // The keys drive the show through the runner, as every other view does: a picture latched
  // elsewhere stays on when its key comes up, and Play starts the crossfade into the scene.
  ShowRunner& runner = console_.Runner();
  switch (action.kind) {
    case KeyActionKind::kNone:
      break;
    case KeyActionKind::kPictureOn:
      runner.FlashPicture(action.index, true);
      break;
    case KeyActionKind::kPictureOff:
      runner.FlashPicture(action.index, false);
      break;
    case KeyActionKind::kBlackOutToggle:
      runner.SetBlackOut(!runner.BlackOut());
      runner.Stop();
      break;
    case KeyActionKind::kPlay:
      runner.Play();
      break;
    case KeyActionKind::kStop:
      runner.Stop();
      break;
    case KeyActionKind::kConveyorSlot:
      runner.ConveyorSlotKey(action.index);
      break;
  }
}

}  // namespace kalvetro
