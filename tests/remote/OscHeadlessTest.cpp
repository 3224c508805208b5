// SPDX-License-Identifier: GPL-3.0-or-later
// --osc PORT on the console binary: the headless player takes commands over UDP, a bad port
// value ends the program with code 2 (window too), a busy port is reported and the show plays on.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "remote/OscTestSupport.h"
#include "show/ShowMemory.h"
#include "support/ConsoleProcess.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using testing::OscClient;
using testing::OscMessage;
using testing::OscReply;
using testing::OscWire;
using testing::Pty;

// Two scenes at tempo 10, channel 1 at 120 and 180, channel 2 at 60.
QString WriteShow(const QTemporaryDir& dir) {
  return testing::TestShow(1, 10)
      .Levels(1, {120, 180})
      .Levels(2, {60, 60})
      .WriteTo(dir, QStringLiteral("two.klv"));
}

QProcess* Start(QObject* owner, const QStringList& arguments) {
  return testing::StartConsoleProcess(owner, arguments, {.offscreen = true});
}

bool AllDark(const DmxFrame& f) {
  for (std::uint8_t v : f.levels)
    if (v != 0) return false;
  return true;
}

TEST(OscHeadless, ThePlayerTakesCommandsOverUdpAndAnswersWithItsState) {
  QTemporaryDir dir;
  Pty pty;
  OscWire wire(pty);
  QObject owner;
  const int port = testing::FreeUdpPort();
  QProcess* player = Start(
      &owner, {QStringLiteral("--headless"), QStringLiteral("--port"),
               QString::fromStdString(pty.Path()), QStringLiteral("--osc"), QString::number(port),
               QStringLiteral("--seconds"), QStringLiteral("20"), WriteShow(dir)});
  ASSERT_TRUE(player->waitForStarted(5000));
  ASSERT_TRUE(wire.WaitForLevel(2, 60, 8000));

  OscClient client(port);
  client.Send(OscMessage("/kalvetro/blackout", {1}));
  EXPECT_TRUE(wire.WaitForFrame(AllDark));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/blackout", {1}}));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/playing", {0}}));
  client.seen.clear();
  client.Send(OscMessage("/kalvetro/sync"));
  ASSERT_TRUE(client.WaitForReply({"/kalvetro/state/automat", {2, 0}}));  // the last one
  EXPECT_TRUE(
      std::count(client.seen.begin(), client.seen.end(), OscReply{"/kalvetro/state/tempo", {10}}));
  EXPECT_TRUE(std::any_of(client.seen.begin(), client.seen.end(), [](const OscReply& r) {
    return r.path == "/kalvetro/state/scene" && r.values.size() == 2 && r.values[1] == 2;
  }));
  // Stopped and lit again, a channel level set from the remote reaches the wire.
  client.Send(OscMessage("/kalvetro/blackout", {0}));
  client.Send(OscMessage("/kalvetro/channel", {9, 201}));
  EXPECT_TRUE(wire.WaitForLevel(9, 201));
  EXPECT_EQ(client.foreignSenders, 0);

  player->terminate();
  ASSERT_TRUE(player->waitForFinished(5000));
  EXPECT_EQ(player->exitCode(), 0);
}

TEST(OscHeadless, ABadPortValueEndsWithCodeTwoAndABusyPortIsReportedWhileTheShowPlays) {
  QTemporaryDir dir;
  QObject owner;
  const QString show = WriteShow(dir);
  for (const QString& bad : {QStringLiteral("0"), QStringLiteral("65536"), QStringLiteral("x")}) {
    for (const QStringList& mode : {QStringList{QStringLiteral("--headless")}, QStringList{}}) {
      QProcess* program = Start(&owner, mode + QStringList{QStringLiteral("--osc"), bad, show});
      ASSERT_TRUE(program->waitForFinished(8000));
      EXPECT_EQ(program->exitCode(), 2) << bad.toStdString() << " " << mode.size();
      EXPECT_TRUE(QString::fromUtf8(program->readAllStandardError())
                      .contains(QStringLiteral("--osc takes a UDP port 1..65535")));
    }
  }

  QUdpSocket other;
  ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, 0));
  Pty pty;
  OscWire wire(pty);
  QProcess* player = Start(&owner, {QStringLiteral("--headless"), QStringLiteral("--port"),
                                    QString::fromStdString(pty.Path()), QStringLiteral("--osc"),
                                    QString::number(other.localPort()), QStringLiteral("--seconds"),
                                    QStringLiteral("2"), show});
  EXPECT_TRUE(wire.WaitForLevel(1, 180, 8000));
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 0);
  EXPECT_TRUE(
      QString::fromUtf8(player->readAllStandardError())
          .contains(QStringLiteral("OSC: порт %1 занят другой программой").arg(other.localPort())));
}

}  // namespace
}  // namespace kalvetro
