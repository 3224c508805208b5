// SPDX-License-Identifier: GPL-3.0-or-later
// The console on a laptop screen: the main window and every other window of the console fit
// the screen, every control shown lies inside its window and none is squeezed below the width
// it needs, on every tab of the three page controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QtMath>
#include <algorithm>

#include "support/TestConsole.h"
#include "windows/AboutWindow.h"
#include "windows/ConsoleStyle.h"
#include "windows/HandScanWindow.h"
#include "windows/HelpWindow.h"
#include "windows/PictureEditorWindow.h"

namespace kalvetro::testing {
namespace {

// A control is inside a scroll area's page when one of its ancestors is the viewport: it is
// reached by scrolling, so only the scroll area itself has to be on the window.
bool InsideScrolledPage(const QWidget* widget, const QWidget* window) {
  for (const QWidget* w = widget->parentWidget(); w && w != window; w = w->parentWidget()) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget());
    if (area && area->viewport() == w) return true;
  }
  return false;
}

QString Describe(const QWidget* widget) {
  QString name = widget->objectName();
  for (const QWidget* w = widget->parentWidget(); name.isEmpty() && w; w = w->parentWidget())
    if (!w->objectName().isEmpty()) name = QStringLiteral("in ") + w->objectName();
  return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(widget->metaObject()->className()),
                                       name);
}

// Every shown control of window that sticks out of it, or is narrower than its own minimum
// size hint, one line each.
QStringList FitFaults(QWidget* window) {
  QStringList faults;
  const QRect frame = window->rect();
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisible() || widget->isWindow() || widget->window() != window) continue;
    const QRect at(widget->mapTo(window, QPoint(0, 0)), widget->size());
    const QSize needs = widget->minimumSizeHint();
    if (!InsideScrolledPage(widget, window) && !frame.contains(at))
      faults << QStringLiteral("%1 at %2,%3 %4x%5 out of %6x%7")
                    .arg(Describe(widget))
                    .arg(at.x())
                    .arg(at.y())
                    .arg(at.width())
                    .arg(at.height())
                    .arg(frame.width())
                    .arg(frame.height());
    // A page too tall for the screen scrolls up and down, never sideways.
    if (auto* box = qobject_cast<QScrollArea*>(widget);
        box && box->horizontalScrollBar()->isVisible())
      faults << Describe(widget) + QStringLiteral(" scrolls sideways");
    if (needs.isValid() && widget->width() < needs.width())
      faults << QStringLiteral("%1 is %2 wide, needs %3")
                    .arg(Describe(widget))
                    .arg(widget->width())
                    .arg(needs.width());
  }
  return faults;
}

// Every button of window whose icon holds no picture as large as the button shows it in the
// screen's own pixels: such an icon is blown up, and blurred, on a scaled screen.
QStringList BlurredIcons(QWidget* window) {
  QStringList faults;
  const qreal ratio = window->devicePixelRatioF();
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    const QIcon icon = button->icon();
    // Qt's own parts (the toolbar's overflow button) are left to Qt.
    if (icon.isNull() || button->objectName().startsWith(QStringLiteral("qt_"))) continue;
    const QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) continue;  // drawn at any size
    int largest = 0;
    for (const QSize& size : sizes) largest = std::max(largest, size.width());
    // A tool button on a toolbar shows its icon at the toolbar's size.
    const auto* bar = qobject_cast<const QToolBar*>(button->parentWidget());
    const QSize shown = bar ? bar->iconSize() : button->iconSize();
    const int needed = qCeil(shown.width() * ratio);
    if (largest < needed)
      faults << QStringLiteral("%1: icon of %2 px shown at %3 px")
                    .arg(Describe(button))
                    .arg(largest)
                    .arg(needed);
  }
  return faults;
}

std::string Lines(const QStringList& faults) {
  return faults.join(QLatin1Char('\n')).toStdString();
}

// The screen in logical pixels: the physical size divided by the scale factor the test runs
// under (QT_SCALE_FACTOR is read once, when the application starts).
QSize LogicalScreen(QSize physical) {
  const qreal scale = qApp->devicePixelRatio();
  return QSize(qRound(physical.width() / scale), qRound(physical.height() / scale));
}

// Opens the console, lays the window on a screen of the given size and checks every tab of
// the three page controls, then the hand scan, picture, help and system information windows.
void CheckConsoleFits(QSize screen) {
  SCOPED_TRACE(QStringLiteral("screen %1x%2 at scale %3")
                   .arg(screen.width())
                   .arg(screen.height())
                   .arg(qApp->devicePixelRatio())
                   .toStdString());
  UseConsoleStyle();
  TestConsole c;
  MainWindow& w = c.Start();
  const QSize least = w.minimumSizeHint().expandedTo(w.minimumSize());
  EXPECT_LE(least.width(), 1280);
  EXPECT_LE(least.height(), 700);
  w.setWindowState(Qt::WindowNoState);
  w.resize(screen);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(w.size(), screen);
  EXPECT_TRUE(BlurredIcons(&w).isEmpty()) << Lines(BlurredIcons(&w));

  for (const char* name : {"PageControlInput", "PageControlUst", "PageControlTemp"}) {
    auto* pages = c.Find<QTabWidget>(name);
    ASSERT_NE(pages, nullptr) << name;
    const int shown = pages->currentIndex();
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      QApplication::processEvents();
      const QStringList faults = FitFaults(&w);
      EXPECT_TRUE(faults.isEmpty()) << name << " tab " << pages->tabText(i).toStdString() << ":\n"
                                    << Lines(faults);
    }
    pages->setCurrentIndex(shown);
  }

  // The other windows stand on the same screen.
  auto checkWindow = [&](QWidget* other) {
    ASSERT_NE(other, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(other->isVisible()) << Describe(other).toStdString();
    EXPECT_LE(other->width(), screen.width()) << Describe(other).toStdString();
    EXPECT_LE(other->height(), screen.height()) << Describe(other).toStdString();
    const QStringList faults = FitFaults(other);
    EXPECT_TRUE(faults.isEmpty()) << Describe(other).toStdString() << ":\n" << Lines(faults);
  };
  c.Find<QAction>("AreaItem")->trigger();
  checkWindow(c.Find<HandScanWindow>("HandScanForm"));
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonRECORD")), Qt::LeftButton);
  checkWindow(c.Find<PictureEditorWindow>("StaticForm"));
  c.Find<PictureEditorWindow>("StaticForm")->close();
  c.Find<QAction>("HelpItem")->trigger();
  checkWindow(c.Find<HelpWindow>("HelpForm"));
  {
    AboutWindow about(QDir::tempPath(), &w);
    about.show();
    checkWindow(&about);
    about.ToggleSystemPanel();
    checkWindow(&about);
  }
}

TEST(ScreenFit, EveryPageAndWindowFitsLaptopScreens) {
  CheckConsoleFits(QSize(1280, 720));
  CheckConsoleFits(QSize(1366, 768));
}

// A full HD screen at 125 % and 150 %: the same checks on the logical screen, in a child
// process of this test program, since the scale factor is fixed when the application starts.
TEST(ScreenFit, EveryPageAndWindowFitsAScaledFullHdScreen) {
  const QByteArray scale = qgetenv("KALVETRO_FIT_SCALE");
  if (!scale.isEmpty()) {
    ASSERT_NEAR(qApp->devicePixelRatio(), scale.toDouble(), 0.001);
    CheckConsoleFits(LogicalScreen(QSize(1920, 1080)));
    return;
  }
  for (const char* factor : {"1.25", "1.5"}) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(factor));
    env.insert(QStringLiteral("KALVETRO_FIT_SCALE"), QString::fromLatin1(factor));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=ScreenFit.EveryPageAndWindowFitsAScaledFullHdScreen")});
    ASSERT_TRUE(child.waitForFinished(120000)) << factor;
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << "scale " << factor << ":\n" << output.toStdString();
    // The filter found the case: a child that ran nothing would pass as well.
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
  }
}

}  // namespace
}  // namespace kalvetro::testing
