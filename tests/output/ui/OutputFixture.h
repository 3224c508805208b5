#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "editing/ui/StripPanel.h"
#include "output/OutputControls.h"
#include "support/FakeDialogs.h"
#include "windows/TBaseForm.h"

namespace kalvetro::testing {

// A main window with scripted dialogs, its files in a temporary folder and no output thread:
// tests call the output tick by hand.
class OutputFixture {
 public:
  OutputFixture() {
    form = std::make_unique<TBaseForm>(TestStartOptions(dialogs, dir));
  }

  template <typename T>
  T* Find(const QString& name) const {
    return form->findChild<T*>(name);
  }
  QScrollBar* Bar(const QString& name) const { return Find<QScrollBar>(name); }
  QCheckBox* Box(const QString& name) const { return Find<QCheckBox>(name); }
  QToolButton* Button(const QString& name) const { return Find<QToolButton>(name); }
  QLabel* Text(const QString& name) const { return Find<QLabel>(name); }

  ShowState& Show() { return form->Show(); }
  ShowMemory& Memory() { return form->Show().memory; }
  OutputControls& Controls() { return form->Engine().Controls(); }
  int Out(int slot) { return form->Frames().Output(slot); }
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) form->Engine().Tick();
  }
  int Level(int scene, int channel) { return form->Show().DataRead(scene, channel); }
  StripPanel* Strips() const { return Find<StripPanel>(QStringLiteral("StripPanel")); }
  // One period of the 100 ms output display timer.
  void Display() { Strips()->TimerDataDmxToDspTimer(); }
  // Text shown on the status line.
  QString Status() const { return Text(QStringLiteral("LabelStatus"))->text(); }

  QTemporaryDir dir;
  FakeDialogs dialogs;
  std::unique_ptr<TBaseForm> form;
};

}  // namespace kalvetro::testing
