// SPDX-License-Identifier: GPL-3.0-or-later
// The nine figure generators of the XY editor. Divisions truncate towards zero, the step
// values marked as bytes wrap modulo 256, and row numbers past 255 wrap to row 0. The
// straight-line figures clamp their points into 0..255 on writing; the circular ones add
// their offsets modulo 256.
#include <algorithm>

#include "effects/XYFigures.h"

namespace kalvetro {

namespace {

int Byte(int value) {
  return value & 0xFF;
}

// Size and option as the page's sliders allow them.
int FigureSize(const XYFigure& figure) {
  return std::clamp(figure.size, 20, 250);
}
int FigureOption(const XYFigure& figure) {
  return std::clamp(figure.option, 0, 10);
}

// Writes a point whose coordinates wrap modulo 256.
void WriteWrapped(ShowState& show, int first, int row, int x, int y) {
  WriteXY(show, first, row, Byte(x), Byte(y));
}

// The circular figures divide by to - from.
XYStatus CheckCircular(const XYArea& area) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  if (area.from == area.to) return XYStatus::kSingleScene;
  return XYStatus::kDone;
}

// Side count k of the rectangle and the "X" for a range of span = to - from.
int FourSideRun(int span) {
  if (span <= 4) return 1;
  if (span <= 8) return 2;
  return span / 4 + 1;
}

}  // namespace

XYStatus MakeLine(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  const int s = FigureSize(figure);
  const int w = FigureOption(figure);
  const int n = area.to - area.from + 1;
  const int step = Byte(s / n);
  const int d = Byte(2 * step);
  int x = (256 - s) / 2 + w;
  int y = x;
  const int mid = Byte(area.from + (area.to - area.from) / 2);
  // Diagonally up to the middle scene, a jump by the option, and back down.
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    if (row < mid) {
      WriteXY(show, area.first, row, x - w, y + w);
      x += d;
      y += d;
    } else if (row == mid) {
      x = x - d + 2 * w;
      y = y - d - 2 * w;
      WriteXY(show, area.first, row, x - w, y + w);
    } else {
      x -= d;
      y -= d;
      WriteXY(show, area.first, row, x - w, y + w);
    }
  }
  return XYStatus::kDone;
}

XYStatus MakeTriangle(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  const int s = FigureSize(figure);
  const int w = FigureOption(figure);
  const int n = area.to - area.from + 1;
  const int span = area.to - area.from;
  const int step = Byte(s / n);
  const int t = Byte(3 * step);
  const int d = t / 2;
  const int k = span <= 3 ? 1 : span / 3 + 1;
  const int base = area.from - 1;
  int x = 127 - d * k;
  int y = (256 - t * k) / 2;
  for (int row = base; row <= base + k; ++row) {  // rising side
    WriteXY(show, area.first, row, x, y);
    x += d;
    y += t;
  }
  x -= d;
  y -= t;
  for (int row = base + k; row <= base + 2 * k; ++row) {  // falling side
    WriteXY(show, area.first, row, x, y);
    x += d;
    y -= t;
  }
  x -= d;
  for (int row = base + 2 * k; row <= area.to - 1; ++row) {  // base line, back to the left
    WriteXY(show, area.first, row, x, y + t);
    x -= t + w;
  }
  return XYStatus::kDone;
}

XYStatus MakeRectangle(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  const int s = FigureSize(figure);
  const int w = FigureOption(figure);
  const int n = area.to - area.from + 1;
  const int step = Byte(s / n);
  const int t = Byte(4 * step);
  const int k = FourSideRun(area.to - area.from);
  const int base = area.from - 1;
  int x = (256 - t * k) / 2;
  int y = x;
  for (int row = base; row <= base + k; ++row) {  // up the left side
    WriteXY(show, area.first, row, x, y);
    y += t;
  }
  y -= t;
  for (int row = base + k; row <= base + 2 * k; ++row) {  // along the top
    WriteXY(show, area.first, row, x, y);
    x += t;
  }
  x -= t;
  for (int row = base + 2 * k; row <= base + 3 * k; ++row) {  // down the right side
    WriteXY(show, area.first, row, x, y);
    y -= t;
  }
  for (int row = base + 3 * k; row <= area.to - 1; ++row) {  // back along the bottom
    WriteXY(show, area.first, row, x, y + t);
    x -= t + w;
  }
  return XYStatus::kDone;
}

XYStatus MakeCross(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (!ValidXYArea(area)) return XYStatus::kBadRange;
  const int s = FigureSize(figure);
  const int w = FigureOption(figure);
  const int n = area.to - area.from + 1;
  const int step = Byte(s / n);
  const int t = Byte(4 * step);
  const int k = FourSideRun(area.to - area.from);
  const int base = area.from - 1;
  int x = (256 - t * k) / 2;
  int y = x;
  for (int row = base; row <= base + k; ++row) {  // up the left side
    WriteXY(show, area.first, row, x, y);
    y += t;
  }
  y -= t;
  for (int row = base + k; row <= base + 2 * k; ++row) {  // diagonal down to the right
    WriteXY(show, area.first, row, x, y);
    y -= t;
    x += t;
  }
  y += t;
  x -= t;
  for (int row = base + 2 * k; row <= base + 3 * k; ++row) {  // up the right side
    WriteXY(show, area.first, row, x, y);
    y += t;
  }
  y -= t;
  for (int row = base + 3 * k; row <= area.to - 1; ++row) {  // diagonal back down to the left
    WriteXY(show, area.first, row, x, y);
    y -= t + w;
    x -= t + w;
  }
  return XYStatus::kDone;
}

XYStatus MakeCircle(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (const XYStatus status = CheckCircular(area); status != XYStatus::kDone) return status;
  const int s = FigureSize(figure);
  const int a = FigureOption(figure) * 50 / (area.to - area.from);
  int angle = 0;
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    const XYPoint p = PointAtAngle(angle, s);
    WriteWrapped(show, area.first, row, p.x, p.y);
    angle += a;
  }
  return XYStatus::kDone;
}

XYStatus MakeFigureEight(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (const XYStatus status = CheckCircular(area); status != XYStatus::kDone) return status;
  const int e = FigureSize(figure) / 2;
  const int h = e / 2;
  const int span = area.to - area.from;
  const int a = FigureOption(figure) * 100 / span;
  const int half = span / 2;
  const int base = area.from - 1;
  int angle = 180;  // upper loop
  for (int row = base; row <= base + half; ++row) {
    const XYPoint p = PointAtAngle(angle, e);
    WriteWrapped(show, area.first, row, p.x, p.y + h);
    angle += a;
  }
  angle = 0;  // lower loop; its first row overwrites the last of the upper one
  for (int row = base + half; row <= area.to - 1; ++row) {
    const XYPoint p = PointAtAngle(angle, e);
    WriteWrapped(show, area.first, row, p.x, p.y - h);
    angle += a;
  }
  return XYStatus::kDone;
}

XYStatus MakeDoubleEight(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (const XYStatus status = CheckCircular(area); status != XYStatus::kDone) return status;
  const int e = FigureSize(figure) / 2;
  const int h = e / 2;
  const int span = area.to - area.from;
  const int a = FigureOption(figure) * 150 / span;
  const int q = span / 4;
  const int base = area.from - 1;
  struct Arc {
    int firstRow, lastRow, startAngle, dx, dy;
  };
  const Arc arcs[4] = {
      {base, base + q, 90, -h, h},
      {base + q, base + 2 * q, 180, h, h},
      {base + 2 * q, base + 3 * q, 270, h, -h},
      {base + 3 * q, area.to - 1, 0, -h, -h},
  };
  for (const Arc& arc : arcs) {
    int angle = arc.startAngle;
    for (int row = arc.firstRow; row <= arc.lastRow; ++row) {
      const XYPoint p = PointAtAngle(angle, e);
      WriteWrapped(show, area.first, row, p.x + arc.dx, p.y + arc.dy);
      angle -= a;
    }
  }
  return XYStatus::kDone;
}

XYStatus MakeSnake(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (const XYStatus status = CheckCircular(area); status != XYStatus::kDone) return status;
  const int s = FigureSize(figure);
  const int w = FigureOption(figure);
  const int step = s / (area.to - area.from);
  const int dx = Byte(step * (w + 1));
  const int rise = 256 / (w + 1);
  int x = (256 - s) / 2;
  int y = 128 / (w + 1);
  bool right = true;
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    WriteXY(show, area.first, row, x, y);
    if (right) {
      x += dx;
      if (x > 255) {  // past the right edge: stay, turn and climb
        x -= dx;
        right = false;
        y += rise;
      }
    } else {
      x -= dx;
      if (x < 0) {
        x += dx;
        right = true;
        y += rise;
      }
    }
  }
  return XYStatus::kDone;
}

XYStatus MakeSpiral(ShowState& show, const XYArea& area, const XYFigure& figure) {
  if (const XYStatus status = CheckCircular(area); status != XYStatus::kDone) return status;
  const int s = FigureSize(figure);
  const int span = area.to - area.from;
  const int a = FigureOption(figure) * 250 / span;
  const int shrink = Byte(s / span);
  int size = s;
  int angle = 0;
  for (int row = area.from - 1; row <= area.to - 1; ++row) {
    const XYPoint p = PointAtAngle(angle, size);
    WriteWrapped(show, area.first, row, p.x, p.y);
    size = Byte(size - shrink);
    angle += a;
  }
  return XYStatus::kDone;
}

}  // namespace kalvetro
