// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include "show/ShowMemory.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {

// A console started by the test itself (after it has laid out settings and show files),
// with a handle `window` on the main window.
class ConsoleFixture : public ::testing::Test, public TestConsole {
 protected:
  void TearDown() override { form.reset(); }

  MainWindow& Start(bool withTick = false, const QString& showFile = {}) {
    Options options;
    options.withTick = withTick;
    options.showFile = showFile;
    return TestConsole::Start(options);
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

  std::unique_ptr<MainWindow>& window = form;
};

}  // namespace kalvetro::testing
