// SPDX-License-Identifier: GPL-3.0-or-later
// The remotes' doors tried from outside, as a stranger on the venue network would, against the
// headless player playing a show on a pseudo-terminal: foreign origins and hosts, idle and
// silent connections, a huge body, a head that never ends, guessed PINs, a phone that goes
// quiet, OSC from a sender not allowed and a flood of syncs. The show keeps its scene timing
// through all of it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "output/DmxPacket.h"
#include "remote/HttpGuard.h"
#include "remote/OscTestSupport.h"
#include "remote/WebRemote.h"
#include "remote/WebTestSupport.h"
#include "show/Settings.h"
#include "support/ConsoleProcess.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using Clock = std::chrono::steady_clock;
using testing::Phone;
using testing::Pty;
using testing::WaitFor;

constexpr char kPin[] = "13572468";  // eight digits
constexpr int kTempo = 22;
constexpr int kScenePeriodMs = kTempo * kTempo;  // the sequencer waits tempo² ms a scene
constexpr int kPictureChannel = 20;
constexpr int kPictureLevel = 77;

int FreeTcpPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// The headless player on a pty with its phone page on 127.0.0.1 and OSC on, playing three
// scenes (channel 1 at 10, 20, 30) about every half second without crossfades; picture 3 holds
// channel 20. It notes when each scene change reaches the wire.
class GuardedPlayer {
 public:
  explicit GuardedPlayer(const std::string& oscAllow = kDefaultOscAllow) {
    Settings settings;
    settings.remote.webPin = kPin;
    settings.remote.webBind = "127.0.0.1";
    settings.remote.oscAllow = oscAllow;
    const QString home = testing::WriteUserSettings(dir_, settings);
    webPort = FreeTcpPort();
    oscPort = testing::FreeUdpPort();
    const QString show = testing::TestShow(2, kTempo)
                             .Levels(1, {10, 20, 30})
                             .Picture(2, kPictureChannel, kPictureLevel)
                             .WriteTo(dir_, QStringLiteral("guard.klv"));
    process_ = testing::StartConsoleProcess(
        &owner_,
        {QStringLiteral("--headless"), QStringLiteral("--port"),
         QString::fromStdString(pty_.Path()), QStringLiteral("--web"), QString::number(webPort),
         QStringLiteral("--osc"), QString::number(oscPort), QStringLiteral("--crossfade"),
         QStringLiteral("off"), QStringLiteral("--seconds"), QStringLiteral("240"), show},
        {.configHome = home, .noDisplay = true});
  }
  ~GuardedPlayer() {
    process_->terminate();
    process_->waitForFinished(5000);
  }

  // Until the show is on the wire and the page answers.
  bool WaitReady() {
    if (!Until([this] { return changes_.size() >= 2; }, 20000)) return false;
    return Until(
        [this] {
          QTcpSocket probe;
          probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(webPort));
          return probe.waitForConnected(200);
        },
        10000);
  }

  // Runs the event loop (and reads the wire) until cond holds or ms pass.
  bool Until(const std::function<bool()>& cond, int ms = 5000) {
    return WaitFor(
        [&] {
          ReadWire();
          return cond();
        },
        ms);
  }
  void Pass(int ms) {
    Until([] { return false; }, ms);
  }

  // The resident memory of the player in KB.
  long MemoryKb() const {
    QFile status(QStringLiteral("/proc/%1/status").arg(process_->processId()));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
      if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
  }

  // Intervals between the scene changes seen since `from`, in milliseconds.
  std::vector<long> SceneIntervalsSince(Clock::time_point from) const {
    std::vector<long> gaps;
    for (std::size_t i = 1; i < changes_.size(); ++i)
      if (changes_[i - 1] >= from)
        gaps.push_back(static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(changes_[i] - changes_[i - 1])
                .count()));
    return gaps;
  }
  const DmxFrame& Last() const { return last_; }
  QProcess& Process() { return *process_; }

  int webPort = 0;
  int oscPort = 0;

 private:
  void ReadWire() {
    std::uint8_t buffer[8192];
    ssize_t n = 0;
    while ((n = ::read(pty_.Master(), buffer, sizeof buffer)) > 0)
      decoder_.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), 0,
                    [this](const DmxFrame& f) {
                      if (f.levels[0] != last_.levels[0]) changes_.push_back(Clock::now());
                      last_ = f;
                    });
  }

  QTemporaryDir dir_;
  Pty pty_;
  QObject owner_;
  QProcess* process_ = nullptr;
  DmxStreamDecoder decoder_;
  DmxFrame last_{};
  std::vector<Clock::time_point> changes_;
};

// A raw TCP client of the page, from `from` (any loopback address).
std::unique_ptr<QTcpSocket> Connect(int port, const QString& from = QStringLiteral("127.0.0.1")) {
  auto socket = std::make_unique<QTcpSocket>();
  socket->bind(QHostAddress(from), 0);
  socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
  return socket;
}

QByteArray Upgrade(int port, const QByteArray& origin) {
  QByteArray head = "GET /ws HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                    "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n";
  if (!origin.isEmpty()) head += "Origin: " + origin + "\r\n";
  return head + "\r\n";
}

// A masked text frame, as a browser sends it.
QByteArray TextFrame(const QByteArray& text) {
  QByteArray frame;
  frame.append(char(0x81));
  frame.append(char(0x80 | text.size()));  // short messages only
  frame.append(QByteArray(4, '\0'));       // a mask of zeros leaves the bytes as they are
  return frame + text;
}

// What a raw client heard until the console closed it or ms passed.
QByteArray Answer(QTcpSocket& socket, GuardedPlayer& player, int ms = 3000) {
  QByteArray got;
  player.Until(
      [&] {
        got += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
      },
      ms);
  return got + socket.readAll();
}

// A raw WebSocket client, upgraded (the 101 read) and ready for frames; null when refused.
std::unique_ptr<QTcpSocket> RawWebSocket(int port, GuardedPlayer& player,
                                         const QString& from = QStringLiteral("127.0.0.1")) {
  auto socket = Connect(port, from);
  socket->write(Upgrade(port, {}));
  QByteArray heard;
  if (!player.Until([&] { return (heard += socket->readAll()).contains("\r\n\r\n"); }) ||
      !heard.startsWith("HTTP/1.1 101"))
    return nullptr;
  return socket;
}

bool ClosedWithin(QTcpSocket& socket, GuardedPlayer& player, int ms) {
  return player.Until([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, ms);
}

// Every gap between two scene changes within a tick or two of the tempo's period.
void ExpectSceneTiming(const std::vector<long>& gaps, const char* during) {
  EXPECT_GE(gaps.size(), 3u) << during;
  for (long gap : gaps)
    EXPECT_NEAR(gap, kScenePeriodMs, 150) << "a scene change came late or early " << during;
}

TEST(RemoteGuard, ThePhonePageRefusesStrangersAndKeepsItsPlacesForRealPhones) {
  GuardedPlayer player;
  ASSERT_TRUE(player.WaitReady());
  const int port = player.webPort;
  const Clock::time_point start = Clock::now();

  // A WebSocket from another site's page, or a page asked for under a foreign name (a name
  // made to point here), is refused before any PIN; the page's own origin is upgraded.
  for (const QByteArray& origin :
       {QByteArray("http://evil.example"), "http://127.0.0.1:" + QByteArray::number(port + 1)}) {
    auto socket = Connect(port);
    socket->write(Upgrade(port, origin));
    EXPECT_TRUE(Answer(*socket, player).startsWith("HTTP/1.1 403")) << origin.constData();
  }
  {
    auto socket = Connect(port);
    socket->write("GET / HTTP/1.1\r\nHost: evil.example:" + QByteArray::number(port) + "\r\n\r\n");
    EXPECT_TRUE(Answer(*socket, player).startsWith("HTTP/1.1 403"));
    auto own = Connect(port);
    own->write(Upgrade(port, "http://127.0.0.1:" + QByteArray::number(port)));
    QByteArray heard;
    EXPECT_TRUE(player.Until([&] { return (heard += own->readAll()).contains("\r\n\r\n"); }));
    EXPECT_TRUE(heard.startsWith("HTTP/1.1 101")) << heard.left(40).constData();
  }

  // Eight WebSockets from eight addresses that never give the PIN: four may wait, the rest
  // are turned away, and after five seconds the four are gone too. A phone gets in meanwhile.
  std::vector<std::unique_ptr<QTcpSocket>> silent;
  for (int k = 2; k <= 9; ++k) {
    silent.push_back(Connect(port, QStringLiteral("127.0.0.%1").arg(k)));
    silent.back()->write(Upgrade(port, {}));
  }
  // Those turned away are cut two seconds after their refusal; those waiting stay five.
  player.Pass(2700);
  const auto open = [&] {
    return std::count_if(silent.begin(), silent.end(), [](const auto& s) {
      return s->state() == QAbstractSocket::ConnectedState;
    });
  };
  EXPECT_EQ(open(), WebRemote::kMaxWaiting);
  {
    const Clock::time_point asked = Clock::now();
    Phone phone(port);
    EXPECT_TRUE(phone.LogIn(QString::fromLatin1(kPin)));
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1));
  }
  EXPECT_TRUE(player.Until([&] { return open() == 0; }, 6000)) << "silent sockets kept";

  // 1,100 idle connections opened and closed: a phone connects at once afterwards.
  for (int batch = 0; batch < 11; ++batch) {
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int k = 0; k < 100; ++k) idle.push_back(Connect(port));
    player.Until([&] {
      return std::all_of(idle.begin(), idle.end(), [](const auto& s) {
        return s->state() == QAbstractSocket::ConnectedState ||
               s->state() == QAbstractSocket::UnconnectedState;
      });
    });
    const auto kept = std::count_if(idle.begin(), idle.end(), [](const auto& s) {
      return s->state() == QAbstractSocket::ConnectedState;
    });
    player.Pass(50);
    EXPECT_LE(
        std::count_if(idle.begin(), idle.end(),
                      [](const auto& s) { return s->state() == QAbstractSocket::ConnectedState; }),
        GuardedTcpServer::kMaxPerAddress)
        << "batch " << batch << " kept " << kept;
  }
  {
    const Clock::time_point asked = Clock::now();
    Phone phone(port);
    EXPECT_TRUE(phone.LogIn(QString::fromLatin1(kPin)));
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1));
  }

  // A request announcing a 4 GB body, and then sending what it can: answered 413 and closed,
  // the memory where it was.
  const long before = player.MemoryKb();
  {
    auto socket = Connect(port);
    socket->write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 4294967296\r\n\r\n");
    const QByteArray zeros(1 << 20, '\0');
    long sent = 0;
    player.Until(
        [&] {
          if (socket->state() != QAbstractSocket::ConnectedState) return true;
          if (socket->bytesToWrite() < (4 << 20)) sent += socket->write(zeros);
          return sent > (300L << 20);
        },
        8000);
    EXPECT_TRUE(ClosedWithin(*socket, player, 3000)) << "still open after " << sent << " bytes";
    auto quiet = Connect(port);
    quiet->write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 4294967296\r\n\r\n");
    EXPECT_TRUE(Answer(*quiet, player).startsWith("HTTP/1.1 413"));
  }
  const long after = player.MemoryKb();
  EXPECT_LT(after - before, 20 * 1024) << before << " KB before, " << after << " KB after";

  // A head that never ends, a byte at a time, is closed within five seconds; one longer than
  // 8 KB at once is answered 431.
  {
    auto trickle = Connect(port);
    const Clock::time_point opened = Clock::now();
    trickle->write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ");
    EXPECT_TRUE(player.Until(
        [&] {
          if (trickle->state() != QAbstractSocket::ConnectedState) return true;
          trickle->write("a");
          player.Pass(100);
          return false;
        },
        8000));
    EXPECT_LT(Clock::now() - opened, std::chrono::milliseconds(6000));
    auto big = Connect(port);
    big->write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Big: " + QByteArray(9000, 'x'));
    EXPECT_TRUE(Answer(*big, player).startsWith("HTTP/1.1 431"));
  }

  // The player runs out of descriptors: accepting pauses, and goes on by itself once
  // descriptors are free again (Qt alone would stop accepting for good).
  {
    const pid_t pid = static_cast<pid_t>(player.Process().processId());
    int used = 0;  // the descriptors open now (sockets are links to nowhere: count them all)
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
      used += entry.path().filename() != "." ? 1 : 0;
    rlimit old{};
    const rlimit low{static_cast<rlim_t>(used + 3), RLIM_INFINITY};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &old), 0);
    const rlimit lowered{low.rlim_cur, old.rlim_max};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &lowered, nullptr), 0);
    std::vector<std::unique_ptr<QTcpSocket>> hogs;
    for (int k = 0; k < 12; ++k)
      hogs.push_back(Connect(port, QStringLiteral("127.0.1.%1").arg(k + 1)));
    player.Pass(1000);  // three are taken, the rest fail to be accepted
    hogs.clear();
    const Clock::time_point asked = Clock::now();
    Phone phone(port);
    EXPECT_TRUE(phone.LogIn(QString::fromLatin1(kPin))) << "accepting never resumed";
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(3));
    ::prlimit(pid, RLIMIT_NOFILE, &old, nullptr);
  }
  ExpectSceneTiming(player.SceneIntervalsSince(start), "while the page was attacked");
}

TEST(RemoteGuard, GuessedPinsCloseLoginsAndAQuietPhoneLetsGoOfItsPicture) {
  GuardedPlayer player;
  ASSERT_TRUE(player.WaitReady());
  const int port = player.webPort;
  Phone in(port);
  ASSERT_TRUE(in.LogIn(QString::fromLatin1(kPin)));

  // A raw phone that gives the PIN, flashes picture 3, and then never answers again (not
  // even the pings): dropped after fifteen seconds, and the picture goes out with it.
  auto quiet = RawWebSocket(port, player);
  ASSERT_TRUE(quiet);
  quiet->write(TextFrame(QByteArray("{\"pin\":\"") + kPin + "\"}"));
  QByteArray heard;
  ASSERT_TRUE(player.Until([&] { return (heard += quiet->readAll()).contains("welcome"); }));
  quiet->write(TextFrame(R"({"cmd":"picture","n":3,"on":true})"));
  ASSERT_TRUE(
      player.Until([&] { return player.Last().levels[kPictureChannel - 1] == kPictureLevel; }));
  const Clock::time_point lit = Clock::now();
  // Twenty wrong PINs from five addresses (four each, below one address's lockout).
  for (int k = 0; k < WebRemote::kMaxWrongPinsInAll; ++k) {
    auto guess = RawWebSocket(port, player, QStringLiteral("127.0.0.%1").arg(10 + k % 5));
    ASSERT_TRUE(guess) << k;
    guess->write(TextFrame(QByteArray("{\"pin\":\"") + QByteArray::number(10000000 + k) + "\"}"));
    QByteArray answer;
    EXPECT_TRUE(player.Until([&] { return (answer += guess->readAll()).contains("Неверный PIN"); }))
        << k << " " << answer.constData();
  }
  // Now even the right PIN is refused, and says why; the phone already in keeps working.
  {
    Phone late(port);
    EXPECT_FALSE(late.LogIn(QString::fromLatin1(kPin)));
    ASSERT_FALSE(late.Messages().empty());
    EXPECT_TRUE(
        late.Messages().back().value("message").toString().contains(QStringLiteral("вход закрыт")));
  }
  EXPECT_EQ(in.Ask(R"({"cmd":"blackout","on":false})").value("ok").toBool(), true);

  EXPECT_TRUE(player.Until([&] { return player.Last().levels[kPictureChannel - 1] == 0; }, 25000))
      << "the quiet phone's picture stayed on";
  const auto held = Clock::now() - lit;
  EXPECT_GT(held, std::chrono::seconds(12));
  EXPECT_LT(held, std::chrono::seconds(21));
  EXPECT_TRUE(ClosedWithin(*quiet, player, 3000));
  // The phone that answers its pings is still in.
  EXPECT_FALSE(in.Closed());
  EXPECT_EQ(in.Ask(R"({"cmd":"next"})").value("ok").toBool(), true);
}

TEST(RemoteGuard, OscFromASenderNotAllowedChangesNothingAndSyncsAreAnsweredOnceASecond) {
  {
    // Only a subnet this machine is not on may send.
    GuardedPlayer player("10.255.255.0/24");
    ASSERT_TRUE(player.WaitReady());
    testing::OscClient client(player.oscPort);
    client.Send(testing::OscMessage("/kalvetro/blackout", {1}));
    client.Send(testing::OscMessage("/kalvetro/picture", {3, 1}));
    client.Send(testing::OscMessage("/kalvetro/sync"));
    const Clock::time_point sent = Clock::now();
    player.Pass(2500);
    EXPECT_TRUE(client.Receive().empty()) << "answered a sender not allowed";
    EXPECT_NE(player.Last().levels[0], 0) << "blacked out by a sender not allowed";
    EXPECT_EQ(player.Last().levels[kPictureChannel - 1], 0);
    ExpectSceneTiming(player.SceneIntervalsSince(sent), "after OSC from a stranger");
  }
  GuardedPlayer player;
  ASSERT_TRUE(player.WaitReady());
  testing::OscClient client(player.oscPort);
  // 100 syncs within a second: answered once in that second (the whole state is 38
  // datagrams), and never more than 64 datagrams a second.
  // Scene changes are sent to the client as they come; a sync's answer is told by its sixteen
  // latch messages, which only a sync sends here.
  std::size_t latches = 0;
  const auto count = [&] {
    for (const testing::OscReply& r : client.Receive())
      latches += r.path == "/kalvetro/state/latch";
  };
  for (int k = 0; k < 100; ++k) {
    client.Send(testing::OscMessage("/kalvetro/sync"));
    player.Pass(10);
    count();
  }
  player.Until(
      [&] {
        count();
        return false;
      },
      2000);
  // Sent over a little more than a second: two answers at most.
  EXPECT_GE(latches, 16u) << "the first sync was not answered";
  EXPECT_LE(latches, 2u * 16u) << "syncs answered more often than once a second";
}

}  // namespace
}  // namespace kalvetro
