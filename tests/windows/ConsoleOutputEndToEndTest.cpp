// Starts the real console on a pseudo-terminal with a show and checks the packet stream that
// arrives at the far end.
#include <gtest/gtest.h>
#include <signal.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
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
  ~ConsoleProcess() {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();  // SIGTERM
    if (!process.waitForFinished(3000)) {
      process.kill();  // SIGKILL
      process.waitForFinished(3000);
    }
  }
};

TEST(ConsoleOutputEndToEndTest, PacketsOfTheLoadedSceneArriveEveryTick) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A show whose scene 0 holds a level pattern with 0xFF among the levels; every fade step
  // is 255 so that the output reaches the scene at once.
  QByteArray image(kShowFileSize, '\0');
  for (int n = 0; n < 256; ++n) image[kRateRow + n] = static_cast<char>(255);
  for (int n = 1; n <= 255; ++n) image[kSceneRows + n] = static_cast<char>((n * 7 + 3) % 256);
  image[kSceneRows + 36] = static_cast<char>(0xFF);
  image[kLastScene] = 1;
  image[kTempo] = 44;
  const QString showPath = dir.filePath(QStringLiteral("SHOW.klv"));
  {
    QFile show(showPath);
    ASSERT_TRUE(show.open(QIODevice::WriteOnly));
    ASSERT_EQ(show.write(image), image.size());
  }

  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  ConsoleProcess console;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
  console.process.setProcessEnvironment(env);
  console.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  console.process.start(QStringLiteral(KALVETRO_CONSOLE_BINARY),
                        {QStringLiteral("--port"), QString::fromStdString(pty.Path()), showPath});
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

}  // namespace
}  // namespace kalvetro
