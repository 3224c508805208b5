// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "show/ShowState.h"

namespace kalvetro {

// The XY editor works on a scanner's channel pair: X (pan) in channel first + 1 and Y (tilt) in
// channel first + 2 of every scene row, for the scenes from..to. Scene numbers here are the
// operator's 1-based numbers: scene number v is row v - 1. Every operation addresses its rows
// explicitly and never touches the show's current-row pointer.
struct XYArea {
  int first = 0;  // first-channel position 0..253 (channels first + 1 and first + 2)
  int from = 1;   // first scene number of the range, 1..256
  int to = 32;    // last scene number of the range, from..256
};

// Parameters of the figure generators: size S (20..250) and option W (0..10).
struct XYFigure {
  int size = 200;
  int option = 7;
};

struct XYPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const XYPoint&, const XYPoint&) = default;
};

// Outcome of an editing operation; anything but kDone means nothing was written.
enum class XYStatus {
  kDone,
  kSingleScene,  // the figure needs at least two scenes in the range; nothing was written
  kBadRange,     // from/to/first outside their ranges or from > to; nothing was written
};

// Found-scene value meaning "no point under the cursor".
inline constexpr int kNoScene = 300;

// The range "Все сцены" gives: from scene 1 to the show's last scene + 1.
XYArea AllScenesArea(const ShowState& show, int first);

// Whether the area can be edited: first 0..253, 1 <= from <= to <= 256.
bool ValidXYArea(const XYArea& area);

// Point of a row (0..255) for the pair at first-channel position first.
XYPoint ReadXY(const ShowState& show, int first, int row);
// Writes a point into a row (wrapped to 0..255) of the pair, each coordinate clamped to 0..255.
void WriteXY(ShowState& show, int first, int row, int x, int y);

// The row (0..255) whose point lies within +-3 of (x, y) in both coordinates, searched among
// the rows of the range; of several matches the lowest row wins. kNoScene when none matches.
int FindSceneAt(const ShowState& show, const XYArea& area, int x, int y);

// One step of the shift, mirror and scale buttons applied to every point of the range:
// 1 right, 2 left, 3 up, 4 down (never past 0 or 255), 5 horizontal mirror, 6 vertical mirror,
// 7 smaller (each coordinate one step towards 127), 8 larger (one step away from the middle;
// 0 and 255 stay). Any other code does nothing.
void ApplyAreaStep(ShowState& show, const XYArea& area, int code);

// Auto-repeat of the shift and scale buttons. The page's repeat timer runs all the time with
// the interval given here; a held button repeats every 50 ms after the first timer tick.
struct XYRepeat {
  int code = 0;
  int intervalMs = 700;

  // Mouse-down on a button with the given code: returns the code to apply once at once.
  // Mirror codes (5, 6) apply once and leave no repeat behind.
  int Press(int buttonCode);
  // A timer tick: the code to apply again (0 for none); a repeat shortens the interval to 50.
  int Tick();
  // Mouse-up on a shift or scale button.
  void Release();
};

// Level pair of a point at an angle (degrees, 0 straight up, growing clockwise on the screen)
// and a distance size / 2 from the centre: value v becomes v + 127 when v >= 0, else v + 128.
XYPoint PointAtAngle(int angle, int size);

// A point turned about the centre by r degrees (positive: clockwise on the screen).
XYPoint RotateXY(int x, int y, int r);
// Turns every point of the range by r degrees; r = 0 changes nothing.
XYStatus RotateArea(ShowState& show, const XYArea& area, int r);

// The nine figure generators. Each writes only the pair of the area. The triangle, rectangle
// and "X" draw their first sides in full, so on a short range they also write rows after
// `to`, wrapping past row 255 to row 0. The circle, "8", "88", snake and spiral need
// from < to and return kSingleScene otherwise.
XYStatus MakeLine(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeTriangle(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeRectangle(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeCross(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeCircle(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeFigureEight(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeDoubleEight(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeSnake(ShowState& show, const XYArea& area, const XYFigure& figure);
XYStatus MakeSpiral(ShowState& show, const XYArea& area, const XYFigure& figure);

// A copy target: the first-channel position of a further pair and whether its box is ticked.
struct XYCopyTarget {
  int first = 0;
  bool ticked = false;
};

// Takes the undo copy of the whole show, then copies the edited pair's points of the range
// into each ticked target pair, in the order given.
XYStatus CopyXYToPairs(ShowState& show, const XYArea& area,
                       const std::array<XYCopyTarget, 3>& targets);

// Mouse editing on the 256 x 256 field. Pixel (px, py) shows point (px, 255 - py).
class XYMouse {
 public:
  enum Mode { kNone = 0, kLeft = 1, kRight = 2 };

  // Button down. The left button picks the point under the cursor; when one is found, the
  // show is not playing and changeScene is set, that scene becomes the current scene (and the
  // last scene grows to it). Returns whether the current scene changed.
  bool Down(ShowState& show, const XYArea& area, Mode button, int px, int py, bool changeScene);
  // Pointer move: searches the point under the cursor; with the left button held the found
  // point (rows below 255 only) follows the cursor. Returns whether this search matched.
  bool Move(ShowState& show, const XYArea& area, int px, int py);
  void Up() { mode_ = kNone; }

  Mode mode() const { return mode_; }
  int found() const { return found_; }

 private:
  Mode mode_ = kNone;
  int found_ = kNoScene;
};

// Label texts of the editor (UTF-8).
std::string RotationLabel(int r);                 // "Вправо 45", "Влево 160"
std::string FigureLabel(const XYFigure& figure);  // " Размер фигуры 200       Опция 7"
std::string SceneLabel(int row);                  // " Сцена 5" for row 4
std::string SceneHint(int row);                   // "Переместить сцену 5" for row 4

}  // namespace kalvetro
