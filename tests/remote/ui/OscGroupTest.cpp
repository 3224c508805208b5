// SPDX-License-Identifier: GPL-3.0-or-later
// The OSC group of "Опции" in the real window: ticking it makes the port answer, its figures
// follow what arrives, and the choice is kept in the settings and used at the next start.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "remote/OscTestSupport.h"
#include "remote/Remotes.h"
#include "remote/ui/OscGroup.h"
#include "show/Settings.h"
#include "support/TestConsole.h"

namespace kalvetro {
namespace {

using testing::OscClient;
using testing::OscMessage;
using testing::OscReply;

TEST(OscGroup, TickingItOpensThePortAndTheSettingsKeepItForTheNextStart) {
  testing::TestConsole console;
  console.Start();
  auto* group = console.Find<OscGroup>(QStringLiteral("GroupBoxOsc"));
  ASSERT_NE(group, nullptr);
  auto* box = group->findChild<QCheckBox*>(QStringLiteral("CheckBoxOsc"));
  auto* portEdit = group->findChild<QSpinBox*>(QStringLiteral("SpinEditOscPort"));
  auto* status = group->findChild<QLabel*>(QStringLiteral("LabelOscStatus"));
  auto* errors = group->findChild<QLabel*>(QStringLiteral("LabelOscErrors"));
  auto* lastError = group->findChild<QLabel*>(QStringLiteral("LabelOscLastError"));
  auto* lastMessage = group->findChild<QLabel*>(QStringLiteral("LabelOscLastMessage"));
  EXPECT_FALSE(box->isChecked());  // off by default
  EXPECT_EQ(status->text(), QStringLiteral("Выключено"));
  EXPECT_EQ(portEdit->value(), 9000);

  const int port = testing::FreeUdpPort();
  portEdit->setValue(port);
  box->click();
  ASSERT_TRUE(box->isChecked());
  EXPECT_EQ(status->text(), QStringLiteral("Слушает порт %1, клиентов: 0").arg(port));

  OscClient client(port);
  client.Send(OscMessage("/kalvetro/sync"));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/blackout", {0}}));
  EXPECT_EQ(status->text(), QStringLiteral("Слушает порт %1, клиентов: 1").arg(port));
  EXPECT_TRUE(lastMessage->text().startsWith(QStringLiteral("Последнее сообщение: /kalvetro/sync")))
      << lastMessage->text().toStdString();
  client.Send(OscMessage("/kalvetro/picture", {40, 1}));
  EXPECT_TRUE(
      testing::WaitFor([&] { return errors->text() == QStringLiteral("Отклонено пакетов: 1"); }));
  EXPECT_TRUE(lastError->text().contains(QStringLiteral("/kalvetro/picture: 40 вне 1..16")))
      << lastError->text().toStdString();

  // Closing the window saves the choice; the next start listens on the same port at once.
  const QString settingsPath = console.dir.filePath(QStringLiteral("config/Kalvo.ini"));
  console.Stop();
  const Settings saved = ReadSettings(settingsPath.toStdString());
  EXPECT_TRUE(saved.remote.oscOn);
  EXPECT_EQ(saved.remote.oscPort, port);

  console.Start();
  group = console.Find<OscGroup>(QStringLiteral("GroupBoxOsc"));
  EXPECT_TRUE(testing::WaitFor(
      [&] { return group->findChild<QCheckBox*>(QStringLiteral("CheckBoxOsc"))->isChecked(); }));
  client.seen.clear();
  client.Send(OscMessage("/kalvetro/sync"));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/blackout", {0}}));

  // Senders allowed only from a subnet this machine is not on: the client is a stranger now,
  // its blackout does not run and it hears nothing; the group counts what it dropped.
  auto* allow = group->findChild<QLineEdit*>(QStringLiteral("EditOscAllow"));
  ASSERT_NE(allow, nullptr);
  allow->setText(QStringLiteral("10.255.255.0/24"));
  emit allow->editingFinished();
  client.seen.clear();
  client.Send(OscMessage("/kalvetro/blackout", {1}));
  client.Send(OscMessage("/kalvetro/sync"));
  auto* dropped = group->findChild<QLabel*>(QStringLiteral("LabelOscErrors"));
  EXPECT_TRUE(testing::WaitFor([&] {
    return dropped->text().contains(QStringLiteral("с чужих адресов: 2"));
  })) << dropped->text().toStdString();
  EXPECT_TRUE(client.Receive(300).empty());
  EXPECT_FALSE(console.Core().Runner().BlackOut());
  EXPECT_EQ(console.Core().Files().RemoteSetup().oscAllow, "10.255.255.0/24");
  // Emptied, the list is the default one again and the client is heard.
  allow->clear();
  emit allow->editingFinished();
  EXPECT_EQ(allow->text(), QString::fromLatin1(kDefaultOscAllow));
  client.Send(OscMessage("/kalvetro/sync"));
  EXPECT_TRUE(client.WaitForReply({"/kalvetro/state/blackout", {0}}));

  // Unticked, the port is let go: another program may take it.
  group->findChild<QCheckBox*>(QStringLiteral("CheckBoxOsc"))->click();
  QUdpSocket other;
  EXPECT_TRUE(other.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port),
                         QAbstractSocket::DontShareAddress));
}

}  // namespace
}  // namespace kalvetro
