// SPDX-License-Identifier: GPL-3.0-or-later
// The OSC remote over real UDP, the console on a pseudo-terminal: what each address does on
// the wire and to the show, the state sent back to clients, and bad input of every kind.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "output/DmxLink.h"
#include "output/OutputControls.h"
#include "playback/Automats.h"
#include "remote/OscRemote.h"
#include "remote/OscTestSupport.h"
#include "remote/Remotes.h"
#include "support/ConsoleOptionsIn.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using testing::OptionsIn;
using testing::OscBundle;
using testing::OscClient;
using testing::OscMessage;
using testing::OscReply;
using testing::OscWire;
using testing::Pty;

constexpr int kPictureChannel = 20;
constexpr int kPictureLevel = 77;
constexpr int kAutomatFirst = 9;  // automat 1 drives channels 10..13

// Three scenes: channel 1 at 10, 200, 100 and channel 2 at 50 in each; tempo 10. Picture 3
// holds channel 20 at 77; automat 1 lights channels 10..13 with program 2.
QString WriteShow(const QTemporaryDir& dir) {
  return testing::TestShow(2, 10)
      .Levels(1, {10, 200, 100})
      .Levels(2, {50, 50, 50})
      .Automat(1, 5, kAutomatFirst, 2, 250, 5)
      .Picture(2, kPictureChannel, kPictureLevel)
      .WriteTo(dir, QStringLiteral("show.klv"));
}

// A console playing nothing yet on a pseudo-terminal, its OSC remote on a free port, and a
// client of it.
struct OscBench {
  QTemporaryDir dir;
  Pty pty;
  Console console{OptionsIn(dir, QString::fromStdString(pty.Path()))};
  RemoteControl door{console};
  Remotes remotes{door};
  ShowRunner& runner = console.Runner();
  OscRemote& osc = remotes.Osc();
  OscWire wire{pty};
  int port = 0;

  OscBench() {
    EXPECT_TRUE(console.Link().OpenAtStart().ok);
    console.ClearAll();
    EXPECT_TRUE(console.Files().OpenShow(WriteShow(dir)).ok);
    console.Show().memory.Set(kCurrentStep, 0);
    console.RefreshAll();
    runner.SetCrossfadeMode(kCrossfadeOff);  // a scene's levels at once
    port = testing::FreeUdpPort();
    EXPECT_TRUE(osc.Start(port).ok) << osc.BindError().toStdString();
    console.StartOutput();
  }
  ~OscBench() { console.StopOutput(); }

  // Sends a datagram and lets the console read it.
  void Send(OscClient& client, const QByteArray& datagram) {
    const long before = osc.MessageCount() + osc.BadCount();
    wire.Drain();
    client.Send(datagram);
    EXPECT_TRUE(testing::WaitFor([&] { return osc.MessageCount() + osc.BadCount() > before; }))
        << "the datagram never arrived";
  }
};

TEST(OscRemote, EveryAddressChangesTheWireOrTheShowAsDocumented) {
  OscBench b;
  OscClient client(b.port);
  ShowState& show = b.console.Show();
  ASSERT_TRUE(b.wire.WaitForLevel(1, 10));

  // Scenes: next, previous, a scene by number; floats that are whole numbers count as ints.
  b.Send(client, OscMessage("/kalvetro/next"));
  EXPECT_TRUE(b.wire.WaitForLevel(1, 200));
  b.Send(client, OscMessage("/kalvetro/previous", {1.0f}));
  EXPECT_TRUE(b.wire.WaitForLevel(1, 10));
  b.Send(client, OscMessage("/kalvetro/next", {0}));  // a button let go: nothing
  b.Send(client, OscMessage("/kalvetro/scene", {3.0f}));
  EXPECT_TRUE(b.wire.WaitForLevel(1, 100));
  EXPECT_EQ(show.CurrentStep(), 2);
  b.Send(client, OscMessage("/kalvetro/scene", {4}));  // the show has three
  EXPECT_EQ(show.CurrentStep(), 2);
  EXPECT_EQ(b.osc.BadCount(), 1);
  EXPECT_NE(b.osc.LastError().indexOf(QStringLiteral("Сцена 4")), -1)
      << b.osc.LastError().toStdString();

  // A picture flash puts its levels on and takes them off; a latched one stays.
  b.Send(client, OscMessage("/kalvetro/picture", {3, 1}));
  EXPECT_TRUE(b.wire.WaitForLevel(kPictureChannel, kPictureLevel));
  b.Send(client, OscMessage("/kalvetro/picture", {3, 0}));
  EXPECT_TRUE(b.wire.WaitForLevel(kPictureChannel, 0));
  b.Send(client, OscMessage("/kalvetro/latch", {3.0f, 1.0f}));
  b.Send(client, OscMessage("/kalvetro/picture", {3, 0}));
  EXPECT_TRUE(b.wire.WaitForLevel(kPictureChannel, kPictureLevel));
  EXPECT_TRUE(b.runner.PictureLatched(2));
  b.Send(client, OscMessage("/kalvetro/latch", {3, 0}));
  EXPECT_TRUE(b.wire.WaitForLevel(kPictureChannel, 0));

  // A channel's level goes into the current scene while stopped; a half is refused.
  b.Send(client, OscMessage("/kalvetro/channel", {5, 99}));
  EXPECT_TRUE(b.wire.WaitForLevel(5, 99));
  EXPECT_EQ(show.memory.Get(SceneRowOffset(2) + 5), 99);
  b.Send(client, OscMessage("/kalvetro/channel", {6.0f, 33.0f}));
  EXPECT_TRUE(b.wire.WaitForLevel(6, 33));
  b.Send(client, OscMessage("/kalvetro/channel", {6.0f, 33.5f}));
  EXPECT_EQ(b.osc.BadCount(), 2);
  EXPECT_EQ(show.memory.Get(SceneRowOffset(2) + 6), 33);

  b.Send(client, OscMessage("/kalvetro/tempo", {120}));
  EXPECT_EQ(b.runner.Tempo(), 120);
  EXPECT_EQ(show.memory.Get(kTempo), 120);

  // The automat runs with the show: once playing, its pattern lights channels 10..13.
  b.Send(client, OscMessage("/kalvetro/automat", {1, 1}));
  EXPECT_TRUE(b.runner.AutomatWithShow(1));
  b.Send(client, OscMessage("/kalvetro/play", {1}));
  EXPECT_TRUE(b.runner.Playing());
  EXPECT_TRUE(b.wire.WaitForFrame([](const DmxFrame& f) {
    return f.levels[kAutomatFirst] >= 5 && f.levels[kAutomatFirst + 1] >= 5;
  }));
  // While playing a channel's level is refused and the scene keeps its bytes.
  const int step = show.CurrentStep();
  const std::uint8_t kept = show.memory.Get(SceneRowOffset(step) + 7);
  b.Send(client, OscMessage("/kalvetro/channel", {7, 140}));
  EXPECT_EQ(b.osc.BadCount(), 3);
  EXPECT_EQ(show.memory.Get(SceneRowOffset(step) + 7), kept);
  EXPECT_NE(b.osc.LastError().indexOf(QStringLiteral("воспроизведение")), -1);

  // Blackout: every slot dark, and the show stops as with the key.
  b.Send(client, OscMessage("/kalvetro/blackout", {1}));
  EXPECT_TRUE(b.wire.WaitForFrame([](const DmxFrame& f) {
    for (std::uint8_t v : f.levels)
      if (v != 0) return false;
    return true;
  }));
  EXPECT_FALSE(b.runner.Playing());
  b.Send(client, OscMessage("/kalvetro/blackout", {0}));
  EXPECT_TRUE(b.wire.WaitForLevel(2, 50));
  b.Send(client, OscMessage("/kalvetro/play", {1.0f}));
  EXPECT_TRUE(b.runner.Playing());
  b.Send(client, OscMessage("/kalvetro/play", {0}));
  EXPECT_FALSE(b.runner.Playing());
  b.Send(client, OscMessage("/kalvetro/automat", {1, 0}));
  EXPECT_FALSE(b.runner.AutomatWithShow(1));

  // A bundle runs its messages in order.
  b.Send(client,
         OscBundle({OscMessage("/kalvetro/scene", {2}), OscMessage("/kalvetro/channel", {8, 61})}));
  EXPECT_TRUE(b.wire.WaitForLevel(8, 61));
  EXPECT_EQ(show.memory.Get(SceneRowOffset(1) + 8), 61);
  EXPECT_EQ(b.osc.BadCount(), 3);
  EXPECT_NE(b.osc.LastMessage().indexOf(QStringLiteral("/kalvetro/channel 8 61")), -1)
      << b.osc.LastMessage().toStdString();
  // A bundle whose last message the show refuses (scene 4 of 3) runs none of its messages.
  b.Send(client,
         OscBundle({OscMessage("/kalvetro/blackout", {1}), OscMessage("/kalvetro/channel", {8, 99}),
                    OscMessage("/kalvetro/scene", {4})}));
  EXPECT_EQ(b.osc.BadCount(), 4);
  EXPECT_TRUE(b.osc.LastError().contains(QStringLiteral("Сцена 4 вне 1..3")))
      << b.osc.LastError().toStdString();
  EXPECT_FALSE(b.console.Runner().BlackOut());
  EXPECT_EQ(show.memory.Get(SceneRowOffset(1) + 8), 61);
  EXPECT_TRUE(b.wire.WaitForLevel(8, 61));
  EXPECT_EQ(b.wire.Malformed(), 0);
}

TEST(OscRemote, ClientsHearEveryChangeWhoeverMadeItAndSyncGivesTheWholeState) {
  OscBench b;
  OscClient client(b.port);
  OscClient silent(b.port);  // never sends a good message: hears nothing
  silent.Send(QByteArray("junk", 4));

  // Sync answers the sender with the whole state, from the server's own port.
  b.Send(client, OscMessage("/kalvetro/sync"));
  ASSERT_TRUE(client.WaitForReply({"/kalvetro/state/automat", {2, 0}}));
  std::vector<OscReply> whole = client.seen;
  EXPECT_EQ(whole.size(), 4u + 2 * kPictureCount + 2);
  auto has = [&](const OscReply& r) {
    return std::find(whole.begin(), whole.end(), r) != whole.end();
  };
  EXPECT_TRUE(has({"/kalvetro/state/scene", {1, 3}}));
  EXPECT_TRUE(has({"/kalvetro/state/playing", {0}}));
  EXPECT_TRUE(has({"/kalvetro/state/blackout", {0}}));
  EXPECT_TRUE(has({"/kalvetro/state/tempo", {10}}));
  EXPECT_TRUE(has({"/kalvetro/state/picture", {16, 0}}));
  EXPECT_EQ(client.foreignSenders, 0);
  EXPECT_EQ(client.undecodable, 0);
  client.seen.clear();

  // Changes made through the runner, as the window or the sequencer make them.
  b.runner.Next();
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/scene", {2, 3}}));
  b.runner.FlashPicture(2, true);
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/picture", {3, 1}}));
  b.runner.SetTempo(77);
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/tempo", {77}}));
  b.runner.Play();
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/playing", {1}}));
  b.runner.SetBlackOut(true);
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/blackout", {1}}));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/playing", {0}}));
  // And a change by OSC is confirmed to the client that made it.
  b.Send(client, OscMessage("/kalvetro/automat", {2, 1}));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/automat", {2, 1}}));
  EXPECT_EQ(client.foreignSenders, 0);

  EXPECT_TRUE(silent.Receive().empty());
  EXPECT_EQ(b.osc.ClientCount(), 1);
  EXPECT_EQ(b.osc.BadCount(), 1);

  // Stopped, the remote answers nobody and forgets its clients.
  b.osc.Stop();
  client.seen.clear();
  b.runner.SetBlackOut(false);
  testing::Pump(100);
  EXPECT_TRUE(client.Receive().empty());
  EXPECT_EQ(b.osc.ClientCount(), 0);
}

// Everything the operator could see of the show: its memory, the runner's state and the
// levels on the wire.
struct ShowPicture {
  std::vector<std::uint8_t> memory;
  RemoteState state;
  std::array<bool, kPictureCount> pictures{};
  std::array<bool, 2> automats{};
  bool playing = false;
  int tempo = 0;
  std::vector<std::uint8_t> output;

  ShowPicture(Console& console, Remotes& remotes) {
    for (int n = 0; n < kShowFileSize; ++n) memory.push_back(console.Show().memory.Get(n));
    state = remotes.Door().State();
    ShowRunner& runner = console.Runner();
    for (int k = 0; k < kPictureCount; ++k) pictures[k] = runner.Picture(k);
    for (int a = 1; a <= 2; ++a) automats[a - 1] = runner.AutomatWithShow(a);
    playing = runner.Playing();
    tempo = runner.Tempo();
    for (int c = 1; c <= kChannelCount; ++c) output.push_back(console.Frames().Output(c));
  }
  bool operator==(const ShowPicture& o) const {
    return memory == o.memory && state.scene == o.state.scene &&
           state.lastScene == o.state.lastScene && state.blackOut == o.state.blackOut &&
           state.pictures == o.state.pictures && state.latched == o.state.latched &&
           pictures == o.pictures && automats == o.automats && playing == o.playing &&
           tempo == o.tempo && output == o.output;
  }
};

// Ten thousand bad datagrams: random bytes, real messages cut short, wrong type tags, huge
// lengths and counts, values out of range, unknown addresses, bundles with one bad part.
std::vector<QByteArray> BadDatagrams(int count) {
  std::mt19937 random(20261208);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto word = [](quint32 v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
  };
  const std::vector<QByteArray> good = {
      OscMessage("/kalvetro/picture", {3, 1}), OscMessage("/kalvetro/channel", {5, 200}),
      OscMessage("/kalvetro/blackout", {1}),   OscMessage("/kalvetro/play", {1}),
      OscMessage("/kalvetro/tempo", {100}),    OscMessage("/kalvetro/scene", {2}),
      OscMessage("/kalvetro/latch", {4, 1}),   OscMessage("/kalvetro/automat", {1, 1})};
  const std::vector<QByteArray> fixed = {
      // Out of range, wrong counts and types.
      OscMessage("/kalvetro/picture", {17, 1}), OscMessage("/kalvetro/picture", {0, 1}),
      OscMessage("/kalvetro/picture", {3, 2}), OscMessage("/kalvetro/channel", {256, 1}),
      OscMessage("/kalvetro/channel", {1, 256}), OscMessage("/kalvetro/channel", {1, -1}),
      OscMessage("/kalvetro/tempo", {9}), OscMessage("/kalvetro/tempo", {171}),
      OscMessage("/kalvetro/scene", {0}), OscMessage("/kalvetro/scene", {4}),
      OscMessage("/kalvetro/automat", {3, 1}), OscMessage("/kalvetro/play", {2}),
      OscMessage("/kalvetro/blackout", {-1}), OscMessage("/kalvetro/blackout", {0.5f}),
      OscMessage("/kalvetro/tempo", {1e10f}), OscMessage("/kalvetro/tempo", {NAN}),
      OscMessage("/kalvetro/tempo", {INFINITY}), OscMessage("/kalvetro/play"),
      OscMessage("/kalvetro/play", {1, 1}), OscMessage("/kalvetro/picture", {3}),
      OscMessage("/kalvetro/next", {2}), OscMessage("/kalvetro/sync", {1, 1}),
      // Unknown addresses.
      OscMessage("/kalvetro/foo", {1}), OscMessage("/kalvetro/Play", {1}),
      OscMessage("/kalvetro/picture/3", {1}), OscMessage("/", {}), OscMessage("/kalvetro/*", {1}),
      // Type tags of other kinds with fitting data: a string, a blob, booleans, nil, double.
      QByteArray("/kalvetro/play\0\0,s\0\0"
                 "1\0\0\0",
                 24),
      QByteArray("/kalvetro/play\0\0,T\0\0", 20), QByteArray("/kalvetro/play\0\0,N\0\0", 20),
      QByteArray("/kalvetro/play\0\0,d\0\0", 20) + QByteArray(8, 0),
      QByteArray("/kalvetro/play\0\0,b\0\0", 20) + word(4) + word(1),
      // Huge lengths and counts: a blob and a bundle part claiming gigabytes, a type tag of
      // a thousand ints with no data, a bundle of a hundred good messages.
      QByteArray("/kalvetro/play\0\0,b\0\0", 20) + word(0xFFFFFF00u) + word(1),
      QByteArray("#bundle\0", 8) + QByteArray(8, 1) + word(0x7FFFFFF0u) + good[0],
      QByteArray("/kalvetro/channel\0\0\0", 20) + "," + QByteArray(1000, 'i') + QByteArray(3, 0),
      OscBundle(std::vector<QByteArray>(100, good[1])),
      // Bundles: one bad part spoils the whole, a short header, nesting too deep.
      OscBundle({good[0], OscMessage("/kalvetro/picture", {99, 1})}),
      OscBundle({good[1], QByteArray("junk", 4)}), QByteArray("#bundle\0\0\0\0\0", 12),
      OscBundle({OscBundle({OscBundle({OscBundle({OscBundle({good[2]})})})})}),
      // Not OSC at all.
      QByteArray("GET / HTTP/1.1\r\n\r\n"), QByteArray("{\"play\":1}"), QByteArray(4, 0)};

  std::vector<QByteArray> out;
  while (static_cast<int>(out.size()) < count) {
    const int kind = pick(5);
    QByteArray d;
    if (kind == 0) {  // random bytes, some starting like an address or a bundle
      d.resize(1 + pick(120));
      for (char& c : d) c = static_cast<char>(random());
      if (pick(3) == 0) d.replace(0, std::min<int>(d.size(), 10), "/kalvetro/");
      if (pick(5) == 0) {
        d.replace(0, std::min<int>(d.size(), 8), QByteArray("#bundle\0", 8));
        if (d.size() == 16) d.append('x');  // an empty bundle is good OSC: it asks for nothing
      }
    } else if (kind == 1) {  // a real message cut short
      const QByteArray& g = good[pick(static_cast<int>(good.size()))];
      d = g.left(1 + pick(static_cast<int>(g.size()) - 1));
    } else if (kind == 2) {  // a real message with one byte of its type tags or address changed
      d = good[pick(static_cast<int>(good.size()))];
      const int tags = d.indexOf(',');
      const int at = pick(3) == 0 ? pick(tags) : tags + 1 + pick(3);
      const char was = d[at];
      while (d[at] == was) d[at] = static_cast<char>(random());
    } else {
      d = fixed[pick(static_cast<int>(fixed.size()))];
    }
    out.push_back(d);
  }
  return out;
}

TEST(OscRemote, TenThousandBadDatagramsChangeNothingAndAreAllCounted) {
  OscBench b;
  OscClient client(b.port);
  // A show in a state of its own: scene 2, picture 5 latched, automat 2 with the show.
  b.runner.GoToScene(1);
  b.runner.LatchPicture(4, true);
  b.runner.SetAutomatWithShow(2, true);
  testing::Pump(120);
  const ShowPicture before(b.console, b.remotes);

  const std::vector<QByteArray> bad = BadDatagrams(10'000);
  // In batches the socket's buffer holds, each read before the next is sent.
  constexpr int kBatch = 100;  // more than the remote reads in one turn
  for (std::size_t i = 0; i < bad.size(); i += kBatch) {
    for (std::size_t j = i; j < std::min(bad.size(), i + kBatch); ++j) client.Send(bad[j]);
    const long expected = static_cast<long>(std::min(bad.size(), i + kBatch));
    ASSERT_TRUE(testing::WaitFor([&] { return b.osc.BadCount() >= expected; }))
        << "counted " << b.osc.BadCount() << " of " << expected << "; last "
        << b.osc.LastMessage().toStdString();
    b.wire.Drain();
  }
  testing::Pump(120);
  EXPECT_EQ(b.osc.BadCount(), 10'000);
  EXPECT_TRUE(ShowPicture(b.console, b.remotes) == before);
  EXPECT_FALSE(b.osc.LastError().isEmpty());
  // Nothing changed, so nothing was sent back.
  EXPECT_TRUE(client.Receive().empty());

  // The remote still works afterwards.
  b.Send(client, OscMessage("/kalvetro/picture", {3, 1}));
  EXPECT_TRUE(b.wire.WaitForLevel(kPictureChannel, kPictureLevel));
}

TEST(OscRemote, APortInUseIsReportedAndTheConsoleRunsOn) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QStringLiteral("/dev/kalvetro-no-such-port")));
  RemoteControl door(console);
  Remotes remotes(door);
  QStringList status;
  QObject::connect(&console, &Console::StatusMessage, [&](const QString& t) { status << t; });
  QUdpSocket other;
  ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, 0));
  OscRemote& osc = remotes.Osc();
  const Result busy = osc.Start(other.localPort());
  EXPECT_FALSE(busy.ok);
  EXPECT_EQ(QString::fromStdString(busy.error), osc.BindError());
  EXPECT_FALSE(osc.Listening());
  EXPECT_EQ(osc.BindError(),
            QStringLiteral("OSC: порт %1 занят другой программой").arg(other.localPort()));
  ASSERT_FALSE(status.isEmpty());
  EXPECT_NE(status.last().indexOf(osc.BindError()), -1);
  // Another port works, and is the one in use.
  const int port = testing::FreeUdpPort();
  EXPECT_TRUE(osc.Start(port).ok);
  EXPECT_EQ(osc.Port(), port);
  EXPECT_TRUE(osc.BindError().isEmpty());
  // Now the console's port is the busy one for others.
  QUdpSocket late;
  EXPECT_FALSE(late.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port),
                         QAbstractSocket::DontShareAddress));
}

}  // namespace
}  // namespace kalvetro
