// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ChannelGraph.h"

#include <algorithm>
#include <cstdlib>

#include "editing/StripLevels.h"

namespace kalvetro {

namespace {

constexpr GraphZoom kZoomTable[kGraphZoomSteps] = {
    {1, 256, 2},
    {2, 128, 4},
    {4, 64, 8},
    {8, 32, 16},
};

std::uint8_t SceneByte(int scene) {
  return static_cast<std::uint8_t>(scene);
}
std::uint8_t ChannelByte(int channel) {
  return static_cast<std::uint8_t>(channel);
}

std::uint8_t LevelOf(const ShowState& show, int channel, int scene) {
  return show.DataRead(SceneByte(scene), ChannelByte(channel));
}

bool ValidChannel(int channel) {
  return channel >= 1 && channel <= kRowSize - 1;
}
bool ValidScene(int scene) {
  return scene >= 0 && scene <= kSceneCount - 1;
}

}  // namespace

GraphZoom GraphZoomOf(int step) {
  return kZoomTable[std::clamp(step, 0, kGraphZoomSteps - 1)];
}

int GraphPercent(int level) {
  return DisplayLevel(ClampLevel(level), true);
}

std::string GraphFromText(int firstScene) {
  return "от Сцены = " + std::to_string(firstScene + 1);
}

std::string GraphLastText(int firstScene, int count) {
  return "до Сцены = " + std::to_string(firstScene + count);
}

std::string GraphZoomText(int factor) {
  return " Масштаб = " + std::to_string(factor) + "/1";
}

std::string GraphChannelPrefix(int channel) {
  return " Канал " + std::to_string(channel) + "  ";
}

std::string GraphStoredName(const ShowMemory& memory, int channel) {
  std::string name;
  if (!ValidChannel(channel)) return name;
  const int slot = kChannelNames + kChannelNameLength * channel;
  for (int i = 0; i < kChannelNameLength; ++i) {
    const std::uint8_t byte = memory.Get(slot + i);
    if (byte == 0) break;
    name.push_back(static_cast<char>(byte));
  }
  return name;
}

GraphLabels GraphLabelTexts(const ShowState& show, int channel, GraphPoint point) {
  const std::string scene = std::to_string(point.scene + 1);
  const int level =
      ValidChannel(channel) && ValidScene(point.scene) ? LevelOf(show, channel, point.scene) : 0;
  GraphLabels labels;
  labels.scene = " Сцена = " + scene;
  labels.newLevel = " Новый уровень канала = " + std::to_string(point.level) + "     " +
                    std::to_string(GraphPercent(point.level)) + "%";
  labels.dmxLevel = " Уровень канала сцены " + scene + " = " + std::to_string(level) + "     " +
                    std::to_string(GraphPercent(level)) + "%";
  return labels;
}

void WriteGraphLevel(ShowState& show, GraphMode mode, int channel, GraphPoint point) {
  if (!ValidChannel(channel) || !ValidScene(point.scene)) return;
  const int last = mode == GraphMode::kPen ? kPenLastScene : point.scene;
  for (int t = point.scene; t <= last; ++t)
    show.DataWrite(SceneByte(t), ChannelByte(channel), point.level);
}

void WriteGraphRamp(ShowState& show, int channel, int marked, int scene) {
  if (!ValidChannel(channel) || !ValidScene(marked) || !ValidScene(scene)) return;
  if (scene == marked) return;
  const int a = LevelOf(show, channel, marked);
  const int b = LevelOf(show, channel, scene);
  const int step = std::abs(a - b) / std::abs(scene - marked);
  // From the lower scene upwards; the sign says whether the levels rise towards the higher end.
  const int low = std::min(marked, scene);
  const int high = std::max(marked, scene);
  const int lowLevel = low == marked ? a : b;
  const int highLevel = low == marked ? b : a;
  const int delta = highLevel > lowLevel ? step : -step;
  int v = lowLevel;
  for (int t = low + 1; t <= high; ++t) {
    v += delta;
    show.DataWrite(SceneByte(t), ChannelByte(channel), v);
  }
}

void SetGraphLastScene(ShowState& show, int lastScene) {
  show.memory.Set(kLastScene, static_cast<std::uint8_t>(std::clamp(lastScene, 0, kSceneCount - 1)));
}

void ChannelGraph::SetZoomStep(int step) {
  zoomStep_ = std::clamp(step, 0, kGraphZoomSteps - 1);
  area_ = std::clamp(area_, 0, AreaMax());
}

void ChannelGraph::SetArea(int area) {
  area_ = std::clamp(area, 0, AreaMax());
}

void ChannelGraph::SetChannel(int channel) {
  channel_ = std::clamp(channel, 1, kRowSize - 1);
}

GraphPoint ChannelGraph::PointAt(int x, int y) const {
  const GraphZoom zoom = Zoom();
  const int first = FirstScene();
  // Clamping x to the chart first keeps the division within the shown columns.
  const int column = std::clamp(x, 0, kGraphWidth - 1) / 2 / zoom.factor;
  const int scene = std::clamp(first + column, first, first + zoom.scenes - 1);
  const int level = kGraphHeight - 1 - std::clamp(y, 0, kGraphHeight - 1);
  return {scene, level};
}

GraphLabels ChannelGraph::PointerUpdate(ShowState& show, GraphPoint point) {
  GraphLabels labels = GraphLabelTexts(show, channel_, point);
  if (dragging_) WriteGraphLevel(show, mode_, channel_, point);
  return labels;
}

GraphLabels ChannelGraph::MouseDown(ShowState& show, GraphButton button, int x, int y) {
  dragging_ = true;
  const GraphPoint point = PointAt(x, y);
  if (button == GraphButton::kLeft) marked_ = point.scene;
  GraphLabels labels = PointerUpdate(show, point);
  if (button == GraphButton::kRight && mode_ == GraphMode::kLine)
    WriteGraphRamp(show, channel_, marked_, point.scene);
  return labels;
}

GraphLabels ChannelGraph::MouseMove(ShowState& show, int x, int y) {
  return PointerUpdate(show, PointAt(x, y));
}

GraphColumn ChannelGraph::Column(const ShowState& show, int k, int currentScene) const {
  const GraphZoom zoom = Zoom();
  k = std::clamp(k, 0, zoom.scenes - 1);
  GraphColumn column;
  column.scene = FirstScene() + k;
  column.level = LevelOf(show, channel_, column.scene);
  const int x = zoom.columnWidth * k;
  const int right = x + zoom.columnWidth;
  const int top = kGraphHeight - 1 - column.level;
  column.background = {x, 0, right, top};
  column.bar = {x, top, right, kGraphHeight - 1};
  column.endOfShow = column.scene == show.LastScene() + 1;
  column.endMarker = {x, 0, x + 2, kGraphHeight - 1};
  column.current = column.scene == currentScene;
  column.currentMarker = {x + zoom.factor - 1, 0, x + zoom.factor, kGraphHeight - 1};
  column.marked = column.scene == marked_;
  column.markedSquare = {x + zoom.factor - 3, top - 3, x + zoom.factor + 3, top + 3};
  return column;
}

}  // namespace kalvetro
