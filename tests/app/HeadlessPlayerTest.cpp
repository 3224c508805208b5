// The console binary as a headless player: no window, no display, the show played on a port.
#include <gtest/gtest.h>

#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <thread>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "show/ShowMemory.h"

namespace kalvetro {
namespace {

using testing::Pty;

// Three scenes at tempo 10 (100 ms a scene): channel 1 at 0, 200, 100; channel 2 at 50 always.
QString WriteThreeSceneShow(const QTemporaryDir& dir) {
  QByteArray bytes(kShowFileSize, 0);
  bytes[kLastScene] = 2;
  bytes[kTempo] = 10;
  for (int n = kRateRow; n < kRateRow + kRowSize; ++n) bytes[n] = static_cast<char>(255);
  const int levels[3] = {0, 200, 100};
  for (int s = 0; s < 3; ++s) {
    bytes[SceneRowOffset(s) + 1] = static_cast<char>(levels[s]);
    bytes[SceneRowOffset(s) + 2] = 50;
  }
  QFile file(dir.filePath(QStringLiteral("three.klv")));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return file.fileName();
}

QProcess* StartPlayer(QObject* parent, const QStringList& arguments) {
  auto* player = new QProcess(parent);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // No display at all: the player must not need one.
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  player->setProcessEnvironment(environment);
  player->start(QStringLiteral(KALVETRO_CONSOLE_BINARY),
                QStringList{QStringLiteral("--headless")} + arguments);
  return player;
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
  EXPECT_GE(seen200, 5);
  EXPECT_GE(seen150, 3);

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
  EXPECT_TRUE(QString::fromUtf8(player->readAllStandardError()).contains("Read beyond end of file"));

  player = StartPlayer(&owner, {dir.filePath(QStringLiteral("missing.klv"))});
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 2);
  EXPECT_TRUE(QString::fromUtf8(player->readAllStandardError()).contains("Файл не существует"));

  player = StartPlayer(&owner, {QStringLiteral("--port"), QStringLiteral("/dev/kalvetro-none"),
                                WriteThreeSceneShow(dir)});
  ASSERT_TRUE(player->waitForFinished(8000));
  EXPECT_EQ(player->exitCode(), 2);
  EXPECT_TRUE(QString::fromUtf8(player->readAllStandardError()).contains("/dev/kalvetro-none"));
}

TEST(HeadlessPlayer, SigtermEndsItAtOnce) {
  QTemporaryDir dir;
  Pty pty;
  QObject owner;
  QProcess* player = StartPlayer(&owner, {QStringLiteral("--port"),
                                          QString::fromStdString(pty.Path()),
                                          WriteThreeSceneShow(dir)});
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
