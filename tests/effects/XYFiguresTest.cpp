// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "effects/XYFigures.h"

namespace kalvetro {
namespace {

// The pair under edit is channels 11 (X) and 12 (Y), so a test also catches a figure that
// writes the wrong channels.
constexpr int kFirst = 10;
constexpr std::uint8_t kUntouched = 0xEE;

struct RowPoint {
  int row;
  int x;
  int y;
};

// Every channel of every row starts at kUntouched.
void MarkAll(ShowState& show) {
  show.memory.Fill(kSceneRows, kSceneCount * kRowSize, kUntouched);
}

void Put(ShowState& show, int row, int x, int y) {
  show.DataWrite(static_cast<std::uint8_t>(row), kFirst + 1, x);
  show.DataWrite(static_cast<std::uint8_t>(row), kFirst + 2, y);
}

// The pair holds exactly the expected points, every other row of the pair is untouched, and
// no other channel of any row changed.
::testing::AssertionResult HasPoints(const ShowState& show, const std::vector<RowPoint>& points) {
  std::vector<bool> written(kSceneCount, false);
  for (const RowPoint& p : points) {
    written[p.row] = true;
    const XYPoint got = ReadXY(show, kFirst, p.row);
    if (got.x != p.x || got.y != p.y)
      return ::testing::AssertionFailure() << "row " << p.row << " is (" << got.x << ", " << got.y
                                           << "), expected (" << p.x << ", " << p.y << ")";
  }
  for (int row = 0; row < kSceneCount; ++row) {
    for (int n = 0; n < kRowSize; ++n) {
      const bool pair = n == kFirst + 1 || n == kFirst + 2;
      if (pair && written[row]) continue;
      if (show.DataRead(static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(n)) != kUntouched)
        return ::testing::AssertionFailure() << "row " << row << " channel " << n << " changed";
    }
  }
  return ::testing::AssertionSuccess();
}

XYArea Area(int from, int to) {
  return {kFirst, from, to};
}

TEST(XYFigures, WriteXYClampsAndWrapsTheRow) {
  ShowState show;
  WriteXY(show, 253, 4, 400, -1);  // the last pair of a row
  EXPECT_EQ(show.DataRead(4, 254), 255);
  EXPECT_EQ(show.DataRead(4, 255), 0);
  EXPECT_EQ(show.DataRead(5, 0), 0);
  WriteXY(show, kFirst, 256, 7, 8);  // row 256 is row 0
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{7, 8}));
}

TEST(XYFigures, SinusMapsAngleAndSizeAroundTheCentre) {
  EXPECT_EQ(PointAtAngle(0, 250), (XYPoint{127, 252}));   // straight up
  EXPECT_EQ(PointAtAngle(90, 250), (XYPoint{252, 127}));  // right
  EXPECT_EQ(PointAtAngle(180, 200), (XYPoint{127, 28}));  // ceil(-100) + 128
  EXPECT_EQ(PointAtAngle(270, 250), (XYPoint{3, 127}));
  EXPECT_EQ(PointAtAngle(45, 100), (XYPoint{163, 163}));  // ceil(35.36) = 36
  EXPECT_EQ(PointAtAngle(225, 100), (XYPoint{93, 93}));   // ceil(-35.36) = -35
  EXPECT_EQ(PointAtAngle(150, 100), (XYPoint{152, 85}));  // sin 150 = 0.5 exactly: 25
  EXPECT_EQ(PointAtAngle(-90, 100), (XYPoint{78, 127}));  // negative angles turn back
  EXPECT_EQ(PointAtAngle(0, 0), (XYPoint{127, 127}));
}

TEST(XYFigures, LineRisesToTheMiddleSceneJumpsAndComesBack) {
  ShowState show;
  MarkAll(show);
  // N = 5: step 40, d 80, start 35, middle row 3.
  EXPECT_EQ(MakeLine(show, Area(1, 5), {200, 7}), XYStatus::kDone);
  EXPECT_TRUE(
      HasPoints(show, {{0, 28, 42}, {1, 108, 122}, {2, 188, 202}, {3, 202, 188}, {4, 122, 108}}));

  // One scene: one point.
  MarkAll(show);
  EXPECT_EQ(MakeLine(show, Area(3, 3), {200, 7}), XYStatus::kDone);
  EXPECT_TRUE(HasPoints(show, {{2, 28, 42}}));

  // S = 250 over two scenes: d = 250; start 5; the middle row is the second one.
  MarkAll(show);
  MakeLine(show, Area(1, 2), {250, 2});
  EXPECT_TRUE(HasPoints(show, {{0, 3, 7}, {1, 7, 3}}));
}

TEST(XYFigures, TriangleDrawsThreeSidesAndOverrunsShortRanges) {
  ShowState show;
  MarkAll(show);
  // N = 10: step 20, t 60, d 30, k 4; start (7, 8).
  MakeTriangle(show, Area(1, 10), {200, 7});
  EXPECT_TRUE(HasPoints(show, {{0, 7, 8},
                               {1, 37, 68},
                               {2, 67, 128},
                               {3, 97, 188},
                               {4, 127, 248},
                               {5, 157, 188},
                               {6, 187, 128},
                               {7, 217, 68},
                               {8, 247, 8},
                               {9, 180, 8}}));

  // Two scenes, S = 250: t = 375 mod 256 = 119, d 59, k 1; the second side ends one row
  // past the range.
  MarkAll(show);
  MakeTriangle(show, Area(1, 2), {250, 0});
  EXPECT_TRUE(HasPoints(show, {{0, 68, 68}, {1, 127, 187}, {2, 186, 68}}));

  // One scene at the very top: t = 600 mod 256 = 88, d 44; the rows past 255 wrap to row 0.
  MarkAll(show);
  MakeTriangle(show, Area(255, 255), {200, 7});
  EXPECT_TRUE(HasPoints(show, {{254, 83, 84}, {255, 127, 172}, {0, 171, 84}}));
}

TEST(XYFigures, RectangleSidesAndItsShortRangeRules) {
  ShowState show;
  MarkAll(show);
  // One scene: t = 800 mod 256 = 32, k 1: three sides of two rows each, four rows written.
  MakeRectangle(show, Area(5, 5), {200, 7});
  EXPECT_TRUE(HasPoints(show, {{4, 112, 112}, {5, 112, 144}, {6, 144, 144}, {7, 144, 112}}));

  // to - from = 8 still takes k = 2: t 88, start 40; the fourth side steps back by t + W.
  MarkAll(show);
  MakeRectangle(show, Area(1, 9), {200, 7});
  EXPECT_TRUE(HasPoints(show, {{0, 40, 40},
                               {1, 40, 128},
                               {2, 40, 216},
                               {3, 128, 216},
                               {4, 216, 216},
                               {5, 216, 128},
                               {6, 216, 40},
                               {7, 121, 40},
                               {8, 26, 40}}));

  // to - from = 12: k = 4, t 60, start 8.
  MarkAll(show);
  MakeRectangle(show, Area(1, 13), {200, 7});
  EXPECT_TRUE(HasPoints(show, {{0, 8, 8},
                               {1, 8, 68},
                               {2, 8, 128},
                               {3, 8, 188},
                               {4, 8, 248},
                               {5, 68, 248},
                               {6, 128, 248},
                               {7, 188, 248},
                               {8, 248, 248},
                               {9, 248, 188},
                               {10, 248, 128},
                               {11, 248, 68},
                               {12, 248, 8}}));
}

TEST(XYFigures, CrossDrawsTwoUprightsAndTwoDiagonals) {
  ShowState show;
  MarkAll(show);
  MakeCross(show, Area(1, 9), {200, 7});  // k 2, t 88, start 40
  EXPECT_TRUE(HasPoints(show, {{0, 40, 40},
                               {1, 40, 128},
                               {2, 40, 216},
                               {3, 128, 128},
                               {4, 216, 40},
                               {5, 216, 128},
                               {6, 216, 216},
                               {7, 121, 121},
                               {8, 26, 26}}));

  // One scene: four rows, the last three past the range.
  MarkAll(show);
  MakeCross(show, Area(1, 1), {200, 7});
  EXPECT_TRUE(HasPoints(show, {{0, 112, 112}, {1, 112, 144}, {2, 144, 112}, {3, 144, 144}}));
}

TEST(XYFigures, CircleWithFullSizeReachesThreeTo252) {
  ShowState show;
  MarkAll(show);
  // a = 9 * 50 / 5 = 90 degrees per row.
  MakeCircle(show, Area(1, 6), {250, 9});
  EXPECT_TRUE(HasPoints(
      show,
      {{0, 127, 252}, {1, 252, 127}, {2, 127, 3}, {3, 3, 127}, {4, 127, 252}, {5, 252, 127}}));

  // a = 3 * 50 / 3 = 50 degrees; radius 50.
  MarkAll(show);
  MakeCircle(show, Area(1, 4), {100, 3});
  EXPECT_TRUE(HasPoints(show, {{0, 127, 177}, {1, 166, 160}, {2, 177, 120}, {3, 152, 85}}));
}

TEST(XYFigures, FigureEightDrawsAnUpperAndALowerLoop) {
  ShowState show;
  MarkAll(show);
  // e 100, h 50, a 225, half 2; row 2 is written by both loops, the lower one last.
  MakeFigureEight(show, Area(1, 5), {200, 9});
  EXPECT_TRUE(
      HasPoints(show, {{0, 127, 128}, {1, 163, 213}, {2, 127, 127}, {3, 93, 43}, {4, 177, 77}}));

  // e 50, h 25, a 100, half 1.
  MarkAll(show);
  MakeFigureEight(show, Area(1, 3), {100, 2});
  EXPECT_TRUE(HasPoints(show, {{0, 127, 128}, {1, 127, 127}, {2, 152, 99}}));
}

TEST(XYFigures, DoubleEightDrawsFourShiftedArcs) {
  ShowState show;
  MarkAll(show);
  // e 100, h 50, a = 3 * 150 / 5 = 90, q 1.
  MakeDoubleEight(show, Area(1, 6), {200, 3});
  EXPECT_TRUE(HasPoints(
      show, {{0, 127, 177}, {1, 177, 128}, {2, 128, 77}, {3, 77, 127}, {4, 28, 77}, {5, 77, 28}}));

  // q 0: the first three arcs are one point each on the first row; a = 225.
  MarkAll(show);
  MakeDoubleEight(show, Area(1, 3), {200, 3});
  EXPECT_TRUE(HasPoints(show, {{0, 77, 127}, {1, 113, 43}, {2, 28, 77}}));
}

TEST(XYFigures, SnakeZigzagsUpwards) {
  ShowState show;
  MarkAll(show);
  // step 20, dx 40, start (28, 64), climbs by 128 at the turn.
  MakeSnake(show, Area(1, 11), {200, 1});
  EXPECT_TRUE(HasPoints(show, {{0, 28, 64},
                               {1, 68, 64},
                               {2, 108, 64},
                               {3, 148, 64},
                               {4, 188, 64},
                               {5, 228, 64},
                               {6, 228, 192},
                               {7, 188, 192},
                               {8, 148, 192},
                               {9, 108, 192},
                               {10, 68, 192}}));

  // dx = 100 * 3 mod 256 = 44, start (28, 42).
  MarkAll(show);
  MakeSnake(show, Area(1, 3), {200, 2});
  EXPECT_TRUE(HasPoints(show, {{0, 28, 42}, {1, 72, 42}, {2, 116, 42}}));

  // S 250, W 0: step 125, start (3, 128); 253 is still inside the field.
  MarkAll(show);
  MakeSnake(show, Area(1, 3), {250, 0});
  EXPECT_TRUE(HasPoints(show, {{0, 3, 128}, {1, 128, 128}, {2, 253, 128}}));
}

TEST(XYFigures, SpiralShrinksWhileTurning) {
  ShowState show;
  MarkAll(show);
  // W 0: no turn; the size falls by 50 per row.
  MakeSpiral(show, Area(1, 5), {200, 0});
  EXPECT_TRUE(
      HasPoints(show, {{0, 127, 227}, {1, 127, 202}, {2, 127, 177}, {3, 127, 152}, {4, 127, 127}}));

  // a = 4 * 250 / 2 = 500, shrink 50.
  MarkAll(show);
  MakeSpiral(show, Area(1, 3), {100, 4});
  EXPECT_TRUE(HasPoints(show, {{0, 127, 177}, {1, 144, 109}, {2, 127, 127}}));
}

TEST(XYFigures, CircularFiguresRefuseASingleSceneAndBadRangesWriteNothing) {
  ShowState show;
  MarkAll(show);
  const XYFigure figure{200, 7};
  EXPECT_EQ(MakeCircle(show, Area(4, 4), figure), XYStatus::kSingleScene);
  EXPECT_EQ(MakeFigureEight(show, Area(4, 4), figure), XYStatus::kSingleScene);
  EXPECT_EQ(MakeDoubleEight(show, Area(4, 4), figure), XYStatus::kSingleScene);
  EXPECT_EQ(MakeSnake(show, Area(4, 4), figure), XYStatus::kSingleScene);
  EXPECT_EQ(MakeSpiral(show, Area(4, 4), figure), XYStatus::kSingleScene);
  EXPECT_EQ(MakeLine(show, Area(5, 4), figure), XYStatus::kBadRange);
  EXPECT_EQ(MakeRectangle(show, Area(0, 4), figure), XYStatus::kBadRange);
  EXPECT_EQ(MakeCross(show, {254, 1, 4}, figure), XYStatus::kBadRange);
  EXPECT_EQ(MakeTriangle(show, Area(1, 257), figure), XYStatus::kBadRange);
  EXPECT_EQ(RotateArea(show, Area(3, 2), 90), XYStatus::kBadRange);
  EXPECT_TRUE(HasPoints(show, {}));
}

TEST(XYFigures, AllScenesRunsFromTheFirstToTheLastScene) {
  ShowState show;
  show.memory.Set(kLastScene, 255);
  const XYArea all = AllScenesArea(show, kFirst);
  EXPECT_EQ(all.from, 1);
  EXPECT_EQ(all.to, 256);  // the last row, 255, is part of it
  EXPECT_TRUE(ValidXYArea(all));
  show.memory.Set(kLastScene, 0);
  EXPECT_EQ(AllScenesArea(show, kFirst).to, 1);
}

TEST(XYFigures, SearchFindsTheLowestSceneWithinThree) {
  ShowState show;
  Put(show, 4, 100, 100);
  Put(show, 6, 102, 98);
  Put(show, 9, 50, 50);
  EXPECT_EQ(FindSceneAt(show, Area(1, 10), 101, 99), 4);   // both match: the lower wins
  EXPECT_EQ(FindSceneAt(show, Area(1, 10), 104, 96), 6);   // row 4 is 4 away in X
  EXPECT_EQ(FindSceneAt(show, Area(1, 10), 103, 103), 4);  // +-3 is still inside
  EXPECT_EQ(FindSceneAt(show, Area(1, 10), 96, 100), kNoScene);
  EXPECT_EQ(FindSceneAt(show, Area(6, 10), 101, 99), 6);       // row 4 lies outside the range
  EXPECT_EQ(FindSceneAt(show, Area(1, 9), 50, 50), kNoScene);  // row 9 is scene 10
  EXPECT_EQ(FindSceneAt(show, Area(1, 10), 50, 50), 9);
}

TEST(XYFigures, DragMovesTheFoundPointAndMayMakeItTheCurrentScene) {
  ShowState show;
  show.memory.Set(kCurrentStep, 0);
  show.memory.Set(kLastScene, 5);
  Put(show, 10, 100, 100);
  Put(show, 3, 120, 120);
  XYMouse mouse;
  // Pixel (101, 156) is point (101, 99).
  EXPECT_TRUE(mouse.Down(show, Area(1, 32), XYMouse::kLeft, 101, 156, true));
  EXPECT_EQ(mouse.found(), 10);
  EXPECT_EQ(show.CurrentStep(), 10);
  EXPECT_EQ(show.LastScene(), 10);  // the show grows to the grabbed scene

  // A move of more than 3 leaves the search empty, but the grabbed point follows.
  EXPECT_FALSE(mouse.Move(show, Area(1, 32), 105, 150));
  EXPECT_EQ(ReadXY(show, kFirst, 10), (XYPoint{105, 105}));
  EXPECT_TRUE(mouse.Move(show, Area(1, 32), 107, 148));
  EXPECT_EQ(ReadXY(show, kFirst, 10), (XYPoint{107, 107}));

  // Passing over a lower-numbered point picks that one up instead.
  mouse.Move(show, Area(1, 32), 121, 134);
  EXPECT_EQ(mouse.found(), 3);
  EXPECT_EQ(ReadXY(show, kFirst, 3), (XYPoint{121, 121}));
  EXPECT_EQ(ReadXY(show, kFirst, 10), (XYPoint{107, 107}));
  mouse.Up();
  EXPECT_EQ(mouse.mode(), XYMouse::kNone);

  // Moves without a button edit nothing.
  mouse.Move(show, Area(1, 32), 124, 131);
  EXPECT_EQ(ReadXY(show, kFirst, 3), (XYPoint{121, 121}));

  // "Менять Сцену" unticked: the point moves, the current scene stays.
  EXPECT_FALSE(mouse.Down(show, Area(1, 32), XYMouse::kLeft, 107, 148, false));
  EXPECT_EQ(show.CurrentStep(), 10);
  mouse.Move(show, Area(1, 32), 90, 170);
  EXPECT_EQ(ReadXY(show, kFirst, 10), (XYPoint{90, 85}));
  mouse.Up();

  // While playing the current scene never changes.
  show.playing = true;
  EXPECT_FALSE(mouse.Down(show, Area(1, 32), XYMouse::kLeft, 121, 134, true));
  EXPECT_EQ(mouse.found(), 3);
  EXPECT_EQ(show.CurrentStep(), 10);
  mouse.Up();
  show.playing = false;

  // The right button finds nothing and edits nothing.
  EXPECT_FALSE(mouse.Down(show, Area(1, 32), XYMouse::kRight, 121, 134, true));
  EXPECT_EQ(mouse.found(), kNoScene);
  mouse.Move(show, Area(1, 32), 60, 60);
  EXPECT_EQ(ReadXY(show, kFirst, 3), (XYPoint{121, 121}));
  EXPECT_EQ(show.CurrentStep(), 10);
}

TEST(XYFigures, PointOfTheTopRowIsFoundButNotDragged) {
  ShowState show;
  show.memory.Set(kLastScene, 20);
  Put(show, 255, 30, 30);
  XYMouse mouse;
  EXPECT_TRUE(mouse.Down(show, Area(250, 256), XYMouse::kLeft, 30, 225, true));
  EXPECT_EQ(mouse.found(), 255);
  EXPECT_EQ(show.CurrentStep(), 255);
  EXPECT_EQ(show.LastScene(), 255);
  mouse.Move(show, Area(250, 256), 31, 224);
  mouse.Move(show, Area(250, 256), 40, 215);
  EXPECT_EQ(ReadXY(show, kFirst, 255), (XYPoint{30, 30}));
}

TEST(XYFigures, PressOutsideTheFieldIsClampedToItsEdge) {
  ShowState show;
  Put(show, 0, 1, 2);  // near point (0, 0), which pixel (0, 255) shows
  XYMouse mouse;
  mouse.Down(show, Area(1, 2), XYMouse::kLeft, -40, 300, false);
  EXPECT_EQ(mouse.found(), 0);
  mouse.Move(show, Area(1, 2), -10, 999);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{0, 0}));
}

TEST(XYFigures, ShiftStopsAtTheEdgesAndMirrorTwiceRestores) {
  ShowState show;
  Put(show, 0, 255, 0);
  Put(show, 1, 128, 127);
  Put(show, 2, 0, 255);
  Put(show, 3, 50, 50);  // outside the range
  const XYArea area = Area(1, 3);
  ApplyAreaStep(show, area, 1);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{255, 0}));
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{129, 127}));
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{1, 255}));
  ApplyAreaStep(show, area, 2);
  ApplyAreaStep(show, area, 2);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{253, 0}));
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{0, 255}));
  ApplyAreaStep(show, area, 3);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{253, 1}));
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{0, 255}));
  ApplyAreaStep(show, area, 4);
  ApplyAreaStep(show, area, 4);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{253, 0}));
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{127, 126}));
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{0, 253}));

  ApplyAreaStep(show, area, 5);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{2, 0}));
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{128, 126}));
  ApplyAreaStep(show, area, 5);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{253, 0}));
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{127, 126}));
  ApplyAreaStep(show, area, 6);
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{0, 2}));
  ApplyAreaStep(show, area, 6);
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{0, 253}));

  ApplyAreaStep(show, area, 9);  // no such button
  ApplyAreaStep(show, area, 0);
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{127, 126}));
  EXPECT_EQ(ReadXY(show, kFirst, 3), (XYPoint{50, 50}));
}

TEST(XYFigures, ScaleStepsTowardsAndAwayFromTheMiddle) {
  ShowState show;
  const int levels[8] = {0, 127, 128, 255, 1, 254, 126, 129};
  for (int i = 0; i < 4; ++i) Put(show, i, levels[2 * i], levels[2 * i + 1]);
  ApplyAreaStep(show, Area(1, 4), 7);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{0, 127}));
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{127, 255}));  // 128 ends at 127
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{2, 253}));
  EXPECT_EQ(ReadXY(show, kFirst, 3), (XYPoint{127, 128}));

  for (int i = 0; i < 4; ++i) Put(show, i, levels[2 * i], levels[2 * i + 1]);
  ApplyAreaStep(show, Area(1, 4), 8);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{0, 126}));
  EXPECT_EQ(ReadXY(show, kFirst, 1), (XYPoint{129, 255}));
  EXPECT_EQ(ReadXY(show, kFirst, 2), (XYPoint{0, 255}));
  EXPECT_EQ(ReadXY(show, kFirst, 3), (XYPoint{125, 130}));
}

TEST(XYFigures, RepeatTimerRepeatsShiftAndScaleButNotMirror) {
  XYRepeat repeat;
  EXPECT_EQ(repeat.intervalMs, 700);
  EXPECT_EQ(repeat.Tick(), 0);
  EXPECT_EQ(repeat.Press(1), 1);
  EXPECT_EQ(repeat.Tick(), 1);
  EXPECT_EQ(repeat.intervalMs, 50);
  EXPECT_EQ(repeat.Tick(), 1);
  repeat.Release();
  EXPECT_EQ(repeat.intervalMs, 1000);
  EXPECT_EQ(repeat.Tick(), 0);
  EXPECT_EQ(repeat.Press(8), 8);
  EXPECT_EQ(repeat.Tick(), 8);
  EXPECT_EQ(repeat.Press(5), 5);  // applied once ...
  EXPECT_EQ(repeat.Tick(), 0);    // ... and never repeated
}

TEST(XYFigures, RotationTurnsClockwiseAboutTheCentre) {
  // Top to right: asin(-1/128) = -0.45 degrees, +90 gives 90; size 255.
  EXPECT_EQ(RotateXY(127, 255, 90), (XYPoint{255, 127}));
  // Right to bottom: asin(-1) + 90 + 180 = 180.
  EXPECT_EQ(RotateXY(255, 127, 90), (XYPoint{127, 1}));
  // Upper right at 45 degrees, radius 0.707: size ceil(180.3) = 181, to 90 degrees.
  EXPECT_EQ(RotateXY(191, 191, 45), (XYPoint{218, 127}));
  // Lower left at 225 degrees turned by 200: 425 = 65 degrees.
  EXPECT_EQ(RotateXY(64, 64, 200), (XYPoint{210, 166}));

  ShowState show;
  MarkAll(show);
  Put(show, 0, 127, 255);
  Put(show, 1, 255, 127);
  EXPECT_EQ(RotateArea(show, Area(1, 2), 0), XYStatus::kDone);
  EXPECT_EQ(ReadXY(show, kFirst, 0), (XYPoint{127, 255}));
  EXPECT_EQ(RotateArea(show, Area(1, 2), 90), XYStatus::kDone);
  EXPECT_TRUE(HasPoints(show, {{0, 255, 127}, {1, 127, 1}}));
}

TEST(XYFigures, LabelTexts) {
  EXPECT_EQ(RotationLabel(200), "Влево 160");
  EXPECT_EQ(RotationLabel(45), "Вправо 45");
  EXPECT_EQ(RotationLabel(179), "Вправо 179");
  EXPECT_EQ(RotationLabel(180), "Влево 180");
  EXPECT_EQ(FigureLabel({200, 7}), " Размер фигуры 200       Опция 7");
  EXPECT_EQ(SceneLabel(4), " Сцена 5");
  EXPECT_EQ(SceneHint(254), "Переместить сцену 255");
}

TEST(XYFigures, CopyToTickedPairsTakesTheUndoCopyFirst) {
  ShowState show;
  MarkAll(show);
  Put(show, 0, 10, 20);
  Put(show, 1, 30, 40);
  const std::array<XYCopyTarget, 3> targets{{{20, true}, {30, false}, {253, true}}};
  EXPECT_EQ(CopyXYToPairs(show, Area(1, 2), targets), XYStatus::kDone);
  // The undo copy holds the show as it was before the copy.
  EXPECT_EQ(show.undoMemory.Get(SceneRowOffset(0) + 21), kUntouched);
  EXPECT_EQ(show.undoMemory.Get(SceneRowOffset(1) + 254), kUntouched);
  EXPECT_EQ(show.undoMemory.Get(SceneRowOffset(1) + kFirst + 1), 30);
  for (int row = 0; row < 2; ++row) {
    const XYPoint source = ReadXY(show, kFirst, row);
    EXPECT_EQ(ReadXY(show, 20, row), source);
    EXPECT_EQ(ReadXY(show, 253, row), source);
    EXPECT_EQ(ReadXY(show, 30, row), (XYPoint{kUntouched, kUntouched}));  // not ticked
  }
  EXPECT_EQ(ReadXY(show, 20, 2), (XYPoint{kUntouched, kUntouched}));  // outside the range
  EXPECT_EQ(show.DataRead(0, 20), kUntouched);
  EXPECT_EQ(show.DataRead(0, 23), kUntouched);

  // A target outside 0..253 refuses the copy before anything is touched.
  show.undoMemory.Set(0, 1);
  const std::array<XYCopyTarget, 3> bad{{{254, true}, {0, false}, {0, false}}};
  EXPECT_EQ(CopyXYToPairs(show, Area(1, 2), bad), XYStatus::kBadRange);
  EXPECT_EQ(show.undoMemory.Get(0), 1);
}

}  // namespace
}  // namespace kalvetro
