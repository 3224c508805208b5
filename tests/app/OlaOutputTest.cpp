// SPDX-License-Identifier: GPL-3.0-or-later
// Network DMX through a real OLA daemon: every slot arrives, a restarted daemon gets the output
// back by itself, a missing or frozen daemon holds up neither the tick nor the serial output.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>

#include "app/Console.h"
#include "output/DmxLink.h"
#include "output/DmxPacket.h"
#include "output/OlaSink.h"
#include "serial/SerialTestSupport.h"
#include "support/CallbackSink.h"
#include "support/OlaDaemon.h"

namespace kalvetro {
namespace {

using testing::OlaDaemon;
using testing::Pty;
using testing::WaitFor;

StartOptions OptionsIn(const QTemporaryDir& dir, const QString& port, int universe) {
  StartOptions options;
  options.port = port;
  options.settingsFile = dir.filePath(QStringLiteral("Kalvo.ini"));
  options.autosaveFile = dir.filePath(QStringLiteral("ShouTemp.klv"));
  options.olaUniverse = universe;
  return options;
}

// Scene 0 with a level of its own on every channel, played as it is; the hand scan pad drives
// channel 255 with X = 1 (its level in the scene) and slot 256 with Y = 77.
void LoadRamp(Console& console) {
  console.ClearAll();
  console.Controls().crossfade.mode = kCrossfadeOff;
  for (int n = 1; n <= 255; ++n)
    console.Show().DataWrite(0, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(256 - n));
  console.Show().memory.Set(kSelectFlags + 255, 1);
  PadControls& pad = console.Controls().pad;
  pad.x = 1;
  pad.y = 77;
  pad.priority = true;
}

// Every one of the 256 slots arrived, and nothing more.
bool HoldsTheRamp(const testing::OlaListener& listener) {
  const std::array<std::uint8_t, 512> levels = listener.Last();
  for (int n = 1; n <= 255; ++n)
    if (levels[n - 1] != 256 - n) return false;
  return levels[255] == 77 && listener.LastLength() == 256;
}

TEST(OlaOutput, EverySlotArrivesAtTwentyFramesASecondAndARestartResumes) {
  OlaDaemon daemon(testing::TestOlaPort());
  ASSERT_TRUE(daemon.Start());
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QStringLiteral("/dev/kalvetro-no-such-port"), 5));
  console.Ola().SetServerPort(daemon.Port());
  LoadRamp(console);
  console.StartOutput();

  ASSERT_TRUE(WaitFor([&] { return console.Ola().Connected(); }, 5000));
  {
    // What the daemon passes on for the universe, counted at its far side.
    testing::OlaListener listener(daemon.Port(), 5);
    ASSERT_TRUE(WaitFor([&] { return listener.Frames() > 0; }, 3000));
    const long before = listener.Frames();
    testing::Pump(2000);
    const long perTwoSeconds = listener.Frames() - before;
    EXPECT_GE(perTwoSeconds, 30);  // 40 at 20 frames a second, allowing for a busy machine
    EXPECT_LE(perTwoSeconds, 42);
    EXPECT_TRUE(HoldsTheRamp(listener));
  }

  // The daemon goes away mid-show and comes back: the status line says so once each way, and
  // the frames flow again without the operator.
  QSignalSpy status(&console, &Console::StatusMessage);
  daemon.Stop();
  ASSERT_TRUE(WaitFor([&] { return !console.Ola().Connected(); }, 5000));
  ASSERT_TRUE(daemon.Start());
  ASSERT_TRUE(WaitFor([&] { return console.Ola().Connected(); }, 8000));
  {
    testing::OlaListener listener(daemon.Port(), 5);
    ASSERT_TRUE(WaitFor([&] { return listener.Frames() > 5; }, 3000));
    EXPECT_TRUE(HoldsTheRamp(listener));
  }
  WaitFor([&] { return status.count() >= 2; }, 1000);
  ASSERT_EQ(status.count(), 2);
  EXPECT_EQ(status[0][0].toString(), OlaSink::NoDaemonText());
  EXPECT_EQ(status[1][0].toString(), OlaSink::ConnectedText());
  console.StopOutput();
}

TEST(OlaOutput, NoDaemonGivesOneMessageAndTheSerialOutputGoesOn) {
  QTemporaryDir dir;
  Pty pty;
  Console console(OptionsIn(dir, QString::fromStdString(pty.Path()), 1));
  console.Ola().SetServerPort(testing::TestOlaPort());  // nobody listens there
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  LoadRamp(console);
  QSignalSpy status(&console, &Console::StatusMessage);
  console.StartOutput();

  const std::vector<std::uint8_t> bytes = pty.Receive(60 * 262, 5000);  // about three seconds
  console.StopOutput();
  DmxStreamDecoder decoder;
  long frames = 0;
  decoder.Feed(bytes, 0, [&](const DmxFrame&) { ++frames; });
  EXPECT_GE(frames, 50);
  EXPECT_EQ(decoder.Malformed(), 0);
  EXPECT_FALSE(console.Ola().Connected());
  // The message comes from the sink's own thread through the event loop; on a loaded machine
  // it may come after the serial bytes. It must come once, and no second one after it.
  ASSERT_TRUE(WaitFor([&] { return status.count() >= 1; }, 5000))
      << "no status message within 8 s; the sink sent " << console.Ola().FramesSent()
      << " frames and is " << (console.Ola().Connected() ? "connected" : "not connected");
  testing::Pump(500);
  EXPECT_EQ(status.count(), 1);
  EXPECT_EQ(status[0][0].toString(), OlaSink::NoDaemonText());
}

TEST(OlaOutput, AFrozenDaemonNeverHoldsTheTick) {
  OlaDaemon daemon(testing::TestOlaPort());
  ASSERT_TRUE(daemon.Start());
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QStringLiteral("/dev/kalvetro-no-such-port"), 2));
  console.Ola().SetServerPort(daemon.Port());
  LoadRamp(console);
  // Every tick's frame also reaches this sink, right after the network sink took its copy.
  std::atomic<long> ticks{0};
  testing::CallbackSink counter([&](const OutputFrames&) { ticks.fetch_add(1); });
  console.Engine().AddSink(&counter);
  console.StartOutput();
  ASSERT_TRUE(WaitFor([&] { return console.Ola().Connected(); }, 5000));

  // The daemon stops reading: its socket fills and the sender thread blocks in its write.
  daemon.Pause();
  const long before = ticks.load();
  testing::Pump(3000);
  const long during = ticks.load() - before;
  daemon.Resume();
  console.StopOutput();
  EXPECT_GE(during, 50);  // 60 ticks in three seconds
}

}  // namespace
}  // namespace kalvetro
