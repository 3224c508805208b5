// SPDX-License-Identifier: GPL-3.0-or-later
// The console without a window: it ticks, sends to a port, opens and clears shows while the
// output runs, and keeps every packet whole on a line that stalls.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/Console.h"
#include "app/ShowFiles.h"
#include "app/ShowUndo.h"
#include "output/DmxLink.h"
#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "support/CallbackSink.h"
#include "support/ConsoleOptionsIn.h"
#include "support/FakeSerialDevice.h"

namespace kalvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::OptionsIn;
using testing::Pty;

// A show file whose scene 0 has every channel at `level` and whose other bytes follow from it.
QString WriteUniformShow(const QTemporaryDir& dir, const char* name, std::uint8_t level) {
  QByteArray bytes(kShowFileSize, static_cast<char>(level));
  bytes[kCurrentStep] = 0;
  bytes[kLastScene] = 1;
  bytes[kTempo] = 44;
  for (int n = kSelectFlags; n < kSelectFlags + kRowSize; ++n) bytes[n] = 0;  // no pad, no strips
  for (int n = kStaticPictures; n < kSelectFlags; ++n) bytes[n] = 0;          // no pictures
  QFile file(dir.filePath(QString::fromLatin1(name)));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return file.fileName();
}

TEST(ConsoleCore, TicksAndSendsPacketsToAPortWithoutAnyWidget) {
  QTemporaryDir dir;
  Pty pty;
  Console console(OptionsIn(dir, QString::fromStdString(pty.Path())));
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.ClearAll();
  for (int n = 1; n <= 255; ++n) console.Show().DataWrite(0, static_cast<std::uint8_t>(n), n);
  console.Controls().crossfade.mode = kCrossfadeOff;
  console.StartOutput();

  const Bytes bytes = pty.Receive(10 * 517, 3000);
  console.StopOutput();
  DmxStreamDecoder decoder;
  std::vector<DmxFrame> frames;
  decoder.Feed(bytes, 0, [&](const DmxFrame& f) { frames.push_back(f); });
  ASSERT_GE(frames.size(), 8u);
  EXPECT_EQ(decoder.Malformed(), 0);
  EXPECT_EQ(decoder.SkippedBytes(), 0);
  // From the first whole tick on, every packet carries scene 0.
  for (std::size_t i = 1; i < frames.size(); ++i)
    for (int n = 1; n <= 255; ++n) ASSERT_EQ(frames[i].levels[n - 1], n) << "packet " << i;
  EXPECT_GE(console.Link().SentPackets(), static_cast<long>(frames.size()));
}

TEST(ConsoleCore, OpeningAndClearingAShowNeverSendsAHalfReplacedFrame) {
  QTemporaryDir dir;
  const QString dark = WriteUniformShow(dir, "dark.klv", 10);
  const QString bright = WriteUniformShow(dir, "bright.klv", 200);
  Console console(OptionsIn(dir, QStringLiteral("/dev/kalvetro-no-such-port")));
  console.Controls().crossfade.mode = kCrossfadeOff;  // the frame takes the scene at once

  // The sink sees every finished frame; a frame must be one show or the other (or the empty
  // show), never a mix.
  std::atomic<long> frames{0};
  std::atomic<long> mixed{0};
  testing::CallbackSink sink([&](const OutputFrames& out) {
    const int first = out.Output(1);
    for (int n = 2; n <= 255; ++n) {
      if (out.Output(n) != first) {
        mixed.fetch_add(1);
        break;
      }
    }
    frames.fetch_add(1);
  });
  console.Engine().AddSink(&sink);

  // The tick runs back to back on its own thread, as fast as it can, while the user-interface
  // thread replaces the image again and again.
  std::atomic<bool> stop{false};
  std::thread output([&] {
    while (!stop.load()) console.Engine().Tick();
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  long replaced = 0;
  while (std::chrono::steady_clock::now() < end) {
    ASSERT_TRUE(console.Files().OpenShow(dark).ok);
    ASSERT_TRUE(console.Files().OpenShow(bright).ok);
    console.ClearAll();
    replaced += 3;
  }
  stop = true;
  output.join();

  EXPECT_GT(replaced, 30);
  EXPECT_GT(frames.load(), 1000);
  EXPECT_EQ(mixed.load(), 0);
}

// The fake device takes half a packet, then nothing for three ticks, then everything again.
TEST(DmxLinkTail, ATornPacketIsFinishedBeforeAnyNewPacketStarts) {
  auto line = serial::FakeSerialLine::Create("fake:torn");
  std::atomic<TitlePrefixId> prefix{TitlePrefixId::Initialization};
  DmxLink link(QStringLiteral("fake:torn"), prefix);
  ASSERT_TRUE(link.OpenAtStart().ok);
  OutputFrames frames;
  for (int n = 1; n <= 256; ++n) frames.SetOutput(n, static_cast<std::uint8_t>(n % 255));

  line->LimitWrites({131, 0, 0, 0});
  for (int tick = 0; tick < 5; ++tick) link.SendPacket(frames);
  EXPECT_EQ(link.CompletedTails(), 1);
  EXPECT_EQ(link.DroppedPackets(), 3);
  EXPECT_EQ(link.SentPackets(), 1);

  // On the wire: exactly two whole packets, not a byte outside them.
  const Bytes written = line->Written();
  EXPECT_EQ(written.size(), 2 * 262u);
  DmxStreamDecoder decoder;
  std::vector<DmxFrame> decoded;
  decoder.Feed(written, 0, [&](const DmxFrame& f) { decoded.push_back(f); });
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_EQ(decoder.Malformed(), 0);
  EXPECT_EQ(decoder.SkippedBytes(), 0);
  EXPECT_EQ(decoded[1].levels[99], 100);
  link.CloseAtShutdown();
}

// A far end that stops reading twice for five seconds, as a stalled USB bridge or a tunnel of
// the serial line does, then reads again.
TEST(DmxLinkTail, AStalledReaderGetsOnlyWholePacketsAndTheShowResumesAtOnce) {
  QTemporaryDir dir;
  Pty pty;
  Console console(OptionsIn(dir, QString::fromStdString(pty.Path())));
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.ClearAll();
  console.Controls().crossfade.mode = kCrossfadeOff;
  for (int n = 1; n <= 255; ++n) console.Show().DataWrite(0, static_cast<std::uint8_t>(n), 254);
  console.StartOutput();

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto ms = [start] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  };
  DmxStreamDecoder decoder;
  std::vector<std::int64_t> frameTimes;  // ms since start at which each packet arrived
  std::vector<DmxFrame> frames;
  auto readFor = [&](int duration) {
    const auto until = Clock::now() + std::chrono::milliseconds(duration);
    while (Clock::now() < until) {
      std::uint8_t buffer[4096];
      const ssize_t n = ::read(pty.Master(), buffer, sizeof buffer);
      if (n > 0) {
        decoder.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), ms(),
                     [&](const DmxFrame& f) {
                       frameTimes.push_back(f.timeNs);
                       frames.push_back(f);
                     });
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
  };
  readFor(1000);
  std::vector<std::int64_t> returns;
  for (int stall = 0; stall < 2; ++stall) {
    std::this_thread::sleep_for(std::chrono::seconds(5));
    returns.push_back(ms());
    readFor(1500);
  }
  console.StopOutput();

  EXPECT_EQ(decoder.Malformed(), 0);
  EXPECT_EQ(decoder.SkippedBytes(), 0);
  // Two stalls of 100 ticks: what the line's queue could not take was dropped whole.
  EXPECT_GT(console.Link().DroppedPackets(), 40);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().levels[0], 254);
  EXPECT_EQ(frames.back().levels[254], 254);
  for (const std::int64_t back : returns) {
    // Once the reader is back, packets follow one another at the tick: after the queued ones
    // are read, no gap of much more than a tick (scheduling on a busy machine allowed for).
    std::vector<std::int64_t> after;
    for (const std::int64_t t : frameTimes)
      if (t >= back && t < back + 1500) after.push_back(t);
    ASSERT_GE(after.size(), 20u);
    EXPECT_LE(after.front() - back, 60);
    for (std::size_t i = 1; i < after.size(); ++i) EXPECT_LE(after[i] - after[i - 1], 200) << i;
  }
}

// Every edit goes through one door: the undo copy is taken before the edit runs when asked,
// and the views hear of what changed in the order they rely on (the selection before the
// whole refresh, the levels after it); an edit that changed nothing says nothing.
TEST(ConsoleCore, AnEditTakesItsUndoCopyFirstAndAnnouncesWhatItChangedInOrder) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QStringLiteral("/nonexistent/port")));
  console.ClearAll();
  const int level = SceneRowOffset(0) + 7;
  console.Show().memory.Set(level, 11);

  std::vector<QString> heard;
  QObject::connect(&console, &Console::Changed, [&](ShowArea area) {
    heard.push_back(QStringLiteral("area %1").arg(static_cast<int>(area)));
  });
  QObject::connect(&console, &Console::ShowSettingsRefresh,
                   [&] { heard.push_back(QStringLiteral("refresh")); });

  const ShowEdit changed = console.Edit(UndoCopy::Take, [&](ShowState& show) {
    show.memory.Set(level, 99);
    return ShowEdit(ShowArea::Levels) | ShowEdit::Reshaped() | ShowArea::Selection;
  });
  EXPECT_TRUE(changed.Has(ShowArea::Levels) && changed.Reshapes());
  EXPECT_EQ(heard, (std::vector<QString>{
                       QStringLiteral("area %1").arg(static_cast<int>(ShowArea::Selection)),
                       QStringLiteral("refresh"),
                       QStringLiteral("area %1").arg(static_cast<int>(ShowArea::Levels))}));
  EXPECT_TRUE(console.Undo().Available());
  console.Undo().Restore();
  EXPECT_EQ(console.Show().memory.Get(level), 11) << "the copy was taken after the edit ran";

  heard.clear();
  console.Edit(UndoCopy::Keep, [](ShowState&) { return ShowEdit(); });
  EXPECT_TRUE(heard.empty());
}

}  // namespace
}  // namespace kalvetro
