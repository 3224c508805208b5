// SPDX-License-Identifier: GPL-3.0-or-later
// Beat pacing on the wire: the packets a port receives while the runner steps on the beats of
// a beat grid, read from a pseudo-terminal with the time each chunk arrived.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "app/Console.h"
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "output/DmxLink.h"
#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "support/ConsoleOptionsIn.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using Clock = std::chrono::steady_clock;
using testing::OptionsIn;
using testing::Pty;

// Reads the pseudo-terminal on a thread of its own and decodes the packets, each stamped with
// the steady-clock time its first bytes arrived.
class WireReader {
 public:
  explicit WireReader(Pty& pty) : pty_(pty), thread_([this] { Run(); }) {}
  ~WireReader() {
    stop_ = true;
    thread_.join();
  }
  std::vector<DmxFrame> Frames() {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  long Malformed() {
    std::lock_guard lock(mutex_);
    return decoder_.Malformed();
  }

 private:
  void Run() {
    std::uint8_t buffer[4096];
    while (!stop_) {
      pollfd fd{pty_.Master(), POLLIN, 0};
      if (::poll(&fd, 1, 20) <= 0) continue;
      const ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
      if (n <= 0) continue;
      const std::int64_t now = Clock::now().time_since_epoch().count();
      std::lock_guard lock(mutex_);
      decoder_.Feed(std::span(buffer, static_cast<std::size_t>(n)), now,
                    [this](const DmxFrame& f) { frames_.push_back(f); });
    }
  }

  Pty& pty_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  DmxStreamDecoder decoder_;
  std::vector<DmxFrame> frames_;
  std::thread thread_;
};

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The show steps on the predicted beats, and the packet that completes each new scene reaches
// the wire on the beat: the jump of "Выкл" and the crossfade of "Автомат", which starts early.
// The tracker's beats come as a live tracker gives them, some 80 ms after they fell, with a
// few milliseconds of jitter.
TEST(BeatStep, TheNewSceneGoesOutOnThePredictedBeat) {
  for (const int mode : {kCrossfadeOff, kCrossfadeAutomat}) {
    SCOPED_TRACE(mode == kCrossfadeOff ? "jump" : "crossfade");
    QTemporaryDir dir;
    Pty pty;
    Console console(OptionsIn(dir, QString::fromStdString(pty.Path())));
    ASSERT_TRUE(console.Link().OpenAtStart().ok);
    console.ClearAll();
    // Channel 1 goes 0, 200, 0, 200: every step changes it by 200. The steps into scenes 1
    // and 3 are timed (a fade into scene 0 at the wrap is of another kind). Tempo 20 is a sequencer
    // period of 400 ms, a crossfade of eight ticks.
    ASSERT_TRUE(console.Files()
                    .OpenShow(testing::TestShow(3, 20)
                                  .Levels(1, {0, 200, 0, 200})
                                  .WriteTo(dir, QStringLiteral("beat.klv")))
                    .ok);
    ShowRunner& runner = console.Runner();
    runner.SetCrossfadeMode(mode);
    runner.SetSoundPaced(true);
    runner.SetBeatPaced(true);
    runner.Play();
    console.StartOutput();
    WireReader wire(pty);

    const auto period = std::chrono::milliseconds(500);
    const Clock::time_point first = Clock::now() + std::chrono::milliseconds(137);
    std::vector<Clock::time_point> beats;
    for (int k = 0; k < 14; ++k) beats.push_back(first + period * k);
    const int jitterMs[] = {3, -4, 2, 0, -2, 4, -3, 1, 2, -1, 0, 3, -2, 1};
    int told = 0;
    QTimer tracker;
    tracker.setInterval(5);
    QObject::connect(&tracker, &QTimer::timeout, [&] {
      while (told < static_cast<int>(beats.size()) &&
             Clock::now() >= beats[told] + std::chrono::milliseconds(80)) {
        runner.TakeTrackedBeat(
            {beats[told] + std::chrono::milliseconds(jitterMs[told]), 120.0, 2.0});
        ++told;
      }
    });
    tracker.start();

    // A plain event loop: QTest::qWait sleeps between its turns, which would make the timers late.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(Seconds(beats.back() - Clock::now()) * 1000) + 300, &loop,
                       &QEventLoop::quit);
    loop.exec();
    tracker.stop();
    console.StopOutput();

    const std::vector<DmxFrame> frames = wire.Frames();
    EXPECT_EQ(wire.Malformed(), 0);
    ASSERT_GT(frames.size(), 100u);
    // The packets in which channel 1 reaches 200 again.
    std::vector<double> offsets;
    int level = frames.front().levels[0];
    int lowest = level;
    for (const DmxFrame& f : frames) {
      const int now = f.levels[0];
      lowest = std::min(lowest, now);
      // A full rise from 0 (at the wrap scene 0 is not reached before the next step).
      if (now == 200 && level != 200 && lowest == 0) {
        const Clock::time_point at{Clock::duration(f.timeNs)};
        const auto nearest = std::min_element(beats.begin(), beats.end(), [&](auto a, auto b) {
          return std::abs(Seconds(at - a)) < std::abs(Seconds(at - b));
        });
        offsets.push_back(Seconds(at - *nearest) * 1000.0);
      }
      level = now;
      if (now == 200) lowest = 200;
    }
    // The grid locks on the third beat; from then on every beat steps the show, and at least every
    // fourth beat is a full rise from 0 to 200.
    EXPECT_GE(offsets.size(), (beats.size() - 4) / 4);
    EXPECT_LE(offsets.size(), beats.size() / 2 + 1);
    // The change goes out in the tick nearest the beat: within half a tick of it, and a little
    // for a busy machine.
    for (const double ms : offsets) EXPECT_LE(std::abs(ms), 35.0) << ms;
    if (mode == kCrossfadeAutomat) {
      // The crossfade is under way before the beat: half way there a few ticks early.
      bool halfway = false;
      for (const DmxFrame& f : frames) halfway = halfway || (f.levels[0] > 50 && f.levels[0] < 150);
      EXPECT_TRUE(halfway);
    }
  }
}

}  // namespace
}  // namespace kalvetro
