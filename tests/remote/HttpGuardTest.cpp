// SPDX-License-Identifier: GPL-3.0-or-later
// What the phone page's guard reads of a request head, which hosts it takes for this machine,
// the PIN compare, and OSC's list of allowed senders.
#include <gtest/gtest.h>

#include <QHostInfo>

#include "remote/HttpGuard.h"
#include "remote/OscRemote.h"
#include "show/Settings.h"

namespace kalvetro {
namespace {

TEST(HttpGuard, ReadsBodiesUpgradesHostAndOriginWhateverTheCaseAndSpacing) {
  const HttpHead plain = ReadHttpHead("GET / HTTP/1.1\r\nHost: 10.0.0.5:8080\r\n\r\n");
  EXPECT_FALSE(plain.hasBody || plain.upgrade || plain.hasOrigin);
  EXPECT_EQ(plain.host, QStringLiteral("10.0.0.5:8080"));

  const HttpHead ws = ReadHttpHead(
      "GET /ws HTTP/1.1\nhOsT:box.local:80 \nUPGRADE:  "
      "WebSocket\nOrigin:\thttp://box.local:80\n\n");
  EXPECT_TRUE(ws.upgrade);
  EXPECT_EQ(ws.host, QStringLiteral("box.local:80"));
  EXPECT_TRUE(ws.hasOrigin);
  EXPECT_EQ(ws.origin, QStringLiteral("http://box.local:80"));
  EXPECT_TRUE(ReadHttpHead("GET / HTTP/1.1\r\nUpgrade: h2c, websocket\r\n\r\n").upgrade);
  EXPECT_FALSE(ReadHttpHead("GET / HTTP/1.1\r\nUpgrade: websockets\r\n\r\n").upgrade);

  // Any body is refused: a length other than zero, a bad length, any transfer coding.
  for (const char* head : {"POST / HTTP/1.1\r\nContent-Length: 4294967296\r\n\r\n",
                           "POST / HTTP/1.1\r\ncontent-length: 1\r\n\r\n",
                           "POST / HTTP/1.1\r\nContent-Length: x\r\n\r\n",
                           "POST / HTTP/1.1\r\nContent-Length:\r\n\r\n",
                           "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"})
    EXPECT_TRUE(ReadHttpHead(head).hasBody) << head;
  EXPECT_FALSE(ReadHttpHead("GET / HTTP/1.1\r\nContent-Length: 000\r\n\r\n").hasBody);
  // A header name in the request line is not a header.
  EXPECT_TRUE(ReadHttpHead("GET /Host:evil HTTP/1.1\r\n\r\n").host.isEmpty());
}

TEST(HttpGuard, TakesOnlyNamesAndAddressesOfThisMachineAsItsHost) {
  EXPECT_EQ(HostOfHostHeader(QStringLiteral("[::1]:8080")), QStringLiteral("::1"));
  EXPECT_EQ(HostOfHostHeader(QStringLiteral("Box.Local.:80")), QStringLiteral("box.local"));
  EXPECT_EQ(HostOfHostHeader(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(HostOfHostHeader(QStringLiteral("fe80::1")), QStringLiteral("fe80::1"));

  const QString name = QHostInfo::localHostName().toLower();
  for (const QString& own :
       {QStringLiteral("127.0.0.1"), QStringLiteral("127.3.2.1"), QStringLiteral("::1"),
        QStringLiteral("localhost"), name, name + QStringLiteral(".local")})
    EXPECT_TRUE(GuardedTcpServer::IsOwnHost(own)) << own.toStdString();
  // A name made to point here by somebody else's DNS, another machine, nonsense.
  for (const QString& foreign :
       {QStringLiteral("evil.example"), QStringLiteral("192.0.2.77"), QStringLiteral(""),
        QStringLiteral("<b>x</b>"), name + QStringLiteral(".evil.example")})
    EXPECT_FALSE(GuardedTcpServer::IsOwnHost(foreign)) << foreign.toStdString();
}

TEST(HttpGuard, SecretsAreEqualOnlyWhenWhollyEqual) {
  EXPECT_TRUE(SameSecret(QStringLiteral("13572468"), QStringLiteral("13572468")));
  for (const char* other : {"13572469", "1357246", "135724680", "", "03572468"})
    EXPECT_FALSE(SameSecret(QStringLiteral("13572468"), QString::fromLatin1(other))) << other;
  EXPECT_TRUE(SameSecret(QString(), QString()));
}

TEST(OscAllowList, ReadsAddressesAndSubnetsAndRefusesAnythingElse) {
  const auto list = ParseOscAllowList(QString::fromLatin1(kDefaultOscAllow));
  ASSERT_TRUE(list);
  auto allowed = [&](const char* address) {
    for (const auto& subnet : *list)
      if (QHostAddress(QString::fromLatin1(address)).isInSubnet(subnet)) return true;
    return false;
  };
  for (const char* in : {"127.0.0.1", "10.1.2.3", "172.31.0.1", "192.168.1.20", "169.254.9.9",
                         "::1", "fe80::1", "fd00::5"})
    EXPECT_TRUE(allowed(in)) << in;
  for (const char* out : {"8.8.8.8", "172.32.0.1", "192.169.0.1", "2001:db8::1"})
    EXPECT_FALSE(allowed(out)) << out;

  const auto one = ParseOscAllowList(QStringLiteral(" 192.168.1.20;10.0.0.0/8  "));
  ASSERT_TRUE(one);
  EXPECT_EQ(one->size(), 2u);
  EXPECT_EQ(one->front().second, 32);
  ASSERT_TRUE(ParseOscAllowList(QStringLiteral("none")));
  EXPECT_TRUE(ParseOscAllowList(QStringLiteral("none"))->empty());
  for (const char* bad : {"192.168.1.300", "10.0.0.0/33", "everyone", "10.0.0.0/8, x"})
    EXPECT_FALSE(ParseOscAllowList(QString::fromLatin1(bad))) << bad;
}

}  // namespace
}  // namespace kalvetro
