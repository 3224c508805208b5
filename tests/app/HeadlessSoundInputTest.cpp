// SPDX-License-Identifier: GPL-3.0-or-later
// The headless player listening to an input named on the command line, against a PulseAudio
// server of the test's own: it steps on the clicks played into an output, plays on at its
// tempo while that output is gone, and steps on the clicks again once it is back.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "support/ConsoleProcess.h"
#include "support/PulseServer.h"
#include "support/TestShow.h"
#include "support/WireSteps.h"

namespace kalvetro::testing {
namespace {

constexpr int kClickPeriodMs = 500;

TEST(HeadlessSoundInput, StepsOnTheNamedInputAndTakesItAgainWhenItComesBack) {
  PulseServer pulse;
  ASSERT_TRUE(pulse.Start());
  int module = pulse.AddSink(QStringLiteral("kalvo_hall"), QStringLiteral("Колонки зала"));
  ASSERT_GE(module, 0);
  QTemporaryDir dir;
  // Four scenes at tempo 5: 25 ms a scene when the show plays at its tempo.
  const QString show = TestShow(3, 5).Levels(1, {10, 20, 30, 40}).WriteTo(dir, "clicks.klv");
  Pty pty;
  QObject owner;
  // A part of the label the chooser shows: "Звук этого компьютера: Колонки зала".
  QProcess* player = StartConsoleProcess(
      &owner,
      {QStringLiteral("--headless"), QStringLiteral("--port"), QString::fromStdString(pty.Path()),
       QStringLiteral("--seconds"), QStringLiteral("16"), QStringLiteral("--crossfade"),
       QStringLiteral("off"), QStringLiteral("--sound-input"), QStringLiteral("колонки"), show},
      {.noDisplay = true});
  ASSERT_TRUE(player->waitForStarted(5000));

  WireSteps wire(pty);
  wire.Watch(1500);
  double since = wire.Now();
  ASSERT_TRUE(pulse.Play(QStringLiteral("kalvo_hall"), pulse.WriteClicks(6, kClickPeriodMs)));
  wire.Watch(4000);
  EXPECT_TRUE(SteppedOnClicks(wire.StepsSince(since), 6, kClickPeriodMs));
  pulse.WaitPlayed();

  // Gone: once the player has said so, the show goes on at its tempo (about 20 steps a
  // second on the wire). The count starts from the message, not from the removal, so a slow
  // sound server does not eat into it.
  ASSERT_TRUE(pulse.RemoveModule(module));
  QString said;
  const QString lost = QStringLiteral("Аудиовход пропал: Звук этого компьютера: Колонки зала");
  for (int waited = 0; waited < 5000 && !said.contains(lost); waited += 100) {
    wire.Watch(100);
    player->waitForReadyRead(1);
    said += QString::fromUtf8(player->readAllStandardError());
  }
  ASSERT_TRUE(said.contains(lost))
      << "the player never said its input was gone: " << said.toStdString();
  wire.Watch(200);
  since = wire.Now();
  wire.Watch(1000);
  EXPECT_GE(wire.StepsSince(since).size(), 10u)
      << "the show did not play on at its tempo while its input was away";

  // Back: on the clicks again.
  module = pulse.AddSink(QStringLiteral("kalvo_hall"), QStringLiteral("Колонки зала"));
  ASSERT_GE(module, 0);
  wire.Watch(1000);
  since = wire.Now();
  ASSERT_TRUE(pulse.Play(QStringLiteral("kalvo_hall"), pulse.WriteClicks(6, kClickPeriodMs)));
  wire.Watch(4000);
  EXPECT_TRUE(SteppedOnClicks(wire.StepsSince(since), 6, kClickPeriodMs));
  pulse.WaitPlayed();

  ASSERT_TRUE(player->waitForFinished(15000));
  EXPECT_EQ(player->exitCode(), 0);
  said += QString::fromUtf8(player->readAllStandardError());
  EXPECT_EQ(said.count(QStringLiteral("Аудиовход пропал: Звук этого компьютера: Колонки зала")), 1)
      << said.toStdString();
  EXPECT_EQ(
      said.count(QStringLiteral("Аудиовход снова слышен: Звук этого компьютера: Колонки зала")), 1)
      << said.toStdString();
  EXPECT_EQ(wire.Malformed(), 0);
}

}  // namespace
}  // namespace kalvetro::testing
