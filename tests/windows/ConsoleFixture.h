#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "show/ShowMemory.h"
#include "support/FakeDialogs.h"
#include "windows/TBaseForm.h"

namespace kalvetro::testing {

// A main window with its settings and autosave files in a temporary folder and scripted
// dialogs. The output tick is not started unless asked for; tests run ticks by hand.
class ConsoleFixture : public ::testing::Test {
 protected:
  void TearDown() override { window.reset(); }

  QString PathIn(const QString& name) const { return dir.filePath(name); }

  TBaseForm& Start(bool withTick = false, const QString& showFile = {}) {
    StartOptions options = TestStartOptions(dialogs, dir, withTick);
    options.showFile = showFile;
    window = std::make_unique<TBaseForm>(options);
    return *window;
  }

  // Writes a show file whose byte i is pattern(i).
  template <typename Pattern>
  QString WriteShow(const QString& name, Pattern pattern, int size = kShowFileSize) {
    QByteArray bytes(size, 0);
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>(pattern(i));
    QFile file(PathIn(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }

  static QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  FakeDialogs dialogs;
  std::unique_ptr<TBaseForm> window;
};

}  // namespace kalvetro::testing
