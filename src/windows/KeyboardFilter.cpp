#include "windows/KeyboardFilter.h"

#include <QKeyEvent>
#include <QTabWidget>
#include <QWheelEvent>
#include <QWidget>

#include "app/Console.h"

namespace kalvetro {

namespace {

// The pages of the input page control where the wheel moves a channel scroll bar.
bool WheelPage(const QWidget* page) {
  if (!page) return false;
  const QString name = page->objectName();
  return name == QLatin1String("TabSheetScroll") || name == QLatin1String("TabSheetGrafik") ||
         name == QLatin1String("TabSheetEditXY");
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
      if (event->type() == QEvent::KeyPress) {
        FormKeyDown(code, key->isAutoRepeat());
      } else {
        FormKeyUp(code, key->isAutoRepeat());
      }
      break;  // the key goes on to the focused control
    }
    case QEvent::Wheel: {
      if (!InMainWindow(watched)) break;
      const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
      if (FormMouseWheel(delta.y() != 0 ? delta.y() : delta.x())) return true;
      break;
    }
    case QEvent::WindowDeactivate:
      // Keys released in another window never come here: a Ctrl flag left set would latch
      // every picture released afterwards.
      if (watched == mainWindow_) keyMap_.KeyboardLost();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
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
  console_.RequestWheel(delta);
  return true;
}

void KeyboardFilter::Run(const KeyAction& action) {
  switch (action.kind) {
    case KeyActionKind::kNone:
      break;
    case KeyActionKind::kPictureOn:
      console_.SetPicture(action.index, true);
      break;
    case KeyActionKind::kPictureOff:
      console_.SetPicture(action.index, false);
      break;
    case KeyActionKind::kBlackOutToggle:
      console_.SetBlackOut(!console_.BlackOut());
      console_.SetPlaying(false);
      break;
    case KeyActionKind::kPlay:
      console_.SetPlaying(true);
      break;
    case KeyActionKind::kStop:
      console_.SetPlaying(false);
      break;
    case KeyActionKind::kConveyorSlot:
      console_.RequestConveyorSlot(action.index);
      break;
  }
}

}  // namespace kalvetro
