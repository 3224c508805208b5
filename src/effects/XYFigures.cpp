// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/XYFigures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "editing/SceneList.h"

namespace kalvetro {

namespace {

constexpr int kReach = 3;  // a point is under the cursor within +-3 in both coordinates

// Rounds up, treating a value within a hair of an integer as that integer: sin(180 deg) in
// floating point is 1.2e-16, not 0, and must not round up to 1.
int CeilExact(double value) {
  return static_cast<int>(std::ceil(value - 1e-9));
}

int CentreLevel(int value) {
  return value >= 0 ? value + 127 : value + 128;
}

// Distance of a level from the middle, in units of 128 (never 0).
double FromCentre(int level) {
  return (level < 128 ? level - 128 : level - 127) / 128.0;
}

std::uint8_t StepTowardsMiddle(std::uint8_t v) {
  int w = v;
  if (w >= 1 && w <= 127) ++w;
  if (w >= 128 && w <= 254) --w;
  return static_cast<std::uint8_t>(w);
}

std::uint8_t StepAwayFromMiddle(std::uint8_t v) {
  int w = v;
  if (w >= 1 && w <= 127) --w;
  if (w >= 128 && w <= 254) ++w;
  return static_cast<std::uint8_t>(w);
}

}  // namespace

XYArea AllScenesArea(const ShowState& show, int first) {
  return {first, 1, show.LastScene() + 1};
}

bool ValidXYArea(const XYArea& area) {
  return area.first >= 0 && area.first <= 253 && area.from >= 1 && area.from <= area.to &&
         area.to <= kSceneCount;
}

XYPoint ReadXY(const ShowState& show, int first, int row) {
  const auto scene = static_cast<std::uint8_t>(row & 0xFF);
  const auto channel = static_cast<std::uint8_t>(first + 1);
  return {show.DataRead(scene, channel), show.DataRead(scene, channel + 1)};
}

void WriteXY(ShowState& show, int first, int row, int x, int y) {
  const auto scene = static_cast<std::uint8_t>(row & 0xFF);
  const auto channel = static_cast<std::uint8_t>(first + 1);
  show.DataWrite(scene, channel, x);
  show.DataWrite(scene, static_cast<std::uint8_t>(channel + 1), y);
}

int FindSceneAt(const ShowState& show, const XYArea& area, int x, int y) {
  if (!ValidXYArea(area)) return kNoScene;
  int found = kNoScene;
  // Downwards, so that the last match, the lowest row, is the one kept.
  for (int row = area.to - 1; row >= area.from - 1; --row) {
    const XYPoint p = ReadXY(show, area.first, row);
    if (std::abs(p.x - x) <= kReach && std::abs(p.y - y) <= kReach) found = row;
  }
  return found;
}

void ApplyAreaStep(ShowState& show, const XYArea& area, int code) {
  if (!ValidXYArea(area) || code < 1 || code > 8) return;
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    XYPoint p = ReadXY(show, area.first, row);
    switch (code) {
      case 1:
        if (p.x != 255) ++p.x;
        break;
      case 2:
        if (p.x != 0) --p.x;
        break;
      case 3:
        if (p.y != 255) ++p.y;
        break;
      case 4:
        if (p.y != 0) --p.y;
        break;
      case 5:
        p.x = 255 - p.x;
        break;
      case 6:
        p.y = 255 - p.y;
        break;
      case 7:
        p.x = StepTowardsMiddle(static_cast<std::uint8_t>(p.x));
        p.y = StepTowardsMiddle(static_cast<std::uint8_t>(p.y));
        break;
      case 8:
        p.x = StepAwayFromMiddle(static_cast<std::uint8_t>(p.x));
        p.y = StepAwayFromMiddle(static_cast<std::uint8_t>(p.y));
        break;
    }
    WriteXY(show, area.first, row, p.x, p.y);
  }
}

int XYRepeat::Press(int buttonCode) {
  const bool repeats = (buttonCode >= 1 && buttonCode <= 4) || buttonCode == 7 || buttonCode == 8;
  code = repeats ? buttonCode : 0;
  return buttonCode;
}

int XYRepeat::Tick() {
  if (code == 0) return 0;
  intervalMs = 50;
  return code;
}

void XYRepeat::Release() {
  code = 0;
  intervalMs = 1000;
}

XYPoint PointAtAngle(int angle, int size) {
  const double theta = (angle % 360) * std::numbers::pi / 180.0;
  const double half = size / 2.0;
  return {CentreLevel(CeilExact(std::sin(theta) * half)),
          CentreLevel(CeilExact(std::cos(theta) * half))};
}

XYPoint RotateXY(int x, int y, int r) {
  const double dx = FromCentre(x);
  const double dy = FromCentre(y);
  const int offset = y < 128 ? 180 : 0;
  const double radius = std::min(1.0, std::sqrt(dx * dx + dy * dy));
  const double h = std::clamp(dy > 0 ? dx / radius : -dx / radius, -1.0, 1.0);
  const int angle = CeilExact(std::asin(h) * 180.0 / std::numbers::pi + r + offset);
  const int size = CeilExact(radius * 255.0);
  return PointAtAngle(angle, size);
}

XYStatus RotateArea(ShowState& show, const XYArea& area, int r) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  if (r == 0) return XYStatus::kDone;
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    const XYPoint p = ReadXY(show, area.first, row);
    const XYPoint q = RotateXY(p.x, p.y, r);
    WriteXY(show, area.first, row, q.x, q.y);
  }
  return XYStatus::kDone;
}

XYStatus CopyXYToPairs(ShowState& show, const XYArea& area,
                       const std::array<XYCopyTarget, 3>& targets) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  for (const XYCopyTarget& target : targets)
    if (target.ticked && (target.first < 0 || target.first > 253)) return XYStatus::kBadRange;
  TakeUndoCopy(show);
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    const XYPoint p = ReadXY(show, area.first, row);
    for (const XYCopyTarget& target : targets)
      if (target.ticked) WriteXY(show, target.first, row, p.x, p.y);
  }
  return XYStatus::kDone;
}

bool XYMouse::Down(ShowState& show, const XYArea& area, Mode button, int px, int py,
                   bool changeScene) {
  mode_ = button;
  const int x = std::clamp(px, 0, 255);
  const int y = std::clamp(py, 0, 255);
  found_ = kNoScene;
  if (mode_ == kLeft) found_ = FindSceneAt(show, area, x, 255 - y);
  if (show.playing.load(std::memory_order_relaxed) || found_ == kNoScene || !changeScene)
    return false;
  const auto scene = static_cast<std::uint8_t>(found_);
  show.memory.Set(kCurrentStep, scene);
  if (show.LastScene() < scene) show.memory.Set(kLastScene, scene);
  return true;
}

bool XYMouse::Move(ShowState& show, const XYArea& area, int px, int py) {
  const int x = std::clamp(px, 0, 255);
  const int y = std::clamp(py, 0, 255);
  const int match = FindSceneAt(show, area, x, 255 - y);
  if (match != kNoScene) found_ = match;
  // The point of the top row is found but never dragged.
  if (mode_ == kLeft && found_ < 255) WriteXY(show, area.first, found_, x, 255 - y);
  return match != kNoScene;
}

std::string RotationLabel(int r) {
  return r < 180 ? "Вправо " + std::to_string(r) : "Влево " + std::to_string(360 - r);
}

std::string FigureLabel(const XYFigure& figure) {
  return " Размер фигуры " + std::to_string(figure.size) + "       Опция " +
         std::to_string(figure.option);
}

std::string SceneLabel(int row) {
  return " Сцена " + std::to_string(row + 1);
}

std::string SceneHint(int row) {
  return "Переместить сцену " + std::to_string(row + 1);
}

}  // namespace kalvetro
