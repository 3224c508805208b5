// SPDX-License-Identifier: GPL-3.0-or-later
// Text that came from outside the program is shown as text in the real window: an OSC address
// or a Host header that looks like HTML is shown literally, an image it names is never opened
// (a FIFO would block the window for good), and every label of the window is a plain one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTest>
#include <atomic>
#include <thread>

#include "remote/OscTestSupport.h"
#include "remote/Remotes.h"
#include "remote/WebRemote.h"
#include "remote/ui/OscGroup.h"
#include "support/TestConsole.h"

namespace kalvetro {
namespace {

// Watches a FIFO from another thread: anyone opening it for reading is seen (and let go at
// once with an end of file, so that a window that does open it is not blocked for good).
class FifoWatch {
 public:
  explicit FifoWatch(const std::string& path) : path_(path) {
    ::mkfifo(path_.c_str(), 0600);
    thread_ = std::thread([this] {
      while (!stop_) {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {  // only succeeds while a reader has it open
          opened_ = true;
          ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~FifoWatch() {
    stop_ = true;
    thread_.join();
  }
  bool Opened() const { return opened_; }

 private:
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> opened_{false};
  std::thread thread_;
};

TEST(OutsideText, AddressesAndHeadersThatLookLikeHtmlAreShownLiterallyAndOpenNothing) {
  testing::TestConsole console;
  MainWindow& form = console.Start();
  ASSERT_TRUE(console.ShowAtLaptopSize());
  auto* group = console.Find<OscGroup>(QStringLiteral("GroupBoxOsc"));
  ASSERT_NE(group, nullptr);
  // The options page is the one shown, so its labels are laid out and painted.
  QWidget* page = group;
  while (page->parentWidget() && !qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget()))
    page = page->parentWidget();
  auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
  ASSERT_NE(tabs, nullptr);
  tabs->setCurrentWidget(page);

  const QString fifo = console.dir.filePath(QStringLiteral("picture.fifo"));
  FifoWatch watch(fifo.toStdString());
  const int oscPort = testing::FreeUdpPort();
  group->findChild<QSpinBox*>(QStringLiteral("SpinEditOscPort"))->setValue(oscPort);
  group->findChild<QCheckBox*>(QStringLiteral("CheckBoxOsc"))->click();
  Remotes& remotes = console.form->Remote();
  ASSERT_TRUE(remotes.Web().Start(0, QStringLiteral("127.0.0.1")));

  // An OSC address and a Host header that are HTML with an image from the FIFO.
  const QByteArray html = QStringLiteral("<b>SPOOF</b><img src=%1>").arg(fifo).toUtf8();
  testing::OscClient client(oscPort);
  client.Send(testing::OscMessage(("/" + html).constData()));
  QTcpSocket http;
  http.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(remotes.Web().Port()));
  ASSERT_TRUE(http.waitForConnected(3000));
  http.write("GET / HTTP/1.1\r\nHost: " + html + "\r\n\r\n");
  auto* oscError = group->findChild<QLabel*>(QStringLiteral("LabelOscLastError"));
  auto* webError = console.Find<QLabel>("LabelWebError");
  ASSERT_NE(webError, nullptr);
  ASSERT_TRUE(testing::WaitFor([&] {
    return oscError->text().contains(QString::fromUtf8(html)) &&
           webError->text().contains(QString::fromUtf8(html));
  })) << oscError->text().toStdString()
      << " | " << webError->text().toStdString();
  form.repaint();
  QTest::qWait(300);  // painted and laid out again: a rich label would load its image now

  EXPECT_FALSE(watch.Opened()) << "the window opened the FIFO as an image";
  for (QLabel* label : {oscError, webError})
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
  // The window keeps answering: its event loop runs a timer at once.
  bool answered = false;
  QTimer::singleShot(0, &form, [&] { answered = true; });
  EXPECT_TRUE(testing::WaitFor([&] { return answered; }, 1000));

  // No label anywhere in the window takes rich text, whatever page it is on.
  for (QLabel* label : form.findChildren<QLabel*>())
    EXPECT_EQ(label->textFormat(), Qt::PlainText)
        << label->objectName().toStdString() << " \"" << label->text().toStdString() << "\"";
}

}  // namespace
}  // namespace kalvetro
