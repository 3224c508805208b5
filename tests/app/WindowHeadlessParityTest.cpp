// SPDX-License-Identifier: GPL-3.0-or-later
// The window and the headless player play the same show on the same show runner: with the same
// run options they put the same packets on the wire.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "show/ShowMemory.h"
#include "support/ConsoleProcess.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using testing::Pty;

// Four scenes at tempo 20 (400 ms a scene): channel 1 at 10, 60, 110, 160. Automat 1 with
// program 1 on channels 31..34 at tempo 10; picture 2 holds channel 40 at 90.
QString WriteShow(const QTemporaryDir& dir) {
  return testing::TestShow(3, 20)
      .Levels(1, {10, 60, 110, 160})
      .Automat(1, 10, 30, 1, 200)
      .Picture(1, 40, 90)
      .WriteTo(dir, QStringLiteral("parity.klv"));
}

// Settings and autosave of its own: no last show of the user's comes in between.
QProcess* StartConsole(QObject* owner, const QTemporaryDir& home, const QStringList& arguments) {
  return testing::StartConsoleProcess(owner, arguments,
                                      {.configHome = home.filePath(QStringLiteral("config")),
                                       .dataHome = home.filePath(QStringLiteral("data")),
                                       .offscreen = true});
}

// The values a stream of frames went through, each run of equal values once. The first run is
// left out: where a stream starts depends on when its program came up.
template <typename Value, typename Pick>
std::vector<Value> ChangesOf(const std::vector<DmxFrame>& frames, Pick pick) {
  std::vector<Value> changes;
  for (const DmxFrame& f : frames) {
    const Value value = pick(f);
    if (changes.empty() || changes.back() != value) changes.push_back(value);
  }
  if (!changes.empty()) changes.erase(changes.begin());
  return changes;
}

// How many values the two walks share when one of them is shifted by up to `slack` places (the
// window comes up later than the player and its line may start a few changes on): the longest
// overlap in which every value is the same, 0 when no shift makes them agree.
template <typename Value>
std::size_t SharedWalk(const std::vector<Value>& a, const std::vector<Value>& b, int slack) {
  std::size_t best = 0;
  for (int shift = -slack; shift <= slack; ++shift) {
    const std::size_t from_a = shift < 0 ? static_cast<std::size_t>(-shift) : 0;
    const std::size_t from_b = shift > 0 ? static_cast<std::size_t>(shift) : 0;
    if (from_a >= a.size() || from_b >= b.size()) continue;
    const std::size_t overlap = std::min(a.size() - from_a, b.size() - from_b);
    if (std::equal(a.begin() + from_a, a.begin() + from_a + overlap, b.begin() + from_b))
      best = std::max(best, overlap);
  }
  return best;
}

TEST(WindowHeadlessParity, TheSameShowAndRunOptionsPutTheSamePacketsOnTheWire) {
  QTemporaryDir dir;
  const QString show = WriteShow(dir);
  const QStringList run = {QStringLiteral("--crossfade"), QStringLiteral("off"),
                           QStringLiteral("--automat"),   QStringLiteral("1"),
                           QStringLiteral("--picture"),   QStringLiteral("2")};
  Pty windowPort;
  Pty headlessPort;
  QObject owner;
  QProcess* window = StartConsole(&owner, dir,
                                  QStringList{QStringLiteral("--play"), QStringLiteral("--port"),
                                              QString::fromStdString(windowPort.Path())} +
                                      run + QStringList{show});
  QProcess* headless =
      StartConsole(&owner, dir,
                   QStringList{QStringLiteral("--headless"), QStringLiteral("--port"),
                               QString::fromStdString(headlessPort.Path())} +
                       run + QStringList{show});
  ASSERT_TRUE(window->waitForStarted(5000));
  ASSERT_TRUE(headless->waitForStarted(5000));

  // Both far ends are read side by side, so that neither line ever backs up.
  std::vector<std::uint8_t> windowBytes;
  std::vector<std::uint8_t> headlessBytes;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(14);
  while (std::chrono::steady_clock::now() < end) {
    std::uint8_t buffer[4096];
    for (auto [fd, bytes] : {std::pair{windowPort.Master(), &windowBytes},
                             std::pair{headlessPort.Master(), &headlessBytes}}) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  window->kill();
  headless->kill();
  window->waitForFinished(5000);
  headless->waitForFinished(5000);

  auto decode = [](const std::vector<std::uint8_t>& bytes) {
    std::vector<DmxFrame> frames;
    DmxStreamDecoder decoder;
    decoder.Feed(bytes, 0, [&](const DmxFrame& f) { frames.push_back(f); });
    EXPECT_EQ(decoder.Malformed(), 0);
    return frames;
  };
  const std::vector<DmxFrame> fromWindow = decode(windowBytes);
  const std::vector<DmxFrame> fromHeadless = decode(headlessBytes);
  // The window takes longer to come up; ten seconds of play from each at the least.
  ASSERT_GE(fromWindow.size(), 200u);
  ASSERT_GE(fromHeadless.size(), 200u);

  // The scenes, one after the other, the same in both (the sequencer clock and the output
  // tick are not in phase, so a change may come a tick sooner or later: runs are compared).
  auto scene = [](const DmxFrame& f) { return int{f.levels[0]}; };
  const auto scenesW = ChangesOf<int>(fromWindow, scene);
  const auto scenesH = ChangesOf<int>(fromHeadless, scene);
  EXPECT_GE(SharedWalk(scenesW, scenesH, 8), 20u);

  // The automat's steps on channels 31..34, the same walk in both.
  using Four = std::array<int, 4>;
  auto automat = [](const DmxFrame& f) {
    return Four{f.levels[30], f.levels[31], f.levels[32], f.levels[33]};
  };
  const auto stepsW = ChangesOf<Four>(fromWindow, automat);
  const auto stepsH = ChangesOf<Four>(fromHeadless, automat);
  EXPECT_GE(SharedWalk(stepsW, stepsH, 16), 40u);

  // Every other slot is the same in every packet of both: the latched picture and dark.
  for (const auto* frames : {&fromWindow, &fromHeadless}) {
    for (std::size_t i = frames->size() / 4; i < frames->size(); ++i) {
      const DmxFrame& f = (*frames)[i];
      for (int n = 2; n <= kDmxDataSlots; ++n) {
        if (n >= 31 && n <= 34) continue;
        ASSERT_EQ(f.levels[n - 1], n == 40 ? 90 : 0) << "packet " << i << " slot " << n;
      }
    }
  }
}

}  // namespace
}  // namespace kalvetro
