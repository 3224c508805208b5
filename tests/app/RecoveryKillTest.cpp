// SPDX-License-Identifier: GPL-3.0-or-later
// The console window as a process of its own, edited from an OSC remote and killed at random
// moments: each time its recovery file holds the show as it was at most two seconds before the
// kill, and the next start offers it.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <random>
#include <vector>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowFiles.h"
#include "player/StartUp.h"
#include "remote/OscTestSupport.h"
#include "remote/Remotes.h"
#include "support/ConsoleProcess.h"

namespace kalvetro {
namespace {

using Row = std::array<std::uint8_t, kChannelCount + 1>;

struct SentEdit {
  qint64 at;  // ms since the edits began
  int channel;
  int level;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RecoveryKill,
     AKilledConsoleLeavesItsChangesOfAllButTheLastTwoSecondsAndTheNextStartOffersThem) {
  QTemporaryDir home;
  const QString data = home.filePath(QStringLiteral("data"));
  const QString recovery = data + QStringLiteral("/kalvetro/Kalvo.recovery.klv");
  std::mt19937 random(42);
  QByteArray lastFile;
  constexpr int kRuns = 20;
  for (int run = 0; run < kRuns; ++run) {
    QObject owner;
    const int port = testing::FreeUdpPort();
    QProcess* window =
        testing::StartConsoleProcess(&owner, {QStringLiteral("--osc"), QString::number(port)},
                                     {.configHome = home.filePath(QStringLiteral("config")),
                                      .dataHome = data,
                                      .offscreen = true});
    ASSERT_TRUE(window->waitForStarted(5000));
    testing::OscClient client(port);
    bool ready = false;
    for (int k = 0; k < 100 && !ready; ++k) {
      client.Send(testing::OscMessage("/kalvetro/sync"));
      ready = !client.Receive(200).empty();
    }
    ASSERT_TRUE(ready) << "run " << run;

    // Edits every 20 ms for 2.2 to 3.5 s, then the kill.
    std::vector<SentEdit> sent;
    QElapsedTimer clock;
    clock.start();
    const int lasting = std::uniform_int_distribution<int>(2200, 3500)(random);
    while (clock.elapsed() < lasting) {
      const int channel = std::uniform_int_distribution<int>(1, kChannelCount)(random);
      const int level = std::uniform_int_distribution<int>(1, 255)(random);
      client.Send(testing::OscMessage("/kalvetro/channel", {channel, level}));
      sent.push_back({clock.elapsed(), channel, level});
      QTest::qWait(20);
    }
    const qint64 killedAt = clock.elapsed();
    window->kill();
    ASSERT_TRUE(window->waitForFinished(5000));

    const QByteArray file = ReadAll(recovery);
    ASSERT_EQ(file.size(), kShowFileSize) << "run " << run;
    Row kept{};
    for (int c = 1; c <= kChannelCount; ++c)
      kept[c] = static_cast<std::uint8_t>(file[SceneRowOffset(0) + c]);
    // Some prefix of the edits, holding every edit sent more than two seconds before the
    // kill, gives scene 0 as the file keeps it.
    Row state{};
    bool matched = false;
    for (std::size_t n = 0; n <= sent.size() && !matched; ++n) {
      if (n > 0) state[sent[n - 1].channel] = static_cast<std::uint8_t>(sent[n - 1].level);
      const bool mustHave = n < sent.size() && sent[n].at <= killedAt - 2000;
      if (!mustHave && state == kept) matched = true;
    }
    EXPECT_TRUE(matched) << "run " << run << ": " << sent.size() << " edits";
    lastFile = file;
    // The next run starts without the question a window would ask.
    if (run < kRuns - 1) QFile::remove(recovery);
  }

  // The next start finds the file and, answered Yes, opens it.
  StartOptions options;
  options.settingsFile = home.filePath(QStringLiteral("config/kalvetro/Kalvo.ini"));
  options.autosaveFile = data + QStringLiteral("/kalvetro/ShouTemp.klv");
  options.startOutput = false;
  Console console(options);
  RemoteControl door(console);
  Remotes remotes(door);
  QStringList asked;
  StartConsole(
      console, remotes, options, [](const Result&) {},
      [&](const QString& question) {
        asked << question;
        return true;
      });
  EXPECT_EQ(asked, QStringList{QStringLiteral("Восстановить несохранённые изменения?")});
  QByteArray show(kShowFileSize, 0);
  console.Show().memory.Read(
      0, std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(show.data()), kShowFileSize));
  EXPECT_EQ(show.mid(kSceneRows), lastFile.mid(kSceneRows));
}

}  // namespace
}  // namespace kalvetro
