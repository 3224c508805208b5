// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "support/TestConsole.h"
#include "windows/AboutWindow.h"
#include "windows/DataPaths.h"
#include "windows/HelpWindow.h"
#include "windows/JpegPicture.h"

namespace kalvetro::testing {
namespace {

TEST(AboutForm, EveryFigureIsFilledOnThisMachine) {
  AboutWindow about(QDir::tempPath());
  about.show();
  EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
  EXPECT_EQ(about.size(), QSize(395, 237));
  const char* names[] = {"LabelWinVer",
                         "LabelDosVer",
                         "LabelTipCPU",
                         "TotalPhys",
                         "AvailPhys",
                         "TotalPage",
                         "AvailPage",
                         "ComputerLabel",
                         "ProcessorLabel",
                         "MMXIdentifierLabel",
                         "VendorIdentifierLabel",
                         "VersionLabel",
                         "VersionNumberLabel",
                         "OSNameLabel",
                         "RegisteredOrganizationLabel",
                         "RegisteredOwnerLabel",
                         "WindowsDirLabel"};
  for (const char* name : names) {
    auto* label = about.findChild<QLabel*>(QString::fromLatin1(name));
    ASSERT_NE(label, nullptr) << name;
    EXPECT_FALSE(label->text().trimmed().isEmpty()) << name;
    EXPECT_NE(label->text(), QStringLiteral("0")) << name;
  }
  EXPECT_FALSE(about.serialNumberEdit->text().isEmpty());
  // Memory in KiB, drives in Mb.
  const QRegularExpression kib(QStringLiteral("^\\d+ K$"));
  EXPECT_TRUE(kib.match(about.totalMemoryLabel->text()).hasMatch())
      << about.totalMemoryLabel->text().toStdString();
  EXPECT_TRUE(kib.match(about.freeSwapLabel->text()).hasMatch());
  const QRegularExpression mb(QStringLiteral("^\\d+ Mb$"));
  for (QLabel* l : {about.diskFreeCLabel, about.diskSizeCLabel, about.diskFreeDLabel,
                    about.diskSizeDLabel, about.diskFreeELabel, about.diskSizeELabel})
    EXPECT_TRUE(mb.match(l->text()).hasMatch()) << l->objectName().toStdString();
  EXPECT_NE(about.diskSizeCLabel->text(), QStringLiteral("0 Mb"));
  for (QLabel* l : {about.driveCLabel, about.driveDLabel, about.driveELabel})
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+$")).match(l->text()).hasMatch());
  EXPECT_TRUE(about.osVersionLabel->text().startsWith(QStringLiteral("Linux ")));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Linux \\d+\\.\\d\\d$"))
                  .match(about.osVersionLabel->text())
                  .hasMatch());

  // " SYS INFO" opens the system panel: height 631 at top 78.
  QTest::mouseClick(about.moreButton, Qt::LeftButton);
  EXPECT_EQ(about.height(), 631);
  EXPECT_EQ(about.width(), 395);
  EXPECT_EQ(about.y(), 78);
  QTest::mouseClick(about.closeButton, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
}

TEST(AboutForm, PictureDecodesAndDamagedFilesLeaveItEmpty) {
  const QString picture = DataPath(QStringLiteral("about.jpg"));
  ASSERT_FALSE(picture.isEmpty());
  const QImage image = DecodeJpegFile(picture);
  EXPECT_EQ(image.size(), QSize(240, 180));
  // The picture is dark stage with light beams: not one flat colour.
  EXPECT_NE(image.pixel(5, 5), image.pixel(120, 100));
  {
    AboutWindow about(QDir::tempPath());
    EXPECT_FALSE(about.pictureLabel->pixmap().isNull());
  }

  QTemporaryDir dir;
  QFile original(picture);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray bytes = original.readAll();
  auto write = [&](const char* name, const QByteArray& content) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
  };
  const QString cut = write("cut.jpg", bytes.left(bytes.size() / 2));
  QByteArray scrambled = bytes;
  for (int i = 20; i < scrambled.size(); i += 7) scrambled[i] = static_cast<char>(0xFF);
  const QString broken = write("broken.jpg", scrambled);
  const QString text = write("text.jpg", QByteArray("not a picture at all"));
  const QString empty = write("empty.jpg", QByteArray());
  for (const QString& path : {cut, broken, text, empty, dir.filePath(QStringLiteral("none.jpg"))}) {
    EXPECT_TRUE(DecodeJpegFile(path).isNull()) << path.toStdString();
    AboutWindow about(QDir::tempPath(), nullptr, path);
    about.show();
    EXPECT_TRUE(about.pictureLabel->pixmap().isNull());
  }
}

TEST(AboutForm, OpensModallyFromTheMenuAndTheToolbar) {
  TestConsole c;
  c.Start();
  for (const char* how : {"menu", "toolbar"}) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
      seen = about != nullptr && about->isModal();
      if (about) about->closeButton->click();
    });
    if (QString::fromLatin1(how) == QStringLiteral("menu"))
      c.Find<QAction>("AboutItem")->trigger();
    else
      c.Button(QStringLiteral("SpeedButtonABOUT"))->click();
    EXPECT_TRUE(seen) << how;
    // Destroyed after it closes.
    EXPECT_EQ(c.form->findChild<AboutWindow*>(), nullptr);
  }
}

TEST(HelpForm, OpensTheContentsAndFollowsLinks) {
  TestConsole c;
  c.Start();
  auto* helpItem = c.Find<QAction>("HelpItem");
  ASSERT_NE(helpItem, nullptr);
  EXPECT_EQ(helpItem->shortcut(), QKeySequence(Qt::Key_F1));
  helpItem->trigger();
  auto* help = c.Find<HelpWindow>("HelpForm");
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(c.dialogs.errors.isEmpty());
  EXPECT_TRUE(help->browser->source().toLocalFile().endsWith(QStringLiteral("index.html")));
  EXPECT_TRUE(help->browser->toPlainText().contains(QStringLiteral("Конвейр потоков Шоу")));

  // Every page of the contents exists and has a heading; clicking an entry shows it.
  for (int i = 0; i < help->contentsList->count(); ++i) {
    QListWidgetItem* item = help->contentsList->item(i);
    help->contentsList->scrollToItem(item);
    QTest::mouseClick(help->contentsList->viewport(), Qt::LeftButton, {},
                      help->contentsList->visualItemRect(item).center());
    const QString file = item->data(Qt::UserRole).toString();
    EXPECT_TRUE(help->browser->source().toLocalFile().endsWith(file)) << file.toStdString();
    EXPECT_TRUE(help->browser->toPlainText().contains(item->text()) || i == 0)
        << file.toStdString();
  }
  // The keyboard page lists the conveyor keys.
  help->ShowPage(QStringLiteral("keys.html"));
  EXPECT_TRUE(help->browser->toPlainText().contains(
      QStringLiteral("Q W E R T Y U I O P A S D F G H J K L")));

  // Every link of every page leads to a page of the folder.
  const QDir folder(HelpWindow::HelpFolder());
  const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)\""));
  for (const QString& name : folder.entryList({QStringLiteral("*.html")})) {
    QFile page(folder.filePath(name));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (auto m = href.globalMatch(html); m.hasNext();) {
      const QString target = m.next().captured(1);
      if (target.startsWith(QStringLiteral("http"))) continue;
      EXPECT_TRUE(folder.exists(target)) << name.toStdString() << " -> " << target.toStdString();
    }
  }

  // The toolbar button brings the same window back.
  help->close();
  c.Button(QStringLiteral("SpeedButtonHELP"))->click();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(c.form->findChildren<HelpWindow*>().size(), 1);
}

}  // namespace
}  // namespace kalvetro::testing
