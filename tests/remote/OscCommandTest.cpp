// SPDX-License-Identifier: GPL-3.0-or-later
// The OSC parser on its own (what a datagram asks for) and the list of clients that hear the
// state.
#include <gtest/gtest.h>

#include "remote/OscClients.h"
#include "remote/OscCommand.h"
#include "remote/OscTestSupport.h"

namespace kalvetro {
namespace {

using testing::OscBundle;
using testing::OscMessage;
using K = RemoteCommandKind;

OscPacket Parse(const QByteArray& d) {
  return ParseOscPacket(d.constData(), static_cast<std::size_t>(d.size()));
}

::testing::AssertionResult Asks(const QByteArray& d, K kind, int a, int b = 0) {
  const OscPacket p = Parse(d);
  if (!p.error.isEmpty()) return ::testing::AssertionFailure() << p.error.toStdString();
  if (p.requests.size() != 1 || p.requests[0].sync || p.requests[0].command.kind != kind ||
      p.requests[0].command.a != a || p.requests[0].command.b != b)
    return ::testing::AssertionFailure() << "asks for something else";
  return ::testing::AssertionSuccess();
}

bool Refused(const QByteArray& d) {
  const OscPacket p = Parse(d);
  return !p.error.isEmpty() && p.requests.empty();
}

TEST(OscCommand, WholeFloatsCountAsIntsTriggersIgnoreALetGoAndBundlesKeepTheirOrder) {
  EXPECT_TRUE(Asks(OscMessage("/kalvetro/picture", {16.0f, 1.0f}), K::Picture, 16, 1));
  EXPECT_TRUE(Asks(OscMessage("/kalvetro/channel", {255, 0.0f}), K::Channel, 255, 0));
  EXPECT_TRUE(Asks(OscMessage("/kalvetro/tempo", {170.0f}), K::Tempo, 170));
  EXPECT_TRUE(Refused(OscMessage("/kalvetro/tempo", {100.5f})));
  EXPECT_TRUE(Refused(OscMessage("/kalvetro/channel", {1, 254.999f})));
  EXPECT_TRUE(Asks(OscMessage("/kalvetro/scene", {256}), K::Scene, 256));
  EXPECT_TRUE(Refused(OscMessage("/kalvetro/scene", {257})));

  // A button sends 1 when pressed and 0 when let go: only the press steps.
  EXPECT_TRUE(Asks(OscMessage("/kalvetro/next", {1.0f}), K::Next, 0));
  EXPECT_TRUE(Asks(OscMessage("/kalvetro/previous"), K::Previous, 0));
  const OscPacket letGo = Parse(OscMessage("/kalvetro/next", {0.0f}));
  EXPECT_TRUE(letGo.error.isEmpty());
  EXPECT_TRUE(letGo.requests.empty());
  const OscPacket sync = Parse(OscMessage("/kalvetro/sync"));
  ASSERT_EQ(sync.requests.size(), 1u);
  EXPECT_TRUE(sync.requests[0].sync);

  // A bundle (nested too) in order; the text lists each message for the operator.
  const OscPacket bundle = Parse(OscBundle(
      {OscMessage("/kalvetro/blackout", {1}),
       OscBundle({OscMessage("/kalvetro/latch", {2, 1}), OscMessage("/kalvetro/sync")})}));
  ASSERT_TRUE(bundle.error.isEmpty()) << bundle.error.toStdString();
  ASSERT_EQ(bundle.requests.size(), 3u);
  EXPECT_EQ(bundle.requests[0].command.kind, K::BlackOut);
  EXPECT_EQ(bundle.requests[1].command.kind, K::Latch);
  EXPECT_TRUE(bundle.requests[2].sync);
  EXPECT_EQ(bundle.text,
            QStringLiteral("/kalvetro/blackout 1; /kalvetro/latch 2 1; /kalvetro/sync"));
  // As many messages as allowed pass; one more refuses the lot.
  const QByteArray one = OscMessage("/kalvetro/channel", {1, 1});
  EXPECT_EQ(
      Parse(OscBundle(std::vector<QByteArray>(kOscMaxMessagesPerPacket, one))).requests.size(),
      static_cast<std::size_t>(kOscMaxMessagesPerPacket));
  EXPECT_TRUE(Refused(OscBundle(std::vector<QByteArray>(kOscMaxMessagesPerPacket + 1, one))));
  // A datagram that starts anywhere in memory reads the same.
  QByteArray shifted = QByteArray(1, 'x') + OscMessage("/kalvetro/picture", {3, 1});
  const OscPacket odd = ParseOscPacket(shifted.constData() + 1, shifted.size() - 1);
  ASSERT_EQ(odd.requests.size(), 1u);
  EXPECT_EQ(odd.requests[0].command.a, 3);
}

TEST(OscClients, KeepsSixteenForgetsTheLongestSilentAndAnyoneSilentForAMinute) {
  OscClients clients;
  const QHostAddress host(QStringLiteral("192.168.1.20"));
  for (int k = 0; k < OscClients::kMaxClients; ++k)
    clients.Heard(host, static_cast<quint16>(9000 + k), 1000 + k);
  clients.Heard(host, 9000, 2000);  // heard again: now the freshest
  clients.Heard(QHostAddress(QStringLiteral("10.0.0.7")), 9000, 2001);
  auto ports = [&](std::int64_t now) {
    std::vector<std::pair<QString, int>> out;
    for (const auto& c : clients.Active(now)) out.emplace_back(c.address.toString(), c.port);
    return out;
  };
  auto at2001 = ports(2001);
  ASSERT_EQ(at2001.size(), 16u);
  // 9001 was the longest silent and made room; the same port on another host is another client.
  EXPECT_EQ(std::count(at2001.begin(), at2001.end(), std::make_pair(host.toString(), 9001)), 0);
  EXPECT_EQ(std::count(at2001.begin(), at2001.end(), std::make_pair(host.toString(), 9000)), 1);
  EXPECT_EQ(
      std::count(at2001.begin(), at2001.end(), std::make_pair(QStringLiteral("10.0.0.7"), 9000)),
      1);
  // A minute after their last message the ones heard at 1002..1015 are gone, the two fresh ones
  // stay.
  auto later = ports(2000 + OscClients::kForgetAfterMs);
  EXPECT_EQ(later.size(), 2u);
  EXPECT_TRUE(ports(2002 + OscClients::kForgetAfterMs).empty());
}

}  // namespace
}  // namespace kalvetro
