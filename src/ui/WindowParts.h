// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class QMenu;
class QObject;
class QTimer;
class QToolButton;
class QWidget;

namespace kalvetro {

class DialogService;

// The menus of the main window.
enum class MenuId { Show, Scenes, Settings, Options, Help };

// The parts of the main window that pages add their controls to or use. A page gets this and
// the console's services, and nothing else: it never reaches another page.
class WindowParts {
 public:
  virtual ~WindowParts() = default;

  virtual QMenu* Menu(MenuId id) = 0;
  // Adds a button to the end of the toolbar: icon from the desktop theme (themeIcon), or the
  // style's standard icon `fallback` (a QStyle::StandardPixmap) where the theme has none.
  virtual QToolButton* AddToolButton(const QString& name, const QString& themeIcon, int fallback,
                                     const QString& hint, std::function<void()> action) = 0;
  virtual void AddToolBarSeparator() = 0;
  // Builds the pair "Запомнить Сцену" (SpeedButtonMemK) / "Вернуть прежнюю сцену"
  // (SpeedButtonUndoK), k = 1..5, for a page; the pair follows the console's undo state.
  virtual QWidget* CreateUndoPair(int k, QWidget* parent) = 0;
  virtual DialogService& Dialogs() = 0;
  // The 100 ms output display timer, running from start-up.
  virtual QTimer* DisplayTimer() = 0;
  // The mouse wheel turned over the main window while a wheel page ("Фэйдера", "График
  // Канала", "Редактор луча") is shown: handler(delta) runs in `receiver`'s life.
  virtual void OnWheel(QObject* receiver, std::function<void(int delta)> handler) = 0;
  // A key went down in the main window: handler(key code) runs in `receiver`'s life.
  virtual void OnKeyCode(QObject* receiver, std::function<void(int code)> handler) = 0;
};

// Whether the page holding `widget` is the current page of its page control (pages that are
// not shown skip their refresh).
bool IsShownPage(const QWidget* widget);

}  // namespace kalvetro
