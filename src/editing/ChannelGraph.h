// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "show/ShowState.h"

namespace kalvetro {

// Core of the channel graph page ("График Канала"): the level of one channel across the
// scenes as a 512 x 256 bar chart, drawn into with the mouse. Every write names its scene;
// nothing here moves the row the output uses, and nothing looks at the playing flag.

inline constexpr int kGraphWidth = 512;
inline constexpr int kGraphHeight = 256;
inline constexpr int kGraphZoomSteps = 4;   // zoom bar 0..3
inline constexpr int kNewShowZoomStep = 3;  // every new show starts at 32 scenes per area
inline constexpr int kPenLastScene = 254;   // the pen fills up to this scene, not the last row

// One step of the zoom bar: factor Z, scenes shown N and column width 2Z in pixels.
struct GraphZoom {
  int factor = 8;
  int scenes = 32;
  int columnWidth = 16;
};
// Step 0..3 gives Z = 1, 2, 4, 8; other steps are taken as the nearest of them.
GraphZoom GraphZoomOf(int step);

enum class GraphMode { kArrow, kLine, kPen };  // graphArrowButton, ...Line, ...Pen
enum class GraphButton { kLeft, kRight, kMiddle };

// A point of the chart: scene 0..255 and level 0..255.
struct GraphPoint {
  int scene = 0;
  int level = 0;
};

// Percent shown beside a level: v * 100 / 255 rounded up (200 shows 79).
int GraphPercent(int level);

// Label texts of the page.
std::string GraphFromText(int firstScene);             // "от Сцены = " + (first + 1)
std::string GraphLastText(int firstScene, int count);  // "до Сцены = " + (first + count)
std::string GraphZoomText(int factor);                 // " Масштаб = " + Z + "/1"
// Start of graphChannelNameLabel: " Канал " + channel + "  "; the name follows it.
std::string GraphChannelPrefix(int channel);
// The channel's stored name up to its first 0 byte, as stored: single bytes of the show's
// 8-bit code page, to be decoded by the page. Nothing in the slot is rewritten.
std::string GraphStoredName(const ShowMemory& memory, int channel);

// Texts of the pointer update (RefreshGraphLabels).
struct GraphLabels {
  std::string scene;  // graphSceneLabel: " Сцена = " + (s + 1)
  std::string newLevel;  // graphNewLevelLabel: " Новый уровень канала = " + v + "     " + p + "%"
  std::string dmxLevel;  // graphSceneLevelLabel: " Уровень канала сцены " + (s + 1) + " = " + ...
};
GraphLabels GraphLabelTexts(const ShowState& show, int channel, GraphPoint point);

// Writes a drawn level by mode: arrow and line set the one scene, the pen sets every scene
// from point.scene up to scene 254 (nothing when the scene is beyond it).
void WriteGraphLevel(ShowState& show, GraphMode mode, int channel, GraphPoint point);

// Line mode ramp between the marked scene and `scene` on `channel`: the end with the lower
// scene number keeps its level and the levels move from it by equal whole steps
// |A - B| div |s - M| towards the other end, which receives the last of these steps.
void WriteGraphRamp(ShowState& show, int channel, int marked, int scene);

// The last-scene bar of the page: sets the last scene of the show (kept within 0..255).
void SetGraphLastScene(ShowState& show, int lastScene);

// A rectangle of the chart; right and bottom are exclusive.
struct GraphRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
struct GraphColour {
  int red = 0;
  int green = 0;
  int blue = 0;
};
inline constexpr GraphColour kGraphBackground{50, 150, 150};
inline constexpr GraphColour kGraphBar{255, 255, 10};
inline constexpr GraphColour kGraphEndMarker{0, 0, 255};
inline constexpr GraphColour kGraphCurrentMarker{0, 255, 0};
inline constexpr GraphColour kGraphMarkedSquare{255, 0, 0};

// What column k of the chart shows, in drawing order: the background above the bar, the bar,
// then (when they apply) the blue end of the show, the green line of the current scene and
// the red square of the marked scene.
struct GraphColumn {
  int scene = 0;
  std::uint8_t level = 0;
  GraphRect background;
  GraphRect bar;
  bool endOfShow = false;  // scene = last scene + 1
  GraphRect endMarker;
  bool current = false;
  GraphRect currentMarker;
  bool marked = false;
  GraphRect markedSquare;
};

// The state of the page while the program runs (none of it is saved) and its mouse handling.
class ChannelGraph {
 public:
  int ZoomStep() const { return zoomStep_; }
  GraphZoom Zoom() const { return GraphZoomOf(zoomStep_); }
  // Changing the zoom keeps the area within 0 .. Z - 1.
  void SetZoomStep(int step);
  int Area() const { return area_; }
  int AreaMax() const { return Zoom().factor - 1; }
  bool AreaEnabled() const { return Zoom().factor > 1; }
  void SetArea(int area);
  // First scene of the shown area (a * N) and the number of scenes shown (N).
  int FirstScene() const { return area_ * Zoom().scenes; }
  int SceneCount() const { return Zoom().scenes; }

  // Channel 1..255 (the channel bar's position + 1).
  int Channel() const { return channel_; }
  void SetChannel(int channel);
  GraphMode Mode() const { return mode_; }
  void SetMode(GraphMode mode) { mode_ = mode; }
  int Marked() const { return marked_; }
  bool Dragging() const { return dragging_; }

  // A new show (also the empty one made at start-up) shows 32 scenes per area again.
  void ResetForNewShow() { SetZoomStep(kNewShowZoomStep); }

  // Scene and level under the pointer at x, y of the chart. Positions outside the chart (the
  // pointer stays captured while a button is held) are taken to the nearest point of the
  // shown area, so nothing is ever drawn outside it.
  GraphPoint PointAt(int x, int y) const;

  // A button pressed on the chart: dragging starts, the left button marks the scene, the
  // pressed scene takes the new level at once, and the right button in line mode draws the
  // ramp from the marked scene. Returns the pointer texts (taken before the write).
  GraphLabels MouseDown(ShowState& show, GraphButton button, int x, int y);
  // The pointer moved: the texts, and while a button is held the level is drawn.
  GraphLabels MouseMove(ShowState& show, int x, int y);
  void MouseUp() { dragging_ = false; }

  // Column k (0 .. N - 1) of the chart. `currentScene` is the sequencer's current scene.
  GraphColumn Column(const ShowState& show, int k, int currentScene) const;

 private:
  GraphLabels PointerUpdate(ShowState& show, GraphPoint point);

  int zoomStep_ = kNewShowZoomStep;
  int area_ = 0;
  int channel_ = 1;
  GraphMode mode_ = GraphMode::kArrow;
  int marked_ = 1;
  bool dragging_ = false;
};

}  // namespace kalvetro
