#include "editing/ChannelGraph.h"

#include <algorithm>
#include <cstdlib>

#include "editing/StripLevels.h"

namespace kalvetro {

namespace {

constexpr GrafikZoom kZoomTable[kGrafikZoomSteps] = {
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

GrafikZoom GrafikZoomOf(int step) {
  return kZoomTable[std::clamp(step, 0, kGrafikZoomSteps - 1)];
}

int GrafikPercent(int level) {
  return DisplayLevel(ClampLevel(level), true);
}

std::string GrafikFromText(int firstScene) {
  return "от Сцены = " + std::to_string(firstScene + 1);
}

std::string GrafikLastText(int firstScene, int count) {
  return "до Сцены = " + std::to_string(firstScene + count);
}

std::string GrafikZoomText(int factor) {
  return " Масштаб = " + std::to_string(factor) + "/1";
}

std::string GrafikChannelPrefix(int channel) {
  return " Канал " + std::to_string(channel) + "  ";
}

std::string GrafikStoredName(const ShowMemory& memory, int channel) {
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

GrafikLabels GrafikLabelTexts(const ShowState& show, int channel, GrafikPoint point) {
  const std::string scene = std::to_string(point.scene + 1);
  const int level =
      ValidChannel(channel) && ValidScene(point.scene) ? LevelOf(show, channel, point.scene) : 0;
  GrafikLabels labels;
  labels.scene = " Сцена = " + scene;
  labels.newLevel = " Новый уровень канала = " + std::to_string(point.level) + "     " +
                    std::to_string(GrafikPercent(point.level)) + "%";
  labels.dmxLevel = " Уровень канала сцены " + scene + " = " + std::to_string(level) + "     " +
                    std::to_string(GrafikPercent(level)) + "%";
  return labels;
}

void WriteGrafikLevel(ShowState& show, GrafikMode mode, int channel, GrafikPoint point) {
  if (!ValidChannel(channel) || !ValidScene(point.scene)) return;
  const int last = mode == GrafikMode::kPen ? kPenLastScene : point.scene;
  for (int t = point.scene; t <= last; ++t)
    show.DataWrite(SceneByte(t), ChannelByte(channel), point.level);
}

void WriteGrafikRamp(ShowState& show, int channel, int marked, int scene) {
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

void SetGrafikLastScene(ShowState& show, int lastScene) {
  show.memory.Set(kLastScene, static_cast<std::uint8_t>(std::clamp(lastScene, 0, kSceneCount - 1)));
}

void ChannelGraph::SetZoomStep(int step) {
  zoomStep_ = std::clamp(step, 0, kGrafikZoomSteps - 1);
  area_ = std::clamp(area_, 0, AreaMax());
}

void ChannelGraph::SetArea(int area) {
  area_ = std::clamp(area, 0, AreaMax());
}

void ChannelGraph::SetChannel(int channel) {
  channel_ = std::clamp(channel, 1, kRowSize - 1);
}

GrafikPoint ChannelGraph::PointAt(int x, int y) const {
  const GrafikZoom zoom = Zoom();
  const int first = FirstScene();
  // Clamping x to the chart first keeps the division within the shown columns.
  const int column = std::clamp(x, 0, kGrafikWidth - 1) / 2 / zoom.factor;
  const int scene = std::clamp(first + column, first, first + zoom.scenes - 1);
  const int level = kGrafikHeight - 1 - std::clamp(y, 0, kGrafikHeight - 1);
  return {scene, level};
}

GrafikLabels ChannelGraph::PointerUpdate(ShowState& show, GrafikPoint point) {
  GrafikLabels labels = GrafikLabelTexts(show, channel_, point);
  if (dragging_) WriteGrafikLevel(show, mode_, channel_, point);
  return labels;
}

GrafikLabels ChannelGraph::MouseDown(ShowState& show, GrafikButton button, int x, int y) {
  dragging_ = true;
  const GrafikPoint point = PointAt(x, y);
  if (button == GrafikButton::kLeft) marked_ = point.scene;
  GrafikLabels labels = PointerUpdate(show, point);
  if (button == GrafikButton::kRight && mode_ == GrafikMode::kLine)
    WriteGrafikRamp(show, channel_, marked_, point.scene);
  return labels;
}

GrafikLabels ChannelGraph::MouseMove(ShowState& show, int x, int y) {
  return PointerUpdate(show, PointAt(x, y));
}

GrafikColumn ChannelGraph::Column(const ShowState& show, int k, int currentScene) const {
  const GrafikZoom zoom = Zoom();
  k = std::clamp(k, 0, zoom.scenes - 1);
  GrafikColumn column;
  column.scene = FirstScene() + k;
  column.level = LevelOf(show, channel_, column.scene);
  const int x = zoom.columnWidth * k;
  const int right = x + zoom.columnWidth;
  const int top = kGrafikHeight - 1 - column.level;
  column.background = {x, 0, right, top};
  column.bar = {x, top, right, kGrafikHeight - 1};
  column.endOfShow = column.scene == show.LastScene() + 1;
  column.endMarker = {x, 0, x + 2, kGrafikHeight - 1};
  column.current = column.scene == currentScene;
  column.currentMarker = {x + zoom.factor - 1, 0, x + zoom.factor, kGrafikHeight - 1};
  column.marked = column.scene == marked_;
  column.markedSquare = {x + zoom.factor - 3, top - 3, x + zoom.factor + 3, top + 3};
  return column;
}

}  // namespace kalvetro
