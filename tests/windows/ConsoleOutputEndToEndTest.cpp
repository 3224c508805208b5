// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the real console on a pseudo-terminal with a show and checks the packet stream that
// arrives at the far end.
#include <gtest/gtest.h>
#include <signal.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "show/ShowMemory.h"

namespace kalvetro {
namespace {

using testing::Pty;
using testing::WaitFor;

// Ends the console whatever happens in the test: its closing sequence would open a save
// dialog, so it is terminated rather than closed.
struct ConsoleProcess {
  QProcess process;
  // The console on the offscreen platform with its settings and data inside dir.
  void Start(const QTemporaryDir& dir, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(KALVETRO_CONSOLE_BINARY), arguments);
  }
  ~ConsoleProcess() {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();  // SIGTERM
    if (!process.waitForFinished(3000)) {
      process.kill();  // SIGKILL
      process.waitForFinished(3000);
    }
  }
};

// An empty show whose fade steps are all 255: the output reaches every scene at once.
QByteArray InstantShow() {
  QByteArray image(kShowFileSize, '\0');
  for (int n = 0; n < 256; ++n) image[kRateRow + n] = static_cast<char>(255);
  return image;
}

// The show image as a file in dir; an empty path when it could not be written.
QString WriteShow(const QTemporaryDir& dir, const char* name, const QByteArray& image) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile show(path);
  if (!show.open(QIODevice::WriteOnly) || show.write(image) != image.size()) return {};
  return path;
}

TEST(ConsoleOutputEndToEndTest, PacketsOfTheLoadedSceneArriveEveryTick) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A show whose scene 0 holds a level pattern with 0xFF among the levels; every fade step
  // is 255 so that the output reaches the scene at once.
  QByteArray image = InstantShow();
  for (int n = 1; n <= 255; ++n) image[kSceneRows + n] = static_cast<char>((n * 7 + 3) % 256);
  image[kSceneRows + 36] = static_cast<char>(0xFF);
  image[kLastScene] = 1;
  image[kTempo] = 44;
  const QString showPath = WriteShow(dir, "SHOW.klv", image);
  ASSERT_FALSE(showPath.isEmpty());

  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  ConsoleProcess console;
  console.Start(dir, {QStringLiteral("--port"), QString::fromStdString(pty.Path()), showPath});
  ASSERT_TRUE(console.process.waitForStarted(10000));

  DmxStreamDecoder decoder;
  std::vector<DmxFrame> frames;
  const auto start = std::chrono::steady_clock::now();
  auto nowNs = [&] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                start)
        .count();
  };
  // Start-up may be slow under the sanitizers; then collect a good stretch of packets.
  ASSERT_TRUE(WaitFor(
      [&] {
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(pty.Master(), buffer, sizeof buffer);
        if (n > 0)
          decoder.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), nowNs(),
                       [&](const DmxFrame& f) { frames.push_back(f); });
        return frames.size() >= 40 || console.process.state() == QProcess::NotRunning;
      },
      60000));
  ASSERT_EQ(console.process.state(), QProcess::Running);
  EXPECT_EQ(decoder.Malformed(), 0);

  // One packet about every 50 ms: the median spacing of the last packets.
  std::vector<double> periods;
  for (std::size_t i = frames.size() - 30; i < frames.size(); ++i)
    periods.push_back(static_cast<double>(frames[i].timeNs - frames[i - 1].timeNs) / 1e6);
  std::sort(periods.begin(), periods.end());
  EXPECT_GT(periods[periods.size() / 2], 40.0);
  EXPECT_LT(periods[periods.size() / 2], 60.0);

  // The packets carry scene 0 of the show; slot 256 is not part of a scene.
  const DmxFrame& last = frames.back();
  for (int n = 1; n <= 255; ++n)
    EXPECT_EQ(last.levels[static_cast<std::size_t>(n - 1)],
              static_cast<std::uint8_t>(image[kSceneRows + n]))
        << "channel " << n;
  EXPECT_EQ(last.levels[255], 0);
}

// With --play the window plays the show it opened: the stream moves from the first scene to
// the second and back, as the sequencer steps through a two-scene loop.
TEST(ConsoleOutputEndToEndTest, PlayOptionStartsTheShowPlaying) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QByteArray image = InstantShow();
  for (int n = 1; n <= 255; ++n) {
    image[kSceneRows + n] = static_cast<char>(10);
    image[kSceneRows + kRowSize + n] = static_cast<char>(200);
  }
  image[kLastScene] = 1;
  image[kTempo] = 20;  // 400 ms a scene
  const QString showPath = WriteShow(dir, "PLAY.klv", image);
  ASSERT_FALSE(showPath.isEmpty());
  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  ConsoleProcess console;
  console.Start(dir, {QStringLiteral("--port"), QString::fromStdString(pty.Path()),
                      QStringLiteral("--play"), showPath});
  ASSERT_TRUE(console.process.waitForStarted(10000));

  // Channel 1 seen at 10 (scene 1), then at 200 (scene 2), then at 10 again.
  DmxStreamDecoder decoder;
  std::vector<int> channelOne;
  ASSERT_TRUE(WaitFor(
      [&] {
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(pty.Master(), buffer, sizeof buffer);
        if (n > 0)
          decoder.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), 0,
                       [&](const DmxFrame& f) {
                         const int level = f.levels[0];
                         const bool scene = level == 10 || level == 200;
                         if (scene && (channelOne.empty() || channelOne.back() != level))
                           channelOne.push_back(level);
                       });
        return channelOne.size() >= 3 || console.process.state() == QProcess::NotRunning;
      },
      60000));
  ASSERT_GE(channelOne.size(), 3u);
  EXPECT_EQ(channelOne[0], 10);
  EXPECT_EQ(channelOne[1], 200);
  EXPECT_EQ(channelOne[2], 10);
  EXPECT_EQ(decoder.Malformed(), 0);
}

}  // namespace
}  // namespace kalvetro
