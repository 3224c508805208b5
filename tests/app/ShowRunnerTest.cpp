// SPDX-License-Identifier: GPL-3.0-or-later
// The show runner without any widget: a show played through its commands on a port.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <set>
#include <vector>

#include "app/Console.h"
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "output/DmxLink.h"
#include "output/DmxPacket.h"
#include "playback/Automats.h"
#include "serial/SerialTestSupport.h"
#include "support/ConsoleOptionsIn.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using testing::OptionsIn;
using testing::Pty;

constexpr int kAutomatFirst = 9;  // automat 1 drives channels 10..13
constexpr std::uint8_t kBright = 250;
constexpr std::uint8_t kDark = 5;
constexpr int kPictureChannel = 20;
constexpr int kPictureLevel = 77;

// Three scenes at tempo 10 (100 ms a scene): channel 1 at 0, 200, 100. Automat 1 on channels
// 10..13 with program 2 at tempo 5; picture 3 holds channel 20 at 77.
QString WriteShow(const QTemporaryDir& dir) {
  return testing::TestShow(2, 10)
      .Levels(1, {0, 200, 100})
      .Automat(1, 5, kAutomatFirst, 2, kBright, kDark)
      .Picture(2, kPictureChannel, kPictureLevel)
      .WriteTo(dir, QStringLiteral("show.klv"));
}

std::vector<DmxFrame> Frames(Pty& pty, int count) {
  std::vector<DmxFrame> frames;
  DmxStreamDecoder decoder;
  decoder.Feed(pty.Receive(static_cast<std::size_t>(count) * 262, count * 50 + 3000), 0,
               [&](const DmxFrame& f) { frames.push_back(f); });
  EXPECT_EQ(decoder.Malformed(), 0);
  return frames;
}

TEST(ShowRunner, PlaysAShowWithAnAutomatALatchedPictureAndBlackoutOnAPort) {
  QTemporaryDir dir;
  Pty pty;
  Console console(OptionsIn(dir, QString::fromStdString(pty.Path())));
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.ClearAll();
  ASSERT_TRUE(console.Files().OpenShow(WriteShow(dir)).ok);

  ShowRunner& runner = console.Runner();
  // The opened show's tempo and automat bytes are the runner's at once.
  EXPECT_EQ(runner.SequencerIntervalMs(), 100);
  EXPECT_EQ(runner.AutomatProgram(1), 2);
  EXPECT_EQ(runner.AutomatFirstChannel(1), kAutomatFirst);
  EXPECT_EQ(runner.AutomatTimer(1).interval(), 25);

  runner.SetCrossfadeMode(kCrossfadeAutomat);
  runner.SetAutomatWithShow(1, true);
  runner.LatchPicture(2, true);
  runner.FlashPicture(2, false);  // a latched picture stays on when a flash of it lets go
  EXPECT_TRUE(runner.Picture(2));
  std::vector<int> scenes;
  QObject::connect(&runner, &ShowRunner::SceneStepped, [&](int scene) { scenes.push_back(scene); });
  runner.Play();
  console.StartOutput();
  const std::vector<DmxFrame> playing = Frames(pty, 40);
  ASSERT_GE(playing.size(), 30u);

  // The sequencer walks the scenes in order at the show's tempo, pass after pass.
  ASSERT_GE(scenes.size(), 6u);
  for (std::size_t i = 1; i < scenes.size(); ++i) EXPECT_EQ(scenes[i], (scenes[i - 1] + 1) % 3);
  // Each change spreads over the two ticks of a 100 ms scene: 200 -> 150 -> 100.
  std::set<int> channel1;
  for (const DmxFrame& f : playing) channel1.insert(f.levels[0]);
  EXPECT_TRUE(channel1.count(200) && channel1.count(150) && channel1.count(100));

  // Automat 1 lays program 2 over channels 10..13 and walks its steps; the picture holds
  // channel 20 throughout.
  std::set<AutomatLevels> patterns;
  for (int step = 0; step < kAutomatSteps; ++step)
    patterns.insert(*AutomatPattern(2, step, kBright, kDark));
  // (A frame may catch the four levels in the middle of a step's publishing: one such frame
  // is allowed.)
  std::set<AutomatLevels> seen;
  int strangers = 0;
  for (std::size_t i = 5; i < playing.size(); ++i) {
    const DmxFrame& f = playing[i];
    const AutomatLevels four{f.levels[9], f.levels[10], f.levels[11], f.levels[12]};
    if (patterns.count(four))
      seen.insert(four);
    else
      ++strangers;
    EXPECT_EQ(f.levels[kPictureChannel - 1], kPictureLevel) << "packet " << i;
  }
  EXPECT_LE(strangers, 1);
  EXPECT_GE(seen.size(), 2u);

  // Blackout stops the show and darkens every slot, automat and picture too.
  runner.SetBlackOut(true);
  EXPECT_FALSE(runner.Playing());
  testing::Pump(150);
  const std::vector<DmxFrame> dark = Frames(pty, 10);
  console.StopOutput();
  ASSERT_GE(dark.size(), 5u);
  for (std::size_t i = 2; i < dark.size(); ++i)
    for (int n = 0; n < kDmxDataSlots; ++n) ASSERT_EQ(dark[i].levels[n], 0) << i << " " << n;
}

// A one-scene show whose channel 1 is at `level`.
QString WriteOneSceneShow(const QTemporaryDir& dir, const char* name, int level) {
  return testing::TestShow(0, 10).Levels(1, {level}).WriteTo(dir, QString::fromLatin1(name));
}

// The list of ticked slots plays one show per pass; a ticked slot whose file is gone is
// reported and passed over, and the show that plays is left alone meanwhile.
TEST(ShowRunner, AConveyorListLoadsTheNextTickedShowAtTheEndOfEachPass) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QStringLiteral("/dev/kalvetro-no-such-port")));
  ShowRunner& runner = console.Runner();
  QStringList status;
  QObject::connect(&console, &Console::StatusMessage,
                   [&](const QString& text) { status.append(text); });
  QStringList failures;
  QObject::connect(&runner, &ShowRunner::ConveyorLoadFailed,
                   [&](int, const QString& error) { failures.append(error); });
  console.ClearAll();
  console.Files().SetConveyorFile(2, WriteOneSceneShow(dir, "first.klv", 11));
  console.Files().SetConveyorFile(3, dir.filePath(QStringLiteral("gone.klv")));
  console.Files().SetConveyorFile(5, WriteOneSceneShow(dir, "second.klv", 22));
  std::array<bool, kConveyorSlots> ticks{};
  ticks[1] = ticks[2] = ticks[4] = true;
  runner.SetCrossfadeMode(kCrossfadeOff);

  ASSERT_TRUE(runner.PlayConveyorList(ticks));
  EXPECT_TRUE(runner.Playing());
  EXPECT_EQ(runner.ConveyorLabel(), QStringLiteral("2 first"));
  console.Engine().Tick();
  EXPECT_EQ(console.Frames().Output(1), 11);

  runner.SequencerTick();  // the pass is over: slot 3's file is gone
  EXPECT_EQ(failures.size(), 1);
  ASSERT_FALSE(status.isEmpty());
  EXPECT_TRUE(status.last().startsWith(QStringLiteral("3 gone"))) << status.last().toStdString();
  console.Engine().Tick();
  EXPECT_EQ(console.Frames().Output(1), 11);
  EXPECT_TRUE(runner.Playing());

  runner.SequencerTick();  // the next pass end reaches slot 5
  EXPECT_EQ(runner.ConveyorLabel(), QStringLiteral("5 second"));
  console.Engine().Tick();
  EXPECT_EQ(console.Frames().Output(1), 22);
  EXPECT_EQ(failures.size(), 1);

  // Only an empty slot ticked: nothing to play.
  std::array<bool, kConveyorSlots> none{};
  none[7] = true;
  EXPECT_FALSE(runner.PlayConveyorList(none));
}

}  // namespace
}  // namespace kalvetro
