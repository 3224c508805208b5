// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "windows/ConsoleStyle.h"

namespace kalvetro {
namespace {

// The columns of one pixel row between the arrow buttons that are lighter than the groove:
// the handle's face as the operator sees it.
std::pair<int, int> LitSpan(const QImage& image, int row, QRgb groove, const QRect& travel) {
  int first = -1, last = -1;
  for (int x = travel.left(); x <= travel.right(); ++x)
    if (qGray(image.pixel(x, row)) > qGray(groove) + 8) {
      if (first < 0) first = x;
      last = x;
    }
  return {first, last};
}

// A fader is drawn with its handle where the mouse grabs it, at both ends of its travel and
// as it moves, and dragging that drawn handle moves the level.
TEST(ConsoleStyle, TheFaderHandleIsDrawnWhereTheMouseGrabsIt) {
  ConsoleStyle style;
  QScrollBar fader(Qt::Horizontal);
  fader.setStyle(&style);
  fader.setRange(0, 255);
  fader.setPageStep(40);
  fader.resize(330, 16);
  fader.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&fader));

  const int row = 2;  // above the grip mark
  QStyleOptionSlider option;
  option.initFrom(&fader);
  option.orientation = Qt::Horizontal;
  option.minimum = 0;
  option.maximum = 255;
  option.pageStep = 40;
  const QRect travel =
      style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, &fader);
  ASSERT_GT(travel.width(), 250);
  auto drawnHandle = [&] {
    const QImage image = fader.grab().toImage();
    const int middleOfTravel = image.width() / 2;
    // Half-way along the bar is groove whenever the handle is at either end.
    return std::pair{image, image.pixel(middleOfTravel, row)};
  };
  auto [atZero, groove] = drawnHandle();
  const auto zero = LitSpan(atZero, row, groove, travel);
  fader.setValue(255);
  const auto full = LitSpan(fader.grab().toImage(), row, groove, travel);
  ASSERT_GE(zero.first, 0);
  ASSERT_GE(full.first, 0);
  EXPECT_LT(zero.second, 330 / 4);  // at the left end, past the arrow button
  EXPECT_GT(full.first, 330 * 3 / 4);
  EXPECT_EQ(zero.second - zero.first, full.second - full.first);  // one handle size

  // Press on the middle of the handle as drawn and drag it left: the level follows.
  const QPoint grab((full.first + full.second) / 2, 8);
  QTest::mousePress(&fader, Qt::LeftButton, {}, grab);
  QMouseEvent move(QEvent::MouseMove, QPointF(grab - QPoint(120, 0)),
                   fader.mapToGlobal(grab - QPoint(120, 0)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&fader, &move);
  QTest::mouseRelease(&fader, Qt::LeftButton, {}, grab - QPoint(120, 0));
  EXPECT_LT(fader.value(), 255);
  EXPECT_GT(fader.value(), 0);
  const auto dragged = LitSpan(fader.grab().toImage(), row, groove, travel);
  EXPECT_NEAR(dragged.first, full.first - 120, 2);

  // A pressed handle is drawn darker than at rest, so the operator sees what is held.
  const QPoint held((dragged.first + dragged.second) / 2, row);
  const int restGrey = qGray(fader.grab().toImage().pixel(held));
  QTest::mousePress(&fader, Qt::LeftButton, {}, QPoint(held.x(), 8));
  const int pressedGrey = qGray(fader.grab().toImage().pixel(held));
  QTest::mouseRelease(&fader, Qt::LeftButton, {}, QPoint(held.x(), 8));
  EXPECT_LT(pressedGrey, restGrey);
}

}  // namespace
}  // namespace kalvetro
