// SPDX-License-Identifier: GPL-3.0-or-later
// The DMX link group of the main window, on a pseudo-terminal or the fake device.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "output/DmxPacket.h"
#include "output/ui/DmxLinkPanel.h"
#include "serial/BCPort.h"
#include "serial/SerialTestSupport.h"
#include "support/FakeSerialDevice.h"
#include "support/TestConsole.h"
#include "windows/MainWindow.h"

namespace kalvetro {
namespace {

using serial::FakeSerialLine;
using testing::FakeDialogs;
using testing::Pty;
using testing::Pump;
using testing::WaitFor;

// A console on the given port. The output tick is not started: the test runs the ticks itself.
struct Console : testing::TestConsole {
  explicit Console(const QString& port) {
    Options options;
    options.port = port;
    Start(options);
    panel = form->findChild<DmxLinkPanel*>(QStringLiteral("GroupBoxUSB"));
  }
  // Brings the panel's page to the front of a shown window, as the operator opens it.
  void ShowPanel() {
    form->show();
    for (QWidget* w = panel; w && w->parentWidget(); w = w->parentWidget())
      if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget()))
        pages->setCurrentWidget(w);
    ASSERT_TRUE(panel->isVisible());
  }
  DmxLinkPanel* panel = nullptr;
};

std::vector<DmxFrame> DecodeAll(const std::vector<std::uint8_t>& bytes) {
  DmxStreamDecoder decoder;
  std::vector<DmxFrame> frames;
  decoder.Feed(bytes, 0, [&](const DmxFrame& f) { frames.push_back(f); });
  EXPECT_EQ(decoder.Malformed(), 0);
  return frames;
}

TEST(DmxLinkPanelTest, OpenPortSendsEachTickAndDemoModeHoldsTheOutput) {
  Pty pty;
  Console console(QString::fromStdString(pty.Path()));
  DmxLinkPanel& panel = *console.panel;
  ASSERT_NE(console.panel, nullptr);
  EXPECT_EQ(panel.title(), QStringLiteral("Состояние порта COM"));
  EXPECT_TRUE(panel.Link().ComPort().Connected());
  EXPECT_FALSE(panel.demoBox->isChecked());
  EXPECT_TRUE(panel.demoBox->isEnabled());
  EXPECT_TRUE(panel.dtrBox->isChecked() && panel.dtrBox->isEnabled());
  EXPECT_TRUE(panel.rtsBox->isChecked() && panel.rtsBox->isEnabled());
  EXPECT_FALSE(panel.portBox->isEnabled());
  EXPECT_EQ(panel.portBox->currentText(), QString::fromStdString(pty.Path()));
  EXPECT_EQ(panel.portBox->toolTip(), QStringLiteral("Для переключения  включить DEMO режим "));
  EXPECT_EQ(panel.portBox->itemText(0), QStringLiteral("COM1"));
  EXPECT_EQ(panel.portBox->itemText(1), QStringLiteral("COM2"));
  // An open port leaves the start-up prefix; a pseudo-terminal's lines read off.
  EXPECT_EQ(console.form->TitlePrefix(), TitlePrefixId::Initialization);
  EXPECT_NE(panel.ctsLamp->Colour(), QColor(192, 192, 192));
  EXPECT_NE(panel.ctsLamp->Colour(), QColor(255, 0, 0));
  EXPECT_TRUE(console.dialogs.errors.isEmpty());

  console.form->Show().DataWrite(0, 1, 255);
  console.form->Show().DataWrite(0, 2, 7);
  console.form->Engine().Tick();
  auto bytes = pty.Receive(263);
  ASSERT_EQ(bytes.size(), 263u);
  auto frames = DecodeAll(bytes);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].levels[0], 255);
  EXPECT_EQ(frames[0].levels[1], 7);
  EXPECT_EQ(panel.Link().SentPackets(), 1);

  // Demo mode: nothing goes out, the prefix and the port chooser follow.
  panel.demoBox->click();
  ASSERT_TRUE(panel.demoBox->isChecked());
  EXPECT_EQ(console.form->TitlePrefix(), TitlePrefixId::DemoModeStart);
  EXPECT_TRUE(console.Caption().startsWith(QStringLiteral(" Demo Mode:  ")));
  EXPECT_TRUE(panel.portBox->isEnabled());
  console.form->Engine().Tick();
  console.form->Engine().Tick();
  EXPECT_TRUE(pty.Receive(1, 100).empty());

  panel.demoBox->setChecked(false);
  EXPECT_EQ(console.form->TitlePrefix(), TitlePrefixId::Running);
  EXPECT_TRUE(console.Caption().startsWith(QStringLiteral(" Kalvetro:  ")));
  EXPECT_FALSE(panel.portBox->isEnabled());
  console.form->Engine().Tick();
  EXPECT_EQ(DecodeAll(pty.Receive(263)).size(), 1u);
}

TEST(DmxLinkPanelTest, WithoutAPortTheConsoleStartsInDemoModeAndCanSwitchPorts) {
  Pty pty;
  Console console(QStringLiteral("/dev/kalvetro-no-such-port"));
  DmxLinkPanel& panel = *console.panel;
  EXPECT_FALSE(panel.Link().ComPort().Connected());
  EXPECT_TRUE(panel.demoBox->isChecked());
  EXPECT_FALSE(panel.demoBox->isEnabled());
  EXPECT_TRUE(panel.portBox->isEnabled());
  EXPECT_EQ(console.form->TitlePrefix(), TitlePrefixId::DemoModeStart);
  EXPECT_TRUE(console.Caption().startsWith(QStringLiteral(" Demo Mode:  ")));
  EXPECT_TRUE(console.dialogs.errors.isEmpty());  // no message box for a missing port

  // RTS on a closed port: the error box, and the box keeps its new state.
  panel.rtsBox->setChecked(true);
  EXPECT_EQ(console.dialogs.errors,
            QStringList{QStringLiteral("Ошибка функции EscapeCommFunction")});
  EXPECT_TRUE(panel.rtsBox->isChecked());

  // Choosing another port that opens makes sending possible.
  panel.portBox->addItem(QString::fromStdString(pty.Path()));
  panel.portBox->setCurrentIndex(panel.portBox->count() - 1);
  EXPECT_TRUE(panel.Link().ComPort().Connected());
  EXPECT_TRUE(panel.demoBox->isChecked());
  EXPECT_TRUE(panel.demoBox->isEnabled());
  console.form->Engine().Tick();
  EXPECT_TRUE(pty.Receive(1, 100).empty());
  panel.demoBox->setChecked(false);
  console.form->Engine().Tick();
  EXPECT_EQ(DecodeAll(pty.Receive(262)).size(), 1u);

  // A port that does not open: demo mode again, the port stays closed, and the status line
  // names the port and why.
  panel.demoBox->setChecked(true);
  panel.portBox->setCurrentIndex(0);
  panel.portBox->addItem(QStringLiteral("/dev/kalvetro-other-missing-port"));
  panel.portBox->setCurrentIndex(panel.portBox->count() - 1);
  EXPECT_FALSE(panel.Link().ComPort().Connected());
  EXPECT_EQ(console.Status().trimmed(), QStringLiteral("/dev/kalvetro-other-missing-port: ") +
                                            QString::fromUtf8(comport_messages::kNoSuchPort));
  EXPECT_TRUE(panel.demoBox->isChecked());
  EXPECT_FALSE(panel.demoBox->isEnabled());
  EXPECT_EQ(console.form->TitlePrefix(), TitlePrefixId::DemoModeStart);
}

TEST(DmxLinkPanelTest, ReplyBytesShowAndAnUnpluggedInterfaceIsReportedOnce) {
  Pty pty;
  Console console(QString::fromStdString(pty.Path()));
  DmxLinkPanel& panel = *console.panel;
  console.ShowPanel();
  EXPECT_EQ(panel.replyByte13Label->text(), QStringLiteral("lb01"));
  panel.ShowReceivedBytes();  // nothing received yet: the captions stay
  EXPECT_EQ(panel.replyByte15Label->text(), QStringLiteral("lb03"));

  std::vector<std::uint8_t> reply(20);
  for (int i = 0; i < 20; ++i)
    reply[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(100 + i);
  pty.Send(reply);
  ASSERT_TRUE(WaitFor([&] {
    panel.ShowReceivedBytes();
    return panel.replyByte13Label->text() == QStringLiteral("113");
  }));
  EXPECT_EQ(panel.replyByte14Label->text(), QStringLiteral("114"));
  EXPECT_EQ(panel.replyByte15Label->text(), QStringLiteral("115"));
  // A shorter chunk later leaves bytes 13..15 of the longer one in place.
  pty.Send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  Pump(100);
  panel.ShowReceivedBytes();
  EXPECT_EQ(panel.replyByte13Label->text(), QStringLiteral("113"));
  EXPECT_EQ(panel.replyByte15Label->text(), QStringLiteral("115"));

  // The interface goes away: one report on the status line, the ticks go on, the port
  // counts as closed.
  pty.CloseMaster();
  console.form->Engine().Tick();
  ASSERT_TRUE(WaitFor([&] { return !panel.Link().ComPort().Connected(); }));
  EXPECT_EQ(console.Status(), QStringLiteral("Ошибка записи в порт"));
  console.form->ShowStatus(QStringLiteral("другое"));
  for (int i = 0; i < 3; ++i) console.form->Engine().Tick();
  Pump(50);
  EXPECT_EQ(console.Status(), QStringLiteral("другое"));
  EXPECT_EQ(console.form->TitlePrefix(), TitlePrefixId::DemoModeLink);
  EXPECT_TRUE(console.dialogs.errors.isEmpty());
}

// Nobody sees the counters of a hidden panel: its timer rests there, and opening the panel
// shows the counts of that moment at once and starts counting again.
TEST(DmxLinkPanelTest, ThePacketCountersRestWhileHiddenAndAreCurrentWhenShown) {
  Pty pty;
  Console console(QString::fromStdString(pty.Path()));
  DmxLinkPanel& panel = *console.panel;
  ASSERT_FALSE(panel.isVisible());
  console.form->Engine().Tick();
  console.form->Engine().Tick();
  const QString hiddenText = panel.packetsLabel->text();
  panel.ShowReceivedBytes();
  EXPECT_FALSE(panel.receiveTimer->isActive());
  EXPECT_EQ(panel.packetsLabel->text(), hiddenText);

  console.ShowPanel();
  EXPECT_TRUE(panel.receiveTimer->isActive());
  EXPECT_EQ(panel.packetsLabel->text(), QStringLiteral("Пакеты: 2 / 0 / 0"));
  console.form->Engine().Tick();
  panel.ShowReceivedBytes();
  EXPECT_EQ(panel.packetsLabel->text(), QStringLiteral("Пакеты: 3 / 0 / 0"));
}

TEST(DmxLinkPanelTest, LampsLinesAndTheLineBudgetOnTheFakeDevice) {
  auto line = FakeSerialLine::Create("fake:dmx");
  line->SetModemStatus(serial::kMsCtsOn);
  Console console(QStringLiteral("fake:dmx"));
  DmxLinkPanel& panel = *console.panel;
  ASSERT_TRUE(panel.Link().ComPort().Connected());
  // Start-up takes the lamps from the modem status.
  EXPECT_EQ(panel.ctsLamp->Colour(), QColor(255, 0, 0));
  const QColor off = panel.dsrLamp->Colour();
  EXPECT_EQ(panel.rlsdLamp->Colour(), off);
  EXPECT_TRUE(line->Dtr() && line->Rts());

  line->SetModemStatus(serial::kMsDsrOn | serial::kMsRlsdOn);
  ASSERT_TRUE(WaitFor([&] { return panel.rlsdLamp->Colour() == QColor(0, 0, 255); }));
  EXPECT_EQ(panel.dsrLamp->Colour(), QColor(0, 128, 0));
  EXPECT_EQ(panel.ctsLamp->Colour(), off);

  panel.rtsBox->setChecked(false);
  EXPECT_FALSE(line->Rts());
  EXPECT_TRUE(line->Dtr());

  // A previous packet still on the line: this tick's packet is dropped, not queued.
  line->SetOutputQueue(400);
  console.form->Engine().Tick();
  EXPECT_TRUE(line->Written().empty());
  EXPECT_EQ(panel.Link().DroppedPackets(), 1);
  line->SetOutputQueue(0);
  console.form->Engine().Tick();
  EXPECT_EQ(line->Written().size(), 262u);
  EXPECT_EQ(panel.Link().SentPackets(), 1);

  // Shutdown lowers both lines and closes the port.
  console.form->close();
  EXPECT_FALSE(line->IsOpen());
  EXPECT_FALSE(line->Dtr());
  EXPECT_FALSE(line->Rts());
}

}  // namespace
}  // namespace kalvetro
