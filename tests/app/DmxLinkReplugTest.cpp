// SPDX-License-Identifier: GPL-3.0-or-later
// The DMX interface pulled out in the middle of a show and pushed back in: the link finds it
// again by itself, says so both ways, and the output tick never stops meanwhile.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/Console.h"
#include "output/DmxLink.h"
#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "support/CallbackSink.h"
#include "support/ConsoleOptionsIn.h"
#include "support/FakeSerialDevice.h"

namespace kalvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using serial::FakeSerialLine;
using testing::Pty;
using testing::Pump;
using testing::WaitFor;

const QString kWriteFailed = QStringLiteral("Ошибка записи в порт");

using testing::OptionsIn;

// Scene 0 of the console at one level on every channel; the frame takes it at once.
void SetSceneLevel(Console& console, std::uint8_t level) {
  for (int n = 1; n <= 255; ++n) console.Show().DataWrite(0, static_cast<std::uint8_t>(n), level);
}

long MillisSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::vector<DmxFrame> Decode(const Bytes& bytes, DmxStreamDecoder& decoder) {
  std::vector<DmxFrame> frames;
  decoder.Feed(bytes, 0, [&](const DmxFrame& f) { frames.push_back(f); });
  return frames;
}

// Every channel 1..255 of the packet at `level`.
bool AllAt(const DmxFrame& frame, int level) {
  for (int n = 1; n <= 255; ++n)
    if (frame.levels[n - 1] != level) return false;
  return true;
}

TEST(DmxLinkReplug, AnUnpluggedInterfaceIsOpenedAgainWhenItComesBackUnderItsName) {
  QTemporaryDir dir;
  auto line = FakeSerialLine::Create("fake:replug");
  Console console(OptionsIn(dir, QStringLiteral("fake:replug")));
  QStringList status;
  QObject::connect(&console, &Console::StatusMessage, [&](const QString& t) { status << t; });
  std::atomic<long> ticks{0};
  testing::CallbackSink counter([&](const OutputFrames&) { ticks.fetch_add(1); });
  console.Engine().AddSink(&counter);
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.ClearAll();
  console.Controls().crossfade.mode = kCrossfadeOff;
  SetSceneLevel(console, 40);
  console.SetTitlePrefix(TitlePrefixId::Running);
  console.StartOutput();
  ASSERT_TRUE(WaitFor([&] { return line->Written().size() >= 5 * kDmxMinPacket; }));

  // Pulled out: one message, the device released, nothing written any more.
  line->Unplug();
  ASSERT_TRUE(WaitFor([&] { return status.contains(kWriteFailed); }, 2000));
  EXPECT_TRUE(WaitFor([&] { return !line->IsOpen(); }, 1000));
  EXPECT_FALSE(console.Link().PortOpen());
  EXPECT_TRUE(console.Link().Reopening());
  const std::size_t writtenBefore = line->Written().size();

  // While it is away the show changes and the tick goes on; nothing is kept for later.
  SetSceneLevel(console, 77);
  const long ticksAway = ticks.load();
  Pump(1000);
  EXPECT_GE(ticks.load() - ticksAway, 12);  // 20 at the period; a busy machine is allowed for
  EXPECT_EQ(console.TitlePrefix(), TitlePrefixId::DemoModeLink);
  EXPECT_EQ(status.count(kWriteFailed), 1);
  EXPECT_EQ(line->Written().size(), writtenBefore);

  // Pushed back in under the same name (the old line object still exists, as a driver's
  // stale device does): the link opens it by itself within a second.
  auto back = FakeSerialLine::Create("fake:replug");
  const auto plugged = Clock::now();
  ASSERT_TRUE(WaitFor([&] { return back->Written().size() >= kDmxMinPacket; }, 3000));
  EXPECT_LE(MillisSince(plugged), 1000);
  const QString reopened = QStringLiteral(" Порт снова открыт: fake:replug");
  EXPECT_EQ(status.count(reopened), 1);
  EXPECT_TRUE(back->Dtr());
  EXPECT_TRUE(back->Rts());
  EXPECT_TRUE(console.Link().PortOpen());
  EXPECT_FALSE(console.Link().Reopening());
  Pump(500);
  const long sinceReturn = MillisSince(plugged);
  console.StopOutput();
  EXPECT_EQ(console.TitlePrefix(), TitlePrefixId::Running);

  // Only whole packets of the show as it is now, one per tick since the return: nothing that
  // was missed while the interface was away comes in a burst.
  DmxStreamDecoder decoder;
  const std::vector<DmxFrame> frames = Decode(back->Written(), decoder);
  EXPECT_EQ(decoder.Malformed(), 0);
  EXPECT_EQ(decoder.SkippedBytes(), 0);
  ASSERT_GE(frames.size(), 5u);
  EXPECT_LE(static_cast<long>(frames.size()), sinceReturn / kOutputPeriodMs + 2);
  for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_TRUE(AllAt(frames[i], 77)) << i;
  EXPECT_EQ(status.count(kWriteFailed), 1);

  console.Link().CloseAtShutdown();
  EXPECT_FALSE(back->IsOpen());
  EXPECT_FALSE(back->Dtr());
}

TEST(DmxLinkReplug, DemoModeAndTheOperatorsPortChangeStopTheSearch) {
  auto first = FakeSerialLine::Create("fake:search-a");
  std::atomic<TitlePrefixId> prefix{TitlePrefixId::Running};
  DmxLink link(QStringLiteral("fake:search-a"), prefix);
  ASSERT_TRUE(link.OpenAtStart().ok);
  OutputFrames frames;
  for (int n = 1; n <= 256; ++n) frames.SetOutput(n, 9);
  link.SendPacket(frames);
  EXPECT_EQ(link.SentPackets(), 1);

  first->Unplug();
  link.SendPacket(frames);  // fails: reported, the port counts as closed
  link.SendPacket(frames);  // nothing to write to
  EXPECT_EQ(prefix.load(), TitlePrefixId::DemoModeLink);
  ASSERT_TRUE(WaitFor([&] { return link.Reopening(); }, 1000));

  // In demo mode the link sends nothing and leaves a returning device alone.
  link.SetDemo(true);
  EXPECT_FALSE(link.Reopening());
  auto back = FakeSerialLine::Create("fake:search-a");
  Pump(800);
  EXPECT_FALSE(back->IsOpen());
  EXPECT_FALSE(link.PortOpen());

  // Demo off again: the lost port is looked for and found.
  link.SetDemo(false);
  EXPECT_TRUE(link.Reopening());
  ASSERT_TRUE(WaitFor([&] { return back->IsOpen(); }, 1000));
  EXPECT_TRUE(link.PortOpen());
  EXPECT_FALSE(link.Reopening());
  link.SendPacket(frames);
  EXPECT_EQ(back->Written().size(), kDmxMinPacket);
  EXPECT_EQ(link.SentPackets(), 2);

  // Lost again, and the operator chooses another port: the old name is no longer tried.
  back->Unplug();
  link.SendPacket(frames);
  ASSERT_TRUE(WaitFor([&] { return link.Reopening(); }, 1000));
  auto other = FakeSerialLine::Create("fake:search-b");
  ASSERT_TRUE(link.ChangePort(QStringLiteral("fake:search-b")).ok);
  EXPECT_FALSE(link.Reopening());
  auto again = FakeSerialLine::Create("fake:search-a");
  Pump(800);
  EXPECT_FALSE(again->IsOpen());
  link.SendPacket(frames);
  EXPECT_EQ(other->Written().size(), kDmxMinPacket);

  // A port change to a name that is not there enters demo mode; nothing is looked for.
  ASSERT_FALSE(link.ChangePort(QStringLiteral("fake:search-none")).ok);
  EXPECT_TRUE(link.Demo());
  EXPECT_FALSE(link.Reopening());
  link.CloseAtShutdown();
}

// Re-points the symbolic link at path to target in one step, as udev does with a stable
// device name when the interface returns.
void PointLink(const std::string& path, const std::string& target) {
  const std::string temporary = path + ".new";
  ::unlink(temporary.c_str());
  ASSERT_EQ(::symlink(target.c_str(), temporary.c_str()), 0);
  ASSERT_EQ(std::rename(temporary.c_str(), path.c_str()), 0);
}

TEST(DmxLinkReplug, APseudoTerminalBehindAStableNameIsFoundAgainAfterItsMasterCloses) {
  QTemporaryDir dir;
  auto first = std::make_unique<Pty>();
  ASSERT_FALSE(first->Path().empty());
  const std::string path = dir.filePath(QStringLiteral("ttyDMX")).toStdString();
  PointLink(path, first->Path());
  Console console(OptionsIn(dir, QString::fromStdString(path)));
  QStringList status;
  QObject::connect(&console, &Console::StatusMessage, [&](const QString& t) { status << t; });
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.ClearAll();
  console.Controls().crossfade.mode = kCrossfadeOff;
  SetSceneLevel(console, 60);
  console.StartOutput();
  ASSERT_GE(first->Receive(5 * kDmxMinPacket).size(), 5 * kDmxMinPacket);

  // The far end goes: writes fail with an I/O error, once reported. The name goes with it, as
  // udev removes the link of an unplugged device; left pointing at the old terminal, it could
  // lead to a terminal that another program (another test) opens under the freed number.
  first->CloseMaster();
  ASSERT_EQ(std::remove(path.c_str()), 0);
  ASSERT_TRUE(WaitFor([&] { return status.contains(kWriteFailed); }, 2000));
  EXPECT_TRUE(console.Link().Reopening());
  first.reset();
  SetSceneLevel(console, 90);
  Pump(600);  // a few attempts find nothing behind the name

  // The interface returns as a new terminal behind the same name.
  Pty second;
  PointLink(path, second.Path());
  const auto plugged = Clock::now();
  const Bytes firstPacket = second.Receive(kDmxMinPacket, 3000);
  ASSERT_GE(firstPacket.size(), kDmxMinPacket);
  EXPECT_LE(MillisSince(plugged), 1000);
  const Bytes more = second.Receive(5 * kDmxMinPacket, 3000);
  console.StopOutput();

  EXPECT_EQ(status.count(QStringLiteral(" Порт снова открыт: ") + QString::fromStdString(path)), 1);
  EXPECT_EQ(status.count(kWriteFailed), 1);
  Bytes all = firstPacket;
  all.insert(all.end(), more.begin(), more.end());
  DmxStreamDecoder decoder;
  const std::vector<DmxFrame> frames = Decode(all, decoder);
  EXPECT_EQ(decoder.Malformed(), 0);
  EXPECT_EQ(decoder.SkippedBytes(), 0);
  ASSERT_GE(frames.size(), 5u);
  for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_TRUE(AllAt(frames[i], 90)) << i;
  console.Link().CloseAtShutdown();
}

}  // namespace
}  // namespace kalvetro
