// SPDX-License-Identifier: GPL-3.0-or-later
// The console binary as a headless player: no window, no display, the show played on a port.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/BCPort.h"
#include "serial/SerialTestSupport.h"
#include "show/Settings.h"
#include "show/ShowMemory.h"
#include "support/ConsoleProcess.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using testing::Pty;

// Three scenes at tempo 10 (100 ms a scene): channel 1 at 0, 200, 100; channel 2 at 50 always.
QString WriteThreeSceneShow(const QTemporaryDir& dir) {
  return testing::TestShow(2, 10)
      .Levels(1, {0, 200, 100})
      .Levels(2, {50, 50, 50})
      .WriteTo(dir, QStringLiteral("three.klv"));
}

// No display at all: the player must not need one. configHome: the user's config folder, where
// the conveyor list of the settings is found.
QProcess* StartPlayer(QObject* parent, const QStringList& arguments,
                      const QString& configHome = QString()) {
  return testing::StartConsoleProcess(parent, QStringList{QStringLiteral("--headless")} + arguments,
                                      {.configHome = configHome, .noDisplay = true});
}

TEST(HeadlessPlayer, PlaysTheScenesAtTheShowsTempoWithCrossfadesOnAPort) {
  QTemporaryDir dir;
  Pty pty;
  QObject owner;
  QProcess* player = StartPlayer(
      &owner, {QStringLiteral("--port"), QString::fromStdString(pty.Path()),
               QStringLiteral("--seconds"), QStringLiteral("3"), WriteThreeSceneShow(dir)});
  ASSERT_TRUE(player->waitForStarted(5000));
  const std::vector<std::uint8_t> bytes = pty.Receive(40 * 262, 6000);
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 0);

  DmxStreamDecoder decoder;
  std::vector<int> channel1;
  std::vector<int> channel2;
  decoder.Feed(bytes, 0, [&](const DmxFrame& f) {
    channel1.push_back(f.levels[0]);
    channel2.push_back(f.levels[1]);
  });
  EXPECT_EQ(decoder.Malformed(), 0);
  ASSERT_GE(channel1.size(), 35u);
  // Channel 2 fades in from dark at the start and then holds.
  for (std::size_t i = 10; i < channel2.size(); ++i) EXPECT_EQ(channel2[i], 50) << i;
  // Scene after scene, each change spread over the two ticks of a 100 ms scene: 200 -> 150 ->
  // 100 on the way into scene 3, pass after pass.
  int seen200 = 0, seen150 = 0;
  for (int level : channel1) {
    seen200 += level == 200;
    seen150 += level == 150;
  }
  // At least two passes in the 2 s read: on a loaded machine (sanitizer builds compiling beside
  // it) the sequencer's timer may come late and the 2 s hold fewer than the six passes due.
  EXPECT_GE(seen200, 3) << ::testing::PrintToString(channel1);
  EXPECT_GE(seen150, 2) << ::testing::PrintToString(channel1);

  // One line per scene change: about ten a second.
  const QStringList lines =
      QString::fromUtf8(player->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  EXPECT_GE(lines.size(), 20);
  EXPECT_EQ(lines.first(), QStringLiteral("Сцена 1 из 3  three.klv"));
  EXPECT_TRUE(lines.contains(QStringLiteral("Сцена 3 из 3  three.klv")));
}

TEST(HeadlessPlayer, AnUnreadableShowOrPortEndsWithCodeTwoAndItsMessage) {
  QTemporaryDir dir;
  QObject owner;
  QFile shortFile(dir.filePath(QStringLiteral("short.klv")));
  ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
  shortFile.write(QByteArray(100, 1));
  shortFile.close();

  QProcess* player = StartPlayer(&owner, {shortFile.fileName()});
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 2);
  EXPECT_TRUE(
      QString::fromUtf8(player->readAllStandardError()).contains("Read beyond end of file"));

  player = StartPlayer(&owner, {dir.filePath(QStringLiteral("missing.klv"))});
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 2);
  EXPECT_TRUE(QString::fromUtf8(player->readAllStandardError()).contains("Файл не существует"));

  player = StartPlayer(&owner, {QStringLiteral("--port"), QStringLiteral("/dev/kalvetro-none"),
                                WriteThreeSceneShow(dir)});
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 2);
  // The port and why it did not open.
  const QString said = QString::fromUtf8(player->readAllStandardError());
  EXPECT_TRUE(said.contains("/dev/kalvetro-none")) << said.toStdString();
  EXPECT_TRUE(said.contains(QString::fromUtf8(comport_messages::kNoSuchPort)))
      << said.toStdString();
}

std::vector<DmxFrame> FramesOf(const std::vector<std::uint8_t>& bytes) {
  std::vector<DmxFrame> frames;
  DmxStreamDecoder decoder;
  decoder.Feed(bytes, 0, [&](const DmxFrame& f) { frames.push_back(f); });
  EXPECT_EQ(decoder.Malformed(), 0);
  return frames;
}

// The player plays with the window's show runner: an automat with the show, a latched
// picture, the conveyor list of the settings; a bad value of any option is refused.
TEST(HeadlessPlayer, RunsAutomatsPicturesAndTheConveyorListAndRefusesBadValues) {
  QTemporaryDir dir;
  QObject owner;
  const QString three = WriteThreeSceneShow(dir);
  for (const QStringList& bad :
       {QStringList{QStringLiteral("--automat"), QStringLiteral("3"), three},
        QStringList{QStringLiteral("--picture"), QStringLiteral("0"), three},
        QStringList{QStringLiteral("--picture"), QStringLiteral("x"), three},
        QStringList{QStringLiteral("--crossfade"), QStringLiteral("slow"), three},
        QStringList{QStringLiteral("--conveyor"), three}}) {
    QProcess* player = StartPlayer(&owner, bad);
    ASSERT_TRUE(player->waitForFinished(8000));
    EXPECT_EQ(player->exitCode(), 2) << bad.join(' ').toStdString();
    EXPECT_FALSE(player->readAllStandardError().isEmpty()) << bad.join(' ').toStdString();
  }

  // Automat 1 of this show: program 1 on channels 31..34 at tempo 10 (a step every 100 ms, so
  // every step reaches at least one packet); picture 2 holds channel 40 at 90.
  QFile file(three);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray bytes = file.readAll();
  bytes[kAutomat1 + kAutomatTempo] = 10;
  bytes[kAutomat1 + kAutomatChannel] = 30;
  bytes[kAutomat1 + kAutomatMode] = 1;
  bytes[kAutomat1 + kAutomatBright] = static_cast<char>(240);
  bytes[PictureOffset(1) + 40] = 1;
  bytes[PictureOffset(1) + kPictureLevels + 40] = 90;
  file.seek(0);
  file.write(bytes);
  file.close();
  {
    Pty pty;
    QProcess* player = StartPlayer(
        &owner, {QStringLiteral("--automat"), QStringLiteral("1"), QStringLiteral("--picture"),
                 QStringLiteral("2"), QStringLiteral("--port"), QString::fromStdString(pty.Path()),
                 QStringLiteral("--seconds"), QStringLiteral("3"), three});
    ASSERT_TRUE(player->waitForStarted(5000));
    const std::vector<DmxFrame> frames = FramesOf(pty.Receive(50 * 262, 6000));
    ASSERT_TRUE(player->waitForFinished(8000));
    ASSERT_GE(frames.size(), 20u);
    std::set<int> lit;  // which of channels 31..34 is bright, packet after packet
    for (std::size_t i = 5; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].levels[39], 90) << i;
      for (int n = 31; n <= 34; ++n)
        if (frames[i].levels[n - 1] == 240) lit.insert(n);
      EXPECT_EQ(frames[i].levels[34], 0) << i;  // channel 35 is not the automat's
    }
    EXPECT_EQ(lit, (std::set<int>{31, 32, 33, 34}));
  }

  // The conveyor list of the settings: slots 1 and 2 ticked, one show each pass (scenes
  // jump, so that the one-scene show's level is reached within its 100 ms).
  Settings settings;
  settings.conveyorFiles[0] = three.toStdString();
  QByteArray other(kShowFileSize, 0);
  other[kTempo] = 10;
  for (int n = kRateRow; n < kRateRow + kRowSize; ++n) other[n] = static_cast<char>(255);
  other[SceneRowOffset(0) + 1] = 33;
  QFile otherFile(dir.filePath(QStringLiteral("other.klv")));
  ASSERT_TRUE(otherFile.open(QIODevice::WriteOnly));
  otherFile.write(other);
  otherFile.close();
  settings.conveyorFiles[1] = otherFile.fileName().toStdString();
  settings.conveyorTicks[0] = settings.conveyorTicks[1] = true;
  const QString configHome = testing::WriteUserSettings(dir, settings);
  ASSERT_FALSE(configHome.isEmpty());
  Pty pty;
  QProcess* player = StartPlayer(
      &owner,
      {QStringLiteral("--conveyor"), QStringLiteral("--crossfade"), QStringLiteral("off"),
       QStringLiteral("--port"), QString::fromStdString(pty.Path()), QStringLiteral("--seconds"),
       QStringLiteral("2")},
      configHome);
  ASSERT_TRUE(player->waitForStarted(5000));
  const std::vector<DmxFrame> frames = FramesOf(pty.Receive(30 * 262, 5000));
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 0);
  std::set<int> channel1;
  for (const DmxFrame& f : frames) channel1.insert(f.levels[0]);
  EXPECT_TRUE(channel1.count(200)) << "the three-scene show of slot 1";
  EXPECT_TRUE(channel1.count(33)) << "the show of slot 2 after the first pass";
  const QString out = QString::fromUtf8(player->readAllStandardOutput());
  EXPECT_TRUE(out.contains(QStringLiteral("three.klv")));
  EXPECT_TRUE(out.contains(QStringLiteral("other.klv")));
}

TEST(HeadlessPlayer, HelpAndVersionNeedNoDisplay) {
  QObject owner;
  for (const char* word : {"--help", "--version"}) {
    QProcess* program =
        testing::StartConsoleProcess(&owner, {QString::fromLatin1(word)}, {.noDisplay = true});
    ASSERT_TRUE(program->waitForFinished(10000)) << word;
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit) << word;
    EXPECT_EQ(program->exitCode(), 0) << word << program->readAllStandardError().constData();
    const QString said = QString::fromUtf8(program->readAllStandardOutput());
    EXPECT_TRUE(word == std::string("--help") ? said.contains(QStringLiteral("--headless"))
                                              : said.startsWith(QStringLiteral("kalvetro 0.")))
        << word << ": " << said.toStdString();
  }
}

TEST(HeadlessPlayer, SigtermEndsItAtOnce) {
  QTemporaryDir dir;
  Pty pty;
  QObject owner;
  QProcess* player = StartPlayer(
      &owner,
      {QStringLiteral("--port"), QString::fromStdString(pty.Path()), WriteThreeSceneShow(dir)});
  ASSERT_TRUE(player->waitForStarted(5000));
  ASSERT_FALSE(pty.Receive(262, 5000).empty());  // playing
  QElapsedTimer clock;
  clock.start();
  ::kill(static_cast<pid_t>(player->processId()), SIGTERM);
  ASSERT_TRUE(player->waitForFinished(3000));
  const qint64 took = clock.elapsed();
  EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(player->exitCode(), 0);
  // Within one tick on a quiet machine; the bound leaves room for a loaded one.
  EXPECT_LT(took, 250);
}

}  // namespace
}  // namespace kalvetro
