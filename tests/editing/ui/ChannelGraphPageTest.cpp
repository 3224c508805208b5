// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

const QColor kTeal(50, 150, 150);
const QColor kYellow(255, 255, 10);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

class ChannelGraphPageTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    Start();
    Find<QTabWidget>("PageControlInput")->setCurrentIndex(2);  // "График Канала"
    chart = Find<QWidget>("PaintBoxGrafik");
    ASSERT_NE(chart, nullptr);
  }
  QImage Chart() { return chart->grab().toImage(); }
  QColor Pixel(int x, int y) { return Chart().pixelColor(x, y); }
  QString Label(const char* name) { return Text(QString::fromLatin1(name))->text(); }
  // Middle of the column of shown column k at zoom 3 (16 pixels wide).
  static int ColumnX(int k) { return 16 * k + 4; }
  void Press(Qt::MouseButton button, int x, int y) {
    QTest::mousePress(chart, button, Qt::NoModifier, QPoint(x, y));
  }
  void Release(Qt::MouseButton button, int x, int y) {
    QTest::mouseRelease(chart, button, Qt::NoModifier, QPoint(x, y));
  }
  void Wheel(int delta) {
    QWheelEvent wheel(QPointF(100, 100), chart->mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    // Delivered as the window system delivers it, so that it travels up from the chart.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(chart, &wheel);
  }

  QWidget* chart = nullptr;
};

TEST_F(ChannelGraphPageTest, ZoomThreeAreaTwoShowsScenes65To96) {
  EXPECT_EQ(chart->size(), QSize(512, 256));
  QScrollBar* zoom = Bar(QStringLiteral("ScrollBarGrafikZoom"));
  QScrollBar* area = Bar(QStringLiteral("ScrollBarGrafikArea"));
  EXPECT_EQ(zoom->value(), 3);  // the empty show of start-up
  EXPECT_EQ(Label("LabelGrafZoom"), QStringLiteral(" Масштаб = 8/1"));
  EXPECT_EQ(area->maximum(), 7);

  Show().DataWrite(64, 1, 255);  // scene 65, first of area 2
  Show().DataWrite(95, 1, 127);  // scene 96, its last
  Show().DataWrite(96, 1, 255);  // scene 97, not shown
  area->setValue(2);
  EXPECT_EQ(Label("LabelScenaGrafikFrom"), QStringLiteral("от Сцены = 65"));
  EXPECT_EQ(Label("LabelScenaGrafikLast"), QStringLiteral("до Сцены = 96"));
  EXPECT_TRUE(Label("LabelNameChanel").startsWith(QStringLiteral(" Канал 1  ")));
  const QImage image = Chart();
  EXPECT_EQ(image.pixelColor(0, 0), kYellow);  // full bar in the first column
  EXPECT_EQ(image.pixelColor(15, 0), kYellow);
  EXPECT_EQ(image.pixelColor(16, 0), kTeal);  // 16 pixels wide
  EXPECT_EQ(image.pixelColor(16, 254), kTeal);
  EXPECT_EQ(image.pixelColor(31 * 16 + 2, 127), kTeal);  // level 127 reaches up to y = 128
  EXPECT_EQ(image.pixelColor(31 * 16 + 2, 128), kYellow);

  zoom->setValue(0);
  EXPECT_FALSE(area->isEnabled());
  EXPECT_EQ(Label("LabelGrafZoom"), QStringLiteral(" Масштаб = 1/1"));
  EXPECT_EQ(Label("LabelScenaGrafikLast"), QStringLiteral("до Сцены = 256"));
  EXPECT_EQ(Pixel(2 * 64, 0), kYellow);  // two pixels per scene
  EXPECT_EQ(Pixel(2 * 65, 0), kTeal);
}

TEST_F(ChannelGraphPageTest, ArrowPressSetsTheLevelAndDraggingPaintsSceneByScene) {
  EXPECT_TRUE(Button(QStringLiteral("SpeedButtonGrafArrow"))->isChecked());
  Bar(QStringLiteral("ScrollBarChanellGrafik"))->setValue(4);  // channel 5
  Press(Qt::LeftButton, ColumnX(5), 55);
  EXPECT_EQ(Level(5, 5), 200);
  EXPECT_EQ(Label("LabelScenaGrafik"), QStringLiteral(" Сцена = 6"));
  EXPECT_EQ(Label("LabelLevelNewGrafik"), QStringLiteral(" Новый уровень канала = 200     79%"));
  EXPECT_EQ(Pixel(5 * 16 + 8, 55), kRed);  // the marked scene's square on top of its bar
  EXPECT_EQ(Pixel(5 * 16 + 1, 100), kYellow);

  QTest::mouseMove(chart, QPoint(ColumnX(6), 155));
  EXPECT_EQ(Level(6, 5), 100);
  // Held beyond the right edge and far below: the last shown scene gets level 0.
  Show().DataWrite(31, 5, 90);
  QTest::mouseMove(chart, QPoint(900, 400));
  EXPECT_EQ(Level(31, 5), 0);
  EXPECT_EQ(Level(32, 5), 0);
  Release(Qt::LeftButton, 900, 400);

  // Moving with no button held only shows where the pointer is.
  QMouseEvent move(QEvent::MouseMove, QPointF(ColumnX(7), 10), chart->mapToGlobal(QPointF()),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(chart, &move);
  EXPECT_EQ(Level(7, 5), 0);
  EXPECT_EQ(Label("LabelScenaGrafik"), QStringLiteral(" Сцена = 8"));
  EXPECT_EQ(Label("LabelLevelDmxGrafik"), QStringLiteral(" Уровень канала сцены 8 = 0     0%"));
  for (int s = 0; s < kSceneCount; ++s) {
    if (s != 5 && s != 6) {
      EXPECT_EQ(Level(s, 5), 0) << s;
    }
  }
  EXPECT_EQ(Level(5, 4), 0);  // other channels untouched
}

TEST_F(ChannelGraphPageTest, PenFillsFromScene250To255AndLineRamps) {
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonGrafPen")), Qt::LeftButton);
  Show().DataWrite(255, 1, 9);
  Bar(QStringLiteral("ScrollBarGrafikArea"))->setValue(7);  // scenes 225..256
  Press(Qt::LeftButton, ColumnX(249 - 224), 155);
  Release(Qt::LeftButton, ColumnX(249 - 224), 155);
  EXPECT_EQ(Level(248, 1), 0);
  for (int s = 249; s <= 254; ++s) EXPECT_EQ(Level(s, 1), 100) << s;
  EXPECT_EQ(Level(255, 1), 9);

  // Line: left on scene 11 at level 0, right on scene 14 at level 100.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonGrafLine")), Qt::LeftButton);
  EXPECT_FALSE(Button(QStringLiteral("SpeedButtonGrafPen"))->isChecked());
  Bar(QStringLiteral("ScrollBarGrafikArea"))->setValue(0);
  Show().DataWrite(10, 1, 50);
  Press(Qt::LeftButton, ColumnX(10), 255);
  Release(Qt::LeftButton, ColumnX(10), 255);
  EXPECT_EQ(Level(10, 1), 0);
  Press(Qt::RightButton, ColumnX(13), 155);
  Release(Qt::RightButton, ColumnX(13), 155);
  EXPECT_EQ(Level(10, 1), 0);
  EXPECT_EQ(Level(11, 1), 33);
  EXPECT_EQ(Level(12, 1), 66);
  EXPECT_EQ(Level(13, 1), 99);
  EXPECT_EQ(Level(14, 1), 0);
}

TEST_F(ChannelGraphPageTest, LastSceneBarMovesTheEndMarker) {
  EXPECT_EQ(Show().LastScene(), 1);
  EXPECT_EQ(Pixel(2 * 16, 100), kBlue);  // behind scene 2
  EXPECT_EQ(Pixel(2 * 16 + 1, 100), kBlue);
  EXPECT_NE(Pixel(2 * 16 + 2, 100), kBlue);

  Bar(QStringLiteral("ScrollBarMaxScenaGrafic"))->setValue(9);
  EXPECT_EQ(Show().LastScene(), 9);
  EXPECT_EQ(Pixel(10 * 16, 100), kBlue);
  EXPECT_EQ(Pixel(10 * 16 + 1, 0), kBlue);
  EXPECT_NE(Pixel(2 * 16, 100), kBlue);

  // A last scene set elsewhere shows on the bar at the next refresh.
  Memory().Set(kLastScene, 20);
  Core().RefreshAll();
  EXPECT_EQ(Bar(QStringLiteral("ScrollBarMaxScenaGrafic"))->value(), 20);
  EXPECT_EQ(Show().LastScene(), 20);
}

TEST_F(ChannelGraphPageTest, NewShowResetsTheZoomOpenedShowKeepsIt) {
  QScrollBar* zoom = Bar(QStringLiteral("ScrollBarGrafikZoom"));
  zoom->setValue(1);
  const QString path = PathIn(QStringLiteral("keep.klv"));
  ASSERT_TRUE(Core().Files().SaveShowAs(path).ok);
  ASSERT_TRUE(Core().Files().OpenShow(path).ok);
  Core().RefreshAll();
  EXPECT_EQ(zoom->value(), 1);
  EXPECT_EQ(Label("LabelGrafZoom"), QStringLiteral(" Масштаб = 2/1"));

  Core().ClearAll();
  Find<QTabWidget>("PageControlInput")->setCurrentIndex(2);
  EXPECT_EQ(zoom->value(), 3);
  EXPECT_EQ(Label("LabelGrafZoom"), QStringLiteral(" Масштаб = 8/1"));
  EXPECT_EQ(Label("LabelScenaGrafikLast"), QStringLiteral("до Сцены = 32"));
}

TEST_F(ChannelGraphPageTest, WheelOverThePageMovesTheChannel) {
  QScrollBar* channel = Bar(QStringLiteral("ScrollBarChanellGrafik"));
  Show().DataWrite(0, 2, 255);
  Wheel(120);
  EXPECT_EQ(channel->value(), 1);
  EXPECT_TRUE(Label("LabelNameChanel").startsWith(QStringLiteral(" Канал 2  ")));
  EXPECT_EQ(Pixel(1, 0), kYellow);  // the chart shows channel 2
  Wheel(-120);
  Wheel(-120);
  EXPECT_EQ(channel->value(), 0);
  EXPECT_NE(Pixel(1, 0), kYellow);
}

}  // namespace
}  // namespace kalvetro::testing
