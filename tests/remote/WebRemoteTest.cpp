// SPDX-License-Identifier: GPL-3.0-or-later
// The phone remote over real sockets: the page over HTTP, the PIN and its waits, the client
// limit, every command on the DMX wire of a pty, and bad messages that change nothing.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "output/DmxLink.h"
#include "remote/Remotes.h"
#include "remote/WebRemote.h"
#include "remote/WebTestSupport.h"
#include "support/ConsoleOptionsIn.h"
#include "support/ConsoleProcess.h"

namespace kalvetro {
namespace {

using testing::OptionsIn;
using testing::Phone;
using testing::Pty;
using testing::WaitFor;
using testing::Wire;

// A console with the test show, scenes changing at once, its phone page asking for pin;
// Start() listens on a free port of 127.0.0.1.
struct WebConsole {
  explicit WebConsole(const QString& pin, const QString& port = {})
      : console(OptionsIn(dir, port.isEmpty() ? dir.filePath(QStringLiteral("no-port")) : port)) {
    console.ClearAll();
    EXPECT_TRUE(console.Files().OpenShow(testing::WriteWebTestShow(dir)).ok);
    console.Runner().SetCrossfadeMode(kCrossfadeOff);
    web.SetPin(pin);
  }
  bool Start() { return web.Start(0, QStringLiteral("127.0.0.1")); }

  QTemporaryDir dir;
  Console console;
  RemoteControl door{console};
  Remotes remotes{door};
  WebRemote& web = remotes.Web();
};

// A GET of the page; the body, or empty on failure.
QByteArray Get(QNetworkAccessManager& http, int port, const QString& path, QByteArray* type) {
  QNetworkReply* reply =
      http.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path))));
  WaitFor([reply] { return reply->isFinished(); });
  const QByteArray body =
      reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
  if (type) *type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
  reply->deleteLater();
  return body;
}

TEST(WebRemote, ServesThePageAndLetsInOnlyTheRightPinWithAWaitAfterFiveWrongOnes) {
  WebConsole test(QStringLiteral("4321"));
  Console& console = test.console;
  WebRemote& web = test.web;
  // Long enough for the refusals below on a slow (sanitizer) build, short for the test.
  web.SetLockoutWait(std::chrono::milliseconds(2000));
  ASSERT_TRUE(test.Start()) << web.StartError().toStdString();
  const int port = web.Port();

  // The page and its parts come from the program's resources.
  QNetworkAccessManager http;
  QByteArray type;
  const QByteArray page = Get(http, port, QStringLiteral("/"), &type);
  EXPECT_TRUE(page.contains("remote.js") && page.contains("PIN")) << page.left(200).data();
  EXPECT_TRUE(type.startsWith("text/html"));
  QFile script(QStringLiteral(":/web/remote.js"));
  ASSERT_TRUE(script.open(QIODevice::ReadOnly));
  EXPECT_EQ(Get(http, port, QStringLiteral("/remote.js"), &type), script.readAll());
  EXPECT_TRUE(type.startsWith("text/javascript"));
  EXPECT_FALSE(Get(http, port, QStringLiteral("/remote.css"), nullptr).isEmpty());
  EXPECT_TRUE(Get(http, port, QStringLiteral("/Kalvo.ini"), nullptr).isEmpty());

  // A command before the PIN is a wrong PIN: the socket is closed, the show stays.
  Phone early(port);
  ASSERT_TRUE(early.WaitOpen());
  early.Send(R"({"cmd":"next"})");
  ASSERT_TRUE(early.Next(QStringLiteral("denied")));
  EXPECT_TRUE(early.WaitClosed());
  EXPECT_EQ(console.Show().CurrentStep(), 0);
  EXPECT_EQ(web.Errors(), 1);

  // Three more wrong PINs: each closed, none let in.
  for (const char* pin : {"1234", "43210", "432"}) {
    Phone wrong(port);
    EXPECT_FALSE(wrong.LogIn(QString::fromLatin1(pin))) << pin;
    EXPECT_TRUE(wrong.WaitClosed()) << pin;
  }
  EXPECT_EQ(web.Errors(), 4);
  EXPECT_TRUE(web.LastError().contains(QStringLiteral("Неверный PIN")));

  // A connection that waits with its PIN untold is closed with the fifth wrong try, and
  // then even the right PIN is refused from that address until the wait is over.
  Phone waiting(port);
  ASSERT_TRUE(waiting.WaitOpen());
  Phone fifth(port);
  EXPECT_FALSE(fifth.LogIn(QStringLiteral("0000")));
  EXPECT_TRUE(waiting.WaitClosed());
  Phone right(port);
  EXPECT_FALSE(right.LogIn(QStringLiteral("4321")));
  EXPECT_TRUE(right.WaitClosed());
  ASSERT_FALSE(right.Messages().empty());
  EXPECT_TRUE(right.Messages().front().value("message").toString().contains("подождите"));
  EXPECT_EQ(web.Clients(), 0);

  // After the wait the right PIN lets the phone in, and it hears the show at once.
  std::unique_ptr<Phone> phone;
  ASSERT_TRUE(WaitFor(
      [&] {
        phone = std::make_unique<Phone>(port);
        return phone->LogIn(QStringLiteral("4321"));
      },
      10000));
  Phone& later = *phone;
  const auto state = later.Next(QStringLiteral("state"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->value("scene").toInt(), 1);
  EXPECT_EQ(state->value("lastScene").toInt(), 3);
  EXPECT_EQ(later.Ask(R"({"cmd":"next"})").value("ok").toBool(), true);
  EXPECT_EQ(console.Show().CurrentStep(), 1);

  // A new PIN sends everyone back to the PIN.
  web.SetPin(QStringLiteral("98765"));
  EXPECT_TRUE(later.WaitClosed());
  Phone renewed(port);
  EXPECT_TRUE(renewed.LogIn(QStringLiteral("98765")));
}

TEST(WebRemote, TakesEightPhonesAndRefusesTheNinth) {
  WebConsole test(QStringLiteral("2468"));
  Console& console = test.console;
  WebRemote& web = test.web;
  ASSERT_TRUE(test.Start());
  std::vector<std::unique_ptr<Phone>> phones;
  for (int k = 0; k < WebRemote::kMaxClients; ++k) {
    phones.push_back(std::make_unique<Phone>(web.Port()));
    ASSERT_TRUE(phones.back()->LogIn(QStringLiteral("2468"))) << k;
  }
  EXPECT_EQ(web.Clients(), 8);
  Phone ninth(web.Port());
  const auto busy = ninth.Next(QStringLiteral("busy"));
  ASSERT_TRUE(busy);
  EXPECT_FALSE(busy->value("message").toString().isEmpty());
  EXPECT_TRUE(ninth.WaitClosed());
  EXPECT_EQ(web.Clients(), 8);

  // Every phone hears a change, whoever made it.
  for (auto& p : phones) p->SkipAll();
  console.Runner().Next();
  for (auto& p : phones) {
    const auto state = p->Next(QStringLiteral("state"));
    ASSERT_TRUE(state);
    EXPECT_EQ(state->value("scene").toInt(), 2);
  }

  // One leaves: a place is free again.
  phones.pop_back();
  ASSERT_TRUE(WaitFor([&] { return web.Clients() == 7; }));
  Phone another(web.Port());
  EXPECT_TRUE(another.LogIn(QStringLiteral("2468")));

  // Stopping lets every phone go and frees the port.
  const int port = web.Port();
  web.Stop();
  EXPECT_TRUE(another.WaitClosed());
  QTcpServer again;
  EXPECT_TRUE(again.listen(QHostAddress(QStringLiteral("127.0.0.1")), static_cast<quint16>(port)));
}

TEST(WebRemote, EveryCommandReachesTheWireAndBadMessagesChangeNothing) {
  Pty pty;
  WebConsole test(QStringLiteral("1357"), QString::fromStdString(pty.Path()));
  Console& console = test.console;
  WebRemote& web = test.web;
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.StartOutput();
  Wire wire(pty);
  ASSERT_TRUE(test.Start());
  Phone phone(web.Port());
  ASSERT_TRUE(phone.LogIn(QStringLiteral("1357")));
  ASSERT_TRUE(phone.Next(QStringLiteral("state")));
  EXPECT_TRUE(
      wire.WaitFor([](const DmxFrame& f) { return f.levels[0] == testing::kWebSceneLevels[0]; }));

  auto ok = [&](const char* text) {
    const QJsonObject reply = phone.Ask(text);
    EXPECT_TRUE(reply.value("ok").toBool())
        << text << " " << reply.value("error").toString().toStdString();
  };
  auto channelOnWire = [&](int channel, int level) {
    return wire.WaitFor([=](const DmxFrame& f) { return f.levels[channel - 1] == level; });
  };
  auto lastState = [&] { return phone.Next(QStringLiteral("state")).value_or(QJsonObject{}); };

  // Scenes: next, previous, go to.
  ok(R"({"cmd":"next"})");
  EXPECT_TRUE(channelOnWire(1, testing::kWebSceneLevels[1]));
  EXPECT_EQ(lastState().value("scene").toInt(), 2);
  ok(R"({"cmd":"previous"})");
  EXPECT_TRUE(channelOnWire(1, testing::kWebSceneLevels[0]));
  ok(R"({"cmd":"scene","n":3})");
  EXPECT_TRUE(channelOnWire(1, testing::kWebSceneLevels[2]));
  EXPECT_EQ(lastState().value("scene").toInt(), 3);
  // Beyond the show's last scene: refused by the show, not by the form.
  EXPECT_FALSE(phone.Ask(R"({"cmd":"scene","n":4})").value("ok").toBool());
  EXPECT_EQ(console.Show().CurrentStep(), 2);

  // A picture held and let go; one latched.
  ok(R"({"cmd":"picture","n":3,"on":true})");
  EXPECT_TRUE(channelOnWire(testing::kWebPictureChannel, testing::kWebPictureLevel));
  EXPECT_TRUE(lastState().value("pictures").toArray().at(2).toBool());
  ok(R"({"cmd":"picture","n":3,"on":false})");
  EXPECT_TRUE(channelOnWire(testing::kWebPictureChannel, 0));
  ok(R"({"cmd":"latch","n":3,"on":true})");
  EXPECT_TRUE(channelOnWire(testing::kWebPictureChannel, testing::kWebPictureLevel));
  EXPECT_TRUE(lastState().value("latched").toArray().at(2).toBool());
  ok(R"({"cmd":"latch","n":3,"on":false})");
  EXPECT_TRUE(channelOnWire(testing::kWebPictureChannel, 0));

  // Blackout darkens the wire.
  ok(R"({"cmd":"blackout","on":true})");
  EXPECT_TRUE(channelOnWire(1, 0));
  EXPECT_TRUE(lastState().value("blackOut").toBool());
  ok(R"({"cmd":"blackout","on":false})");
  EXPECT_TRUE(channelOnWire(1, testing::kWebSceneLevels[2]));

  // Tempo, an automat with the show.
  ok(R"({"cmd":"tempo","value":100})");
  EXPECT_EQ(console.Show().memory.Get(kTempo), 100);
  EXPECT_EQ(lastState().value("tempo").toInt(), 100);
  ok(R"({"cmd":"automat","n":2,"on":true})");
  EXPECT_TRUE(console.Runner().AutomatWithShow(2));

  // A channel's level for focusing, and its output level heard back.
  ok(R"({"cmd":"channel","n":7,"level":99})");
  EXPECT_TRUE(channelOnWire(7, 99));
  ok(R"({"cmd":"watch","n":7})");
  const auto level = phone.Next(QStringLiteral("level"));
  ASSERT_TRUE(level);
  EXPECT_EQ(level->value("n").toInt(), 7);
  EXPECT_EQ(level->value("level").toInt(), 99);
  ok(R"({"cmd":"channel","n":7,"level":5})");
  EXPECT_EQ(phone.Next(QStringLiteral("level")).value_or(QJsonObject{}).value("level").toInt(), 5);

  // Playing: the channel level is refused, the page is told why; stop.
  ok(R"({"cmd":"play"})");
  EXPECT_TRUE(lastState().value("playing").toBool());
  const QJsonObject refused = phone.Ask(R"({"cmd":"channel","n":7,"level":200})");
  EXPECT_FALSE(refused.value("ok").toBool());
  EXPECT_TRUE(refused.value("error").toString().contains(QStringLiteral("воспроизведение")));
  ok(R"({"cmd":"stop"})");
  EXPECT_FALSE(console.Runner().Playing());
  ok(R"({"cmd":"scene","n":2})");
  EXPECT_TRUE(channelOnWire(1, testing::kWebSceneLevels[1]));

  // Bad messages: each gets an error reply, is counted, and nothing changes.
  const RemoteState before = test.remotes.Door().State();
  const long errorsBefore = web.Errors();
  const std::vector<QByteArray> bad = {
      "{",
      "[1,2]",
      "\"next\"",
      R"({"cmd":"dance"})",
      R"({"cmd":42})",
      R"({"cmd":"next","n":1})",
      R"({"cmd":"picture","n":17,"on":true})",
      R"({"cmd":"picture","n":0,"on":true})",
      R"({"cmd":"picture","n":3,"on":1})",
      R"({"cmd":"picture","n":3.5,"on":true})",
      R"({"cmd":"latch","n":3})",
      R"({"cmd":"tempo","value":9})",
      R"({"cmd":"tempo","value":171})",
      R"({"cmd":"channel","n":256,"level":1})",
      R"({"cmd":"channel","n":7,"level":256})",
      R"({"cmd":"channel","n":7,"level":-1})",
      R"({"cmd":"scene","n":1e300})",
      R"({"cmd":"watch","n":300})",
      R"({"cmd":"blackout","on":"yes"})",
      "{\"cmd\":\"next\",\"pad\":\"" + QByteArray(5000, 'x') + "\"}",
  };
  for (const QByteArray& text : bad) {
    const QJsonObject reply = phone.Ask(text);
    EXPECT_FALSE(reply.value("ok").toBool(true)) << text.left(60).data();
    EXPECT_FALSE(reply.value("error").toString().isEmpty()) << text.left(60).data();
  }
  phone.SendBinary(QByteArray("\x01\x02{\"cmd\":\"next\"}", 16));
  const auto binaryReply = phone.Next(QStringLiteral("reply"));
  ASSERT_TRUE(binaryReply);
  EXPECT_FALSE(binaryReply->value("ok").toBool(true));
  EXPECT_EQ(web.Errors(), errorsBefore + static_cast<long>(bad.size()) + 1);
  const RemoteState after = test.remotes.Door().State();
  EXPECT_EQ(after.scene, before.scene);
  EXPECT_EQ(after.tempo, before.tempo);
  EXPECT_EQ(after.playing, before.playing);
  EXPECT_EQ(after.blackOut, before.blackOut);
  EXPECT_EQ(after.pictures, before.pictures);
  EXPECT_EQ(after.latched, before.latched);
  EXPECT_EQ(console.Show().memory.Get(SceneRowOffset(1) + 7), 0);
  EXPECT_TRUE(wire.WaitFor([](const DmxFrame& f) {
    return f.levels[0] == testing::kWebSceneLevels[1] && f.levels[6] == 0 &&
           f.levels[testing::kWebPictureChannel - 1] == 0;
  }));
  EXPECT_FALSE(phone.Closed());

  // The window's own change (here the runner's) is pushed without being asked for.
  phone.SkipAll();
  console.Runner().Next();
  const auto pushed = phone.Next(QStringLiteral("state"));
  ASSERT_TRUE(pushed);
  EXPECT_EQ(pushed->value("scene").toInt(), 3);

  // A phone lost while it holds a picture down does not leave the flash on.
  {
    Phone holder(web.Port());
    ASSERT_TRUE(holder.LogIn(QStringLiteral("1357")));
    EXPECT_TRUE(holder.Ask(R"({"cmd":"picture","n":3,"on":true})").value("ok").toBool());
    EXPECT_TRUE(channelOnWire(testing::kWebPictureChannel, testing::kWebPictureLevel));
  }
  EXPECT_TRUE(WaitFor([&] { return !console.Runner().Picture(2); }));
  EXPECT_TRUE(channelOnWire(testing::kWebPictureChannel, 0));
  console.StopOutput();
  EXPECT_EQ(wire.Malformed(), 0);
}

// The console binary's --web: a bad port ends it, a taken one is said and the show plays on,
// a free one is said with its address and PIN, and a phone gets in with it.
TEST(WebRemote, TheCommandLineTurnsThePageOnForTheHeadlessPlayer) {
  QTemporaryDir dir;
  const QString show = testing::WriteWebTestShow(dir);
  QObject owner;
  auto start = [&](const QStringList& arguments) {
    return testing::StartConsoleProcess(
        &owner, QStringList{QStringLiteral("--headless")} + arguments + QStringList{show},
        {.configHome = dir.path(), .noDisplay = true});
  };
  for (const char* port : {"0", "65536", "web"}) {
    auto player = start({QStringLiteral("--web"), QString::fromLatin1(port)});
    ASSERT_TRUE(player->waitForFinished(30000));
    EXPECT_EQ(player->exitCode(), 2) << port;
    EXPECT_TRUE(player->readAllStandardError().contains("--web")) << port;
  }

  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::Any));
  auto busy = start({QStringLiteral("--web"), QString::number(taken.serverPort()),
                     QStringLiteral("--seconds"), QStringLiteral("1")});
  ASSERT_TRUE(busy->waitForFinished(30000));
  EXPECT_EQ(busy->exitCode(), 0);
  EXPECT_TRUE(QString::fromUtf8(busy->readAllStandardError()).contains(QStringLiteral("занят")));
  const int port = taken.serverPort();
  taken.close();

  auto player = start({QStringLiteral("--web"), QString::number(port), QStringLiteral("--seconds"),
                       QStringLiteral("20")});
  QString said;
  ASSERT_TRUE(WaitFor(
      [&] {
        said += QString::fromUtf8(player->readAllStandardOutput());
        return said.contains(QStringLiteral("PIN "));
      },
      30000))
      << said.toStdString();
  const QString pin = said.section(QStringLiteral("PIN "), 1).left(6);
  EXPECT_TRUE(said.contains(QStringLiteral(":%1/").arg(port))) << said.toStdString();
  Phone phone(port);
  ASSERT_TRUE(phone.LogIn(pin)) << pin.toStdString();
  const auto state = phone.Next(QStringLiteral("state"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->value("lastScene").toInt(), 3);
  EXPECT_TRUE(state->value("playing").toBool());
  player->terminate();
  EXPECT_TRUE(player->waitForFinished(10000));
}

}  // namespace
}  // namespace kalvetro
