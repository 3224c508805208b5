// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/ShowRunner.h"
#include "support/FakeDialogs.h"
#include "windows/MainWindow.h"

namespace kalvetro::testing {

// Start-up options of a console under test: the settings and autosave files inside dir, and
// no output thread unless asked for (tests run ticks by hand).
inline StartOptions TestStartOptions(const QTemporaryDir& dir, bool withTick = false) {
  StartOptions options;
  options.settingsFile = dir.filePath(QStringLiteral("config/Kalvo.ini"));
  options.autosaveFile = dir.filePath(QStringLiteral("data/ShouTemp.klv"));
  options.startOutput = withTick;
  return options;
}

// A mouse event sent to a widget as the window system delivers it, at a point of the widget's
// own (QTest takes the point (0, 0) for "the middle of the widget").
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// The one way widget tests start the console: the real main window over its console, with
// scripted dialogs and its files in a temporary folder. The output thread is not started
// unless asked for; tests run ticks by hand with Tick().
class TestConsole {
 public:
  struct Options {
    bool withTick = false;
    QString showFile;  // opened at start-up, as from the command line
    QString port;      // default: the console's own default
  };

  TestConsole() = default;
  virtual ~TestConsole() { Stop(); }
  TestConsole(const TestConsole&) = delete;
  TestConsole& operator=(const TestConsole&) = delete;

  MainWindow& Start(const Options& options) {
    StartOptions start = TestStartOptions(dir, options.withTick);
    start.showFile = options.showFile;
    if (!options.port.isEmpty()) start.port = options.port;
    form = std::make_unique<MainWindow>(start, &dialogs);
    return *form;
  }
  MainWindow& Start() { return Start(Options{}); }
  // Shows the window at the size of a laptop screen (in a smaller one the strips overlap one
  // another) and waits until it is on the screen.
  bool ShowAtLaptopSize() {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1366, 768);
    form->show();
    return QTest::qWaitForWindowExposed(form.get());
  }
  // Closes the window as the operator does (shutdown runs) and destroys it.
  void Stop() {
    if (!form) return;
    form->close();
    form.reset();
  }

  template <typename T>
  T* Find(const QString& name) const {
    return form->findChild<T*>(name);
  }
  template <typename T>
  T* Find(const char* name) const {
    return Find<T>(QString::fromLatin1(name));
  }
  QScrollBar* Bar(const QString& name) const { return Find<QScrollBar>(name); }
  QCheckBox* Box(const QString& name) const { return Find<QCheckBox>(name); }
  QToolButton* Button(const QString& name) const { return Find<QToolButton>(name); }
  QLabel* Text(const QString& name) const { return Find<QLabel>(name); }
  // Text shown on the status line, and the caption.
  QString Status() const { return Text(QStringLiteral("LabelStatus"))->text(); }
  QString Caption() const { return form->windowTitle(); }

  Console& Core() { return form->GetConsole(); }
  ShowRunner& Runner() { return form->GetConsole().Runner(); }
  ShowState& Show() { return form->Show(); }
  ShowMemory& Memory() { return form->Show().memory; }
  OutputControls& Controls() { return form->Engine().Controls(); }
  int Out(int slot) { return form->Frames().Output(slot); }
  int Level(int scene, int channel) { return form->Show().DataRead(scene, channel); }
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) form->Engine().Tick();
  }

  QString PathIn(const QString& name) const { return dir.filePath(name); }

  QTemporaryDir dir;
  FakeDialogs dialogs;
  std::unique_ptr<MainWindow> form;
};

}  // namespace kalvetro::testing
