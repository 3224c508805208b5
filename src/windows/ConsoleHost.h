#pragma once

#include <QString>
#include <functional>

class QMenu;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;

namespace kalvetro {

struct ShowState;
struct OutputFrames;
class DialogService;

// The texts the main window caption shows in front of the file name.
enum class TitlePrefixId {
  Initialization,  // " Initalization "
  DemoModeStart,   // " Demo Mode:  " (port not opened, or demo ticked)
  Running,         // " Kalvetro:  " (demo unticked)
  DemoModeLink,    // "DEMO mode: " (demo unticked but the port is closed)
};
QString TitlePrefixText(TitlePrefixId id);

// The narrow interface through which a page of the main window reaches the shared state and
// the shared refreshes. A page never reaches into another page.
class ConsoleHost {
 public:
  virtual ~ConsoleHost() = default;

  virtual ShowState& Show() = 0;
  virtual OutputFrames& Frames() = 0;
  virtual DialogService& Dialogs() = 0;

  // Refreshes everything that depends on the show: caption, sequencer controls, window colour
  // and the visible page of the input page control.
  virtual void ReturnPageControlAll() = 0;
  // Shows text on the status line for about two seconds.
  virtual void OutStatus(const QString& text) = 0;
  // Takes the one undo copy of the whole show and enables the five restore buttons.
  virtual void ToMemoryUndo() = 0;
  // Builds the pair "Запомнить Сцену" (SpeedButtonMemK) / "Вернуть прежнюю сцену"
  // (SpeedButtonUndoK), k = 1..5, for a page; the main window keeps their states in step.
  virtual QWidget* CreateUndoPair(int k, QWidget* parent) = 0;

  // The caption prefix; may be set from any thread (the output tick sets it).
  virtual void SetTitlePrefix(TitlePrefixId id) = 0;
  virtual TitlePrefixId TitlePrefix() const = 0;

  // Shared window parts that pages add their controls to. MainMenu: 0 "Шоу", 1 "Сцены",
  // 2 "Установки", 3 "Опции", 4 "Помощь". Tab: a page of a page control by objectName
  // (TabSheetScroll, TabSheetAvtomat, TabSheetRate, ...). TimerDataDmxToDsp: the 100 ms
  // output display timer (running from start-up).
  virtual QMenu* MainMenu(int index) = 0;
  virtual QToolBar* MainToolBar() = 0;
  // Adds a button to the end of the toolbar: icon from the desktop theme (themeIcon), or the
  // style's standard icon `fallback` (a QStyle::StandardPixmap) where the theme has none.
  virtual QToolButton* AddToolButton(const QString& name, const QString& themeIcon,
                                     int fallback, const QString& hint,
                                     std::function<void()> action) = 0;
  virtual QWidget* Tab(const QString& objectName) = 0;
  virtual QTimer* TimerDataDmxToDsp() = 0;

  // Refresh hooks of the pages. SetInputPageRefresh: what ReturnPageControlAll runs while tab
  // `tab` of PageControlInput is shown. AddDataSystemRefresh: runs within ReturnDataSystem
  // (sequencer controls). AddClearAllStep: widget steps of emptying a show.
  virtual void SetInputPageRefresh(int tab, std::function<void()> refresh) = 0;
  virtual void AddDataSystemRefresh(std::function<void()> refresh) = 0;
  virtual void AddClearAllStep(std::function<void()> step) = 0;
};

}  // namespace kalvetro
