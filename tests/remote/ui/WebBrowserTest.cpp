// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page in a real browser (headless Chromium through Selenium) against the real main
// window, its web remote turned on through the group on "Опции" and its DMX port on a pty:
// a wrong PIN gets no control, the right one does; Next and a held picture reach the wire; the
// page shows the scene the window shows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "remote/Remotes.h"
#include "remote/WebRemote.h"
#include "remote/WebTestSupport.h"
#include "remote/ui/WebPanel.h"
#include "show/Settings.h"
#include "support/TestConsole.h"

namespace kalvetro {
namespace {

using testing::Pty;
using testing::WaitFor;
using testing::Wire;

// The Selenium script, one command a line, one answer a line; the Qt event loop runs while
// the browser works.
class Browser {
 public:
  explicit Browser(const QString& url) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(KALVETRO_WEB_BROWSER_SCRIPT), url});
  }
  ~Browser() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.write("quit\n");
    if (!process_.waitForFinished(15000)) process_.kill();
  }
  // The next line the script says (empty when it says nothing in time).
  QString Line(int ms = 30000) {
    WaitFor([this] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; },
            ms);
    if (!process_.canReadLine()) {
      errors_ += QString::fromUtf8(process_.readAllStandardError());
      return {};
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
  }
  QString Ask(const QString& command) {
    process_.write((command + QLatin1Char('\n')).toUtf8());
    return Line();
  }
  const QString& Errors() const { return errors_; }

 private:
  QProcess process_;
  QString errors_;
};

TEST(WebBrowser, APhoneInChromiumDrivesTheWindowsShow) {
  Pty pty;
  testing::TestConsole test;
  MainWindow& window = test.Start({.withTick = true,
                                   .showFile = testing::WriteWebTestShow(test.dir),
                                   .port = QString::fromStdString(pty.Path())});
  Console& console = window.GetConsole();
  console.Runner().SetCrossfadeMode(kCrossfadeOff);
  Wire wire(pty);
  ASSERT_TRUE(
      wire.WaitFor([](const DmxFrame& f) { return f.levels[0] == testing::kWebSceneLevels[0]; }));

  // The operator turns the page on at a free port on the options page.
  int port = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    port = probe.serverPort();
  }
  auto* panel = window.findChild<WebPanel*>(QStringLiteral("GroupBoxWeb"));
  ASSERT_TRUE(panel);
  panel->bindEdit->setText(QStringLiteral("127.0.0.1"));
  emit panel->bindEdit->editingFinished();
  panel->portEdit->setValue(port);
  panel->webBox->click();
  WebRemote& web = window.Remote().Web();
  ASSERT_TRUE(web.Listening()) << web.StartError().toStdString();
  EXPECT_EQ(web.Port(), port);
  const QString pin = panel->pinEdit->text();
  ASSERT_TRUE(ValidPin(pin.toStdString())) << pin.toStdString();
  EXPECT_EQ(panel->urlLabel->text(), QStringLiteral("http://127.0.0.1:%1/").arg(port));
  EXPECT_TRUE(console.Files().RemoteSetup().webOn);

  Browser browser(panel->urlLabel->text());
  ASSERT_EQ(browser.Line(60000), QStringLiteral("ready")) << browser.Errors().toStdString();
  auto* step = window.findChild<QLabel*>(QStringLiteral("LabelStep"));
  ASSERT_TRUE(step);
  // Waits until the page shows the scene the window's label shows.
  auto pageShowsTheWindowsScene = [&] {
    QString page;
    const bool same = WaitFor(
        [&] {
          page = browser.Ask(QStringLiteral("scene"));
          return page == QStringLiteral("%1 3").arg(step->text());
        },
        5000);
    EXPECT_TRUE(same) << "page " << page.toStdString() << ", window " << step->text().toStdString();
    return same;
  };

  // Screenshots of the page are kept when KALVETRO_SCREENSHOT_DIR is set.
  const QString shots = qEnvironmentVariable("KALVETRO_SCREENSHOT_DIR", test.dir.path());
  QDir().mkpath(shots);

  // A wrong PIN: refused, and the page's buttons move nothing.
  const QString wrong =
      pin == QStringLiteral("0000") ? QStringLiteral("1111") : QStringLiteral("0000");
  const QString refused = browser.Ask(QStringLiteral("pin ") + wrong);
  EXPECT_TRUE(refused.startsWith(QStringLiteral("out "))) << refused.toStdString();
  EXPECT_EQ(browser.Ask(QStringLiteral("shot %1/web-pin-360x740.png 360 740").arg(shots)),
            QStringLiteral("ok"));
  EXPECT_EQ(browser.Ask(QStringLiteral("poke next")), QStringLiteral("ok"));
  testing::Pump(300);
  EXPECT_EQ(console.Show().CurrentStep(), 0);
  EXPECT_EQ(wire.Level(1), testing::kWebSceneLevels[0]);
  EXPECT_EQ(web.Errors(), 1);

  // The right PIN: the page shows the window's scene.
  ASSERT_EQ(browser.Ask(QStringLiteral("pin ") + pin), QStringLiteral("in"));
  EXPECT_TRUE(pageShowsTheWindowsScene());
  EXPECT_EQ(step->text(), QStringLiteral("1"));

  // Next on the phone: the next scene on the wire and in both views.
  EXPECT_EQ(browser.Ask(QStringLiteral("press next")), QStringLiteral("ok"));
  EXPECT_TRUE(
      wire.WaitFor([](const DmxFrame& f) { return f.levels[0] == testing::kWebSceneLevels[1]; }));
  EXPECT_TRUE(WaitFor([&] { return step->text() == QStringLiteral("2"); }));
  EXPECT_TRUE(pageShowsTheWindowsScene());

  // The window moves on its own scroll bar: the page follows.
  window.findChild<QScrollBar*>(QStringLiteral("ScrollBarStep"))->setValue(2);
  EXPECT_TRUE(WaitFor([&] { return step->text() == QStringLiteral("3"); }));
  EXPECT_TRUE(pageShowsTheWindowsScene());
  EXPECT_TRUE(
      wire.WaitFor([](const DmxFrame& f) { return f.levels[0] == testing::kWebSceneLevels[2]; }));

  // Picture 3 held: its level on the wire for as long as it is held, gone when let go.
  EXPECT_EQ(browser.Ask(QStringLiteral("hold 3")), QStringLiteral("ok"));
  EXPECT_TRUE(wire.WaitFor([](const DmxFrame& f) {
    return f.levels[testing::kWebPictureChannel - 1] == testing::kWebPictureLevel;
  }));
  testing::Pump(400);
  EXPECT_EQ(wire.Level(testing::kWebPictureChannel), testing::kWebPictureLevel);
  EXPECT_TRUE(console.Runner().Picture(2));
  // How the page looks on a phone (picture 3 held) and on a tablet.
  for (const auto& [w, h] : {std::pair{360, 740}, std::pair{1024, 768}}) {
    const QString file = QStringLiteral("%1/web-%2x%3.png").arg(shots).arg(w).arg(h);
    EXPECT_EQ(browser.Ask(QStringLiteral("shot %1 %2 %3").arg(file).arg(w).arg(h)),
              QStringLiteral("ok"));
    EXPECT_TRUE(QFile::exists(file));
  }
  EXPECT_EQ(browser.Ask(QStringLiteral("release 3")), QStringLiteral("ok"));
  EXPECT_TRUE(wire.WaitFor(
      [](const DmxFrame& f) { return f.levels[testing::kWebPictureChannel - 1] == 0; }));
  EXPECT_FALSE(console.Runner().Picture(2));

  if (qEnvironmentVariableIsSet("KALVETRO_SCREENSHOT_DIR")) {
    ASSERT_TRUE(test.ShowAtLaptopSize());
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControlInput"));
    auto* options = window.findChild<QWidget*>(QStringLiteral("TabSheet1"));
    pages->setCurrentWidget(options);
    testing::Pump(200);
    options->grab().save(shots + "/web-options.png");
  }

  // What the operator set on the group is in the settings file after the window closed, the
  // PIN made at the first start with it.
  EXPECT_EQ(console.Files().RemoteSetup().webPin, pin.toStdString());
  const QString settingsFile = test.dir.filePath(QStringLiteral("config/Kalvo.ini"));
  test.Stop();
  const RemoteSettings kept = ReadSettings(settingsFile.toStdString()).remote;
  EXPECT_TRUE(kept.webOn);
  EXPECT_EQ(kept.webPort, port);
  EXPECT_EQ(kept.webBind, "127.0.0.1");
  EXPECT_EQ(kept.webPin, pin.toStdString());
}

}  // namespace
}  // namespace kalvetro
