// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "support/TestConsole.h"
#include "windows/HandScanWindow.h"

namespace kalvetro::testing {
namespace {

// A started console with the hand scan window opened from its menu item.
class HandScanFixture : public TestConsole {
 public:
  HandScanFixture() {
    Start();
    form->show();
    Find<QAction>("AreaItem")->trigger();
    QApplication::processEvents();
  }
  HandScanWindow* Pad() const { return Find<HandScanWindow>("HandScanForm"); }
  QWidget* Shape() const { return Find<QWidget>("ShapeXY"); }
  int PadX() { return Controls().pad.x.load(); }
  int PadY() { return Controls().pad.y.load(); }
  bool Priority() { return Controls().pad.priority.load(); }
  void Press(QPoint at) {
    SendMouse(Shape(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  }
  void Release(QPoint at) {
    SendMouse(Shape(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
  }
  void Hover(QPoint at) { SendMouse(Shape(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
  void Click(QPoint at) {
    Press(at);
    Release(at);
  }
  void TickPriority() {
    Pad()->priorityBox->click();
    ASSERT_TRUE(Priority());
  }
};

TEST(HandScanForm, OpensAsAFixedAlwaysOnTopWindowFromMenuAndToolbar) {
  HandScanFixture c;
  HandScanWindow* pad = c.Pad();
  ASSERT_NE(pad, nullptr);
  EXPECT_TRUE(pad->isVisible());
  EXPECT_TRUE(pad->isWindow());
  EXPECT_TRUE(pad->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(pad->size(), QSize(289, 281));
  EXPECT_EQ(pad->minimumSize(), pad->maximumSize());
  EXPECT_EQ(pad->palette().color(QPalette::Window), QColor(200, 200, 255));
  EXPECT_EQ(c.Find<QAction>("AreaItem")->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
  EXPECT_EQ(c.Shape()->size(), QSize(256, 256));
  EXPECT_EQ(c.Shape()->pos(), QPoint(16, 16));

  // Closing only hides it; the toolbar button shows the same window again.
  pad->close();
  EXPECT_FALSE(pad->isVisible());
  c.Button(QStringLiteral("SpeedButtonAREA"))->click();
  EXPECT_TRUE(pad->isVisible());
  EXPECT_EQ(c.Find<HandScanWindow>("HandScanForm"), pad);
}

TEST(HandScanForm, CornersGiveTheirValuesWithAndWithoutInversionAndSwap) {
  HandScanFixture c;
  HandScanWindow* pad = c.Pad();
  c.Click({0, 0});
  EXPECT_EQ(c.PadX(), 0);
  EXPECT_EQ(c.PadY(), 255);
  EXPECT_EQ(pad->invertXBox->text(), QStringLiteral("X=0"));
  EXPECT_EQ(pad->invertYBox->text(), QStringLiteral("Y=255"));
  c.Click({255, 255});
  EXPECT_EQ(c.PadX(), 255);
  EXPECT_EQ(c.PadY(), 0);

  pad->invertXBox->click();
  pad->invertYBox->click();
  c.Click({0, 0});
  EXPECT_EQ(c.PadX(), 255);
  EXPECT_EQ(c.PadY(), 0);
  EXPECT_EQ(pad->invertXBox->text(), QStringLiteral("X=255"));
  EXPECT_EQ(pad->invertYBox->text(), QStringLiteral("Y=0"));

  // Inversion first, then the swap: pointer (10, 20) -> (245, 20) -> swapped (20, 245).
  pad->swapXYBox->click();
  c.Click({10, 20});
  EXPECT_EQ(c.PadX(), 20);
  EXPECT_EQ(c.PadY(), 245);
  // The marker follows the held pointer: centred one pixel right of and below it.
  const QRect marker = pad->centreMark->geometry();
  EXPECT_EQ(marker.center(), c.Shape()->geometry().topLeft() + QPoint(10, 20));
}

TEST(HandScanForm, MovingWithoutAButtonOnlyChangesTheCaptions) {
  HandScanFixture c;
  c.Core().SetSelected(5, true);
  c.Click({100, 100});
  const int x = c.PadX();
  const int y = c.PadY();
  c.Hover({30, 40});
  EXPECT_EQ(c.Pad()->invertXBox->text(), QStringLiteral("X=30"));
  EXPECT_EQ(c.Pad()->invertYBox->text(), QStringLiteral("Y=215"));
  EXPECT_EQ(c.PadX(), x);
  EXPECT_EQ(c.PadY(), y);
  EXPECT_EQ(c.Level(0, 5), 100);  // written by the click, not by the move
}

TEST(HandScanForm, PairsStartAtSelectedChannelsAndWriteTheCurrentSceneWhileStopped) {
  HandScanFixture c;
  c.Memory().Set(kCurrentStep, 3);
  c.Core().RefreshAll();
  // (5, 6): the second channel of the pair is unticked, also in the strip column.
  c.Core().SetSelected(5, true);
  c.Core().SetSelected(6, true);
  ASSERT_TRUE(c.Box(QStringLiteral("CheckBox6"))->isChecked());
  c.Click({10, 20});
  EXPECT_FALSE(c.Core().Selected(6));
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox6"))->isChecked());
  EXPECT_EQ(c.Level(3, 5), 10);
  EXPECT_EQ(c.Level(3, 6), 235);
  EXPECT_EQ(c.Level(0, 5), 0);  // only the current scene

  // (5, 9): two pairs with the same values.
  c.Core().SetSelected(9, true);
  c.Click({60, 70});
  EXPECT_EQ(c.Level(3, 5), 60);
  EXPECT_EQ(c.Level(3, 6), 185);
  EXPECT_EQ(c.Level(3, 9), 60);
  EXPECT_EQ(c.Level(3, 10), 185);
  EXPECT_TRUE(c.Core().Selected(9));

  // While playing nothing reaches the scene, though the pad values follow.
  c.Core().Runner().Play();
  c.Click({200, 0});
  EXPECT_EQ(c.PadX(), 200);
  EXPECT_EQ(c.PadY(), 255);
  EXPECT_EQ(c.Level(3, 5), 60);
  EXPECT_EQ(c.Level(3, 9), 60);
  c.Tick();
  EXPECT_NE(c.Out(5), 200);  // and without priority nothing reaches the output
}

TEST(HandScanForm, PriorityDrivesTheOutputUntilAnotherWindowIsActivated) {
  HandScanFixture c;
  c.Core().SetSelected(5, true);
  c.Core().SetSelected(255, true);
  c.Core().Runner().Play();  // priority works in any mode
  c.Click({40, 50});
  c.Tick();
  EXPECT_EQ(c.Out(5), 0);
  c.TickPriority();
  c.Tick();
  EXPECT_EQ(c.Out(5), 40);
  EXPECT_EQ(c.Out(6), 205);
  EXPECT_EQ(c.Out(255), 40);
  EXPECT_EQ(c.Out(256), 205);  // the pair of channel 255 reaches slot 256

  // Blackout comes after the pad and silences it.
  c.Core().Runner().SetBlackOut(true);
  c.Tick();
  EXPECT_EQ(c.Out(5), 0);
  EXPECT_EQ(c.Out(6), 0);
  EXPECT_EQ(c.Out(256), 0);
  c.Core().Runner().SetBlackOut(false);
  c.Tick();
  EXPECT_EQ(c.Out(5), 40);

  // Activating the main window ends the priority and unticks the box.
  c.form->activateWindow();
  QApplication::setActiveWindow(c.form.get());
  QApplication::processEvents();
  EXPECT_FALSE(c.Priority());
  EXPECT_FALSE(c.Pad()->priorityBox->isChecked());
  c.Tick();
  EXPECT_EQ(c.Out(5), 0);
  EXPECT_EQ(c.Out(6), 0);
  EXPECT_EQ(c.Out(256), 0);  // no channel holds it: dark once the pad lets go

  // Activating the pad window again does the same.
  c.TickPriority();
  c.Pad()->activateWindow();
  QApplication::setActiveWindow(c.Pad());
  QApplication::processEvents();
  EXPECT_FALSE(c.Priority());
}

TEST(HandScanForm, ChannelTwoFiftyFiveKeepsItsYOutsideTheChannels) {
  HandScanFixture c;
  c.Memory().Set(kCurrentStep, 255);
  c.Core().SetSelected(255, true);
  c.Click({7, 8});
  EXPECT_EQ(c.Level(255, 255), 7);
  EXPECT_EQ(c.Memory().Get(kSpareByte), 247);
  c.Memory().Set(kCurrentStep, 0);
  c.Click({9, 10});
  EXPECT_EQ(c.Level(0, 255), 9);
  EXPECT_EQ(c.Memory().Get(SceneRowOffset(1)), 245);  // byte 0 of the next row: no channel
}

}  // namespace
}  // namespace kalvetro::testing
