// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for the console core: a Qt core application only. This binary does not link the
// widgets library at all, so whatever it runs runs without a window.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kalvetro-core-tests"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
