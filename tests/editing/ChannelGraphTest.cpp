// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "editing/ChannelGraph.h"

namespace kalvetro {
namespace {

// Every scene of every channel starts at 7, so a write shows against the rest.
void FillLevels(ShowState& show) {
  for (int s = 0; s < kSceneCount; ++s) show.memory.Fill(SceneRowOffset(s), kRowSize, 7);
}

std::uint8_t Level(const ShowState& show, int scene, int channel) {
  return show.DataRead(static_cast<std::uint8_t>(scene), static_cast<std::uint8_t>(channel));
}

// Only channel `channel` of the scenes in `changed` may differ from 7.
::testing::AssertionResult OthersUntouched(const ShowState& show, int channel, int from, int to) {
  for (int s = 0; s < kSceneCount; ++s)
    for (int c = 0; c < kRowSize; ++c) {
      if (c == channel && s >= from && s <= to) continue;
      if (Level(show, s, c) != 7)
        return ::testing::AssertionFailure() << "scene " << s << " channel " << c << " changed";
    }
  return ::testing::AssertionSuccess();
}

TEST(ChannelGraph, ZoomAndAreas) {
  ChannelGraph graph;
  // A new show shows 32 scenes per area.
  EXPECT_EQ(graph.ZoomStep(), 3);
  EXPECT_EQ(graph.SceneCount(), 32);

  graph.SetArea(2);
  EXPECT_EQ(graph.FirstScene(), 64);
  EXPECT_EQ(GraphFromText(graph.FirstScene()), "от Сцены = 65");
  EXPECT_EQ(GraphLastText(graph.FirstScene(), graph.SceneCount()), "до Сцены = 96");
  EXPECT_EQ(graph.Zoom().columnWidth, 16);
  EXPECT_EQ(GraphZoomText(graph.Zoom().factor), " Масштаб = 8/1");
  EXPECT_EQ(graph.AreaMax(), 7);
  EXPECT_TRUE(graph.AreaEnabled());

  const GraphZoom table[] = {GraphZoomOf(0), GraphZoomOf(1), GraphZoomOf(2), GraphZoomOf(3)};
  const int factors[] = {1, 2, 4, 8};
  const int counts[] = {256, 128, 64, 32};
  const int widths[] = {2, 4, 8, 16};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(table[i].factor, factors[i]);
    EXPECT_EQ(table[i].scenes, counts[i]);
    EXPECT_EQ(table[i].columnWidth, widths[i]);
    EXPECT_EQ(table[i].scenes * table[i].columnWidth, kGraphWidth);  // always the full chart
  }

  // Zooming out keeps the area inside the new range; at Z = 1 there is only one area.
  graph.SetArea(7);
  graph.SetZoomStep(2);
  EXPECT_EQ(graph.Area(), 3);
  EXPECT_EQ(graph.FirstScene(), 192);
  graph.SetZoomStep(0);
  EXPECT_EQ(graph.Area(), 0);
  EXPECT_FALSE(graph.AreaEnabled());
  graph.SetArea(3);
  EXPECT_EQ(graph.Area(), 0);
  EXPECT_EQ(GraphLastText(graph.FirstScene(), graph.SceneCount()), "до Сцены = 256");
  graph.ResetForNewShow();
  EXPECT_EQ(graph.ZoomStep(), 3);
  graph.SetZoomStep(9);
  EXPECT_EQ(graph.ZoomStep(), 3);
}

TEST(ChannelGraph, PointerMappingAndClamping) {
  ChannelGraph graph;
  graph.SetArea(2);  // scenes 64..95, 16 pixels each
  EXPECT_EQ(graph.PointAt(0, 0).scene, 64);
  EXPECT_EQ(graph.PointAt(15, 0).scene, 64);
  EXPECT_EQ(graph.PointAt(16, 0).scene, 65);
  EXPECT_EQ(graph.PointAt(511, 0).scene, 95);
  EXPECT_EQ(graph.PointAt(0, 0).level, 255);
  EXPECT_EQ(graph.PointAt(0, 55).level, 200);
  EXPECT_EQ(graph.PointAt(0, 255).level, 0);
  // Outside the chart: to the nearest point of the shown area.
  EXPECT_EQ(graph.PointAt(-5, -40).scene, 64);
  EXPECT_EQ(graph.PointAt(-5, -40).level, 255);
  EXPECT_EQ(graph.PointAt(-40, 0).scene, 64);
  EXPECT_EQ(graph.PointAt(512, 300).scene, 95);
  EXPECT_EQ(graph.PointAt(5000, 300).level, 0);

  graph.SetZoomStep(0);  // all 256 scenes, 2 pixels each
  EXPECT_EQ(graph.PointAt(2, 0).scene, 1);
  EXPECT_EQ(graph.PointAt(511, 0).scene, 255);
  EXPECT_EQ(graph.PointAt(1000, 0).scene, 255);
}

TEST(ChannelGraph, ArrowModeDrawsOneSceneAtATime) {
  ShowState show;
  FillLevels(show);
  ChannelGraph graph;
  graph.SetChannel(5);
  graph.SetArea(2);
  show.DataWrite(67, 5, 128);

  // A press at y = 55 over the fourth column (scene 68, 0-based 67).
  const GraphLabels labels = graph.MouseDown(show, GraphButton::kLeft, 50, 55);
  EXPECT_EQ(Level(show, 67, 5), 200);
  EXPECT_EQ(graph.Marked(), 67);
  EXPECT_TRUE(graph.Dragging());
  EXPECT_EQ(labels.scene, " Сцена = 68");
  EXPECT_EQ(labels.newLevel, " Новый уровень канала = 200     79%");
  // The scene's own level is read before the write.
  EXPECT_EQ(labels.dmxLevel, " Уровень канала сцены 68 = 128     51%");
  EXPECT_EQ(GraphLabelTexts(show, 5, {67, 200}).dmxLevel, " Уровень канала сцены 68 = 200     79%");

  // Moving with the button held paints the next scene; after the release nothing is drawn.
  graph.MouseMove(show, 70, 0);
  EXPECT_EQ(Level(show, 68, 5), 255);
  graph.MouseUp();
  EXPECT_FALSE(graph.Dragging());
  const GraphLabels hover = graph.MouseMove(show, 90, 255);
  EXPECT_EQ(Level(show, 69, 5), 7);
  EXPECT_EQ(hover.newLevel, " Новый уровень канала = 0     0%");
  EXPECT_TRUE(OthersUntouched(show, 5, 67, 68));

  // The right button draws but does not mark.
  graph.MouseDown(show, GraphButton::kRight, 100, 254);
  graph.MouseUp();
  EXPECT_EQ(Level(show, 70, 5), 1);
  EXPECT_EQ(graph.Marked(), 67);

  // Writes address their scene: the output's row is left alone, also while playing.
  show.playing.store(true);
  graph.MouseDown(show, GraphButton::kLeft, 0, 0);
  graph.MouseUp();
  EXPECT_EQ(Level(show, 64, 5), 255);
}

TEST(ChannelGraph, PenModeFillsUpToScene254) {
  ShowState show;
  FillLevels(show);
  ChannelGraph graph;
  graph.SetChannel(12);
  graph.SetMode(GraphMode::kPen);
  graph.SetZoomStep(0);  // 2 pixels per scene

  // Scene 250 (0-based 249) at level 100: scenes 250..255 take it, scene 256 keeps its level.
  graph.MouseDown(show, GraphButton::kLeft, 2 * 249, 155);
  graph.MouseUp();
  for (int s = 249; s <= 254; ++s) EXPECT_EQ(Level(show, s, 12), 100) << s;
  EXPECT_EQ(Level(show, 255, 12), 7);
  EXPECT_EQ(Level(show, 248, 12), 7);
  EXPECT_TRUE(OthersUntouched(show, 12, 249, 254));

  // Over the last row the pen writes nothing at all.
  graph.SetZoomStep(3);
  graph.SetArea(7);  // scenes 224..255
  graph.MouseDown(show, GraphButton::kLeft, 511, 0);
  graph.MouseUp();
  EXPECT_EQ(Level(show, 255, 12), 7);
  EXPECT_EQ(Level(show, 254, 12), 100);
}

TEST(ChannelGraph, LineModeRamps) {
  ShowState show;
  FillLevels(show);
  ChannelGraph graph;
  graph.SetChannel(3);
  graph.SetMode(GraphMode::kLine);  // zoom 3, area 0: scene k at x = 16k

  // Left on scene 11 at level 0, right on scene 14 at level 100: step 100 div 3 = 33.
  graph.MouseDown(show, GraphButton::kLeft, 10 * 16, 255);
  graph.MouseUp();
  graph.MouseDown(show, GraphButton::kRight, 13 * 16, 155);
  graph.MouseUp();
  EXPECT_EQ(Level(show, 10, 3), 0);
  EXPECT_EQ(Level(show, 11, 3), 33);
  EXPECT_EQ(Level(show, 12, 3), 66);
  EXPECT_EQ(Level(show, 13, 3), 99);  // falls short of 100 by the remainder
  EXPECT_EQ(graph.Marked(), 10);
  EXPECT_TRUE(OthersUntouched(show, 3, 10, 13));

  // Right click below the marked scene: the lower end (scene 18 at 0) keeps its level.
  graph.MouseDown(show, GraphButton::kLeft, 20 * 16, 155);  // scene 21 at 100
  graph.MouseUp();
  graph.MouseDown(show, GraphButton::kRight, 17 * 16, 255);  // scene 18 at 0
  graph.MouseUp();
  EXPECT_EQ(Level(show, 17, 3), 0);
  EXPECT_EQ(Level(show, 18, 3), 33);
  EXPECT_EQ(Level(show, 19, 3), 66);
  EXPECT_EQ(Level(show, 20, 3), 99);

  // Falling levels upwards: 200 at scene 1 down to 0 at scene 4, step 66.
  WriteGraphLevel(show, GraphMode::kArrow, 3, {0, 200});
  WriteGraphLevel(show, GraphMode::kArrow, 3, {3, 0});
  WriteGraphRamp(show, 3, 0, 3);
  EXPECT_EQ(Level(show, 1, 3), 134);
  EXPECT_EQ(Level(show, 2, 3), 68);
  EXPECT_EQ(Level(show, 3, 3), 2);
  // Equal levels give a flat line; the same scene changes nothing.
  WriteGraphLevel(show, GraphMode::kArrow, 3, {5, 40});
  WriteGraphLevel(show, GraphMode::kArrow, 3, {8, 40});
  WriteGraphRamp(show, 3, 8, 5);
  EXPECT_EQ(Level(show, 6, 3), 40);
  EXPECT_EQ(Level(show, 7, 3), 40);
  WriteGraphRamp(show, 3, 9, 9);
  EXPECT_EQ(Level(show, 9, 3), 7);

  // In arrow mode the right button draws no ramp.
  graph.SetMode(GraphMode::kArrow);
  graph.MouseDown(show, GraphButton::kLeft, 24 * 16, 255);  // scene 25 at 0
  graph.MouseUp();
  graph.MouseDown(show, GraphButton::kRight, 27 * 16, 0);  // scene 28 at 255
  graph.MouseUp();
  EXPECT_EQ(Level(show, 25, 3), 7);
  EXPECT_EQ(Level(show, 26, 3), 7);
  EXPECT_EQ(Level(show, 27, 3), 255);
}

TEST(ChannelGraph, DraggingOutsideTheChartStaysInTheShownArea) {
  ShowState show;
  FillLevels(show);
  ChannelGraph graph;
  graph.SetChannel(9);
  graph.SetArea(1);  // scenes 32..63

  graph.MouseDown(show, GraphButton::kLeft, -100, -50);
  EXPECT_EQ(Level(show, 32, 9), 255);
  EXPECT_EQ(graph.Marked(), 32);
  graph.MouseMove(show, 2000, 999);
  EXPECT_EQ(Level(show, 63, 9), 0);
  graph.MouseUp();
  EXPECT_TRUE(OthersUntouched(show, 9, 32, 63));
  for (int s = 33; s < 63; ++s) EXPECT_EQ(Level(show, s, 9), 7) << s;

  // The pen started left of the chart fills from the area's first scene only.
  graph.SetMode(GraphMode::kPen);
  graph.SetArea(7);  // scenes 224..255
  graph.MouseDown(show, GraphButton::kLeft, -1, 155);
  graph.MouseUp();
  EXPECT_EQ(Level(show, 223, 9), 7);
  EXPECT_EQ(Level(show, 224, 9), 100);
  EXPECT_EQ(Level(show, 254, 9), 100);
  EXPECT_EQ(Level(show, 255, 9), 7);
}

TEST(ChannelGraph, ColumnsNamesAndLastScene) {
  ShowState show;
  FillLevels(show);
  ChannelGraph graph;
  graph.SetChannel(5);  // zoom 3, area 0
  show.DataWrite(2, 5, 55);
  SetGraphLastScene(show, 1);
  graph.MouseDown(show, GraphButton::kLeft, 2 * 16, 200);  // marks scene 2, level 55
  graph.MouseUp();

  const GraphColumn column = graph.Column(show, 2, 2);
  EXPECT_EQ(column.scene, 2);
  EXPECT_EQ(column.level, 55);
  EXPECT_EQ(column.background.left, 32);
  EXPECT_EQ(column.background.right, 48);
  EXPECT_EQ(column.background.top, 0);
  EXPECT_EQ(column.background.bottom, 200);
  EXPECT_EQ(column.bar.top, 200);
  EXPECT_EQ(column.bar.bottom, 255);
  EXPECT_TRUE(column.endOfShow);  // last scene 1 (0-based): the end is drawn at scene 2
  EXPECT_EQ(column.endMarker.right, 34);
  EXPECT_TRUE(column.current);
  EXPECT_EQ(column.currentMarker.left, 39);
  EXPECT_EQ(column.currentMarker.right, 40);
  EXPECT_TRUE(column.marked);
  EXPECT_EQ(column.markedSquare.left, 37);
  EXPECT_EQ(column.markedSquare.top, 197);
  EXPECT_EQ(column.markedSquare.right, 43);
  EXPECT_EQ(column.markedSquare.bottom, 203);
  const GraphColumn other = graph.Column(show, 3, 2);
  EXPECT_FALSE(other.endOfShow);
  EXPECT_FALSE(other.current);
  EXPECT_FALSE(other.marked);
  EXPECT_EQ(other.bar.top, 248);

  // The last-scene bar: 9 makes a ten-scene show, the end marker moves behind scene 10.
  SetGraphLastScene(show, 9);
  EXPECT_EQ(show.LastScene(), 9);
  EXPECT_TRUE(graph.Column(show, 10, 0).endOfShow);
  EXPECT_FALSE(graph.Column(show, 2, 0).endOfShow);
  SetGraphLastScene(show, 400);
  EXPECT_EQ(show.LastScene(), 255);

  // The name is shown as stored, up to its first 0 byte.
  const int slot = kChannelNames + kChannelNameLength * 5;
  show.memory.Fill(slot, kChannelNameLength, 0);
  show.memory.Set(slot, 'A');
  show.memory.Set(slot + 1, 'B');
  show.memory.Set(slot + 3, 'C');
  EXPECT_EQ(GraphStoredName(show.memory, 5), "AB");
  // A full slot ends at its 16th byte; the next channel's name is not read into it.
  show.memory.Fill(slot, kChannelNameLength, 'x');
  show.memory.Set(slot + kChannelNameLength, 'y');
  EXPECT_EQ(GraphStoredName(show.memory, 5), std::string(16, 'x'));
  EXPECT_EQ(GraphChannelPrefix(5), " Канал 5  ");
}

}  // namespace
}  // namespace kalvetro
