// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>
#include <QStyleOptionSlider>

namespace kalvetro {

// The console's look: the desktop's own style, except that scroll bars (the faders of the
// strips, the tempo and scene bars) are drawn here with plain filled rectangles. The desktop
// style draws them with lines and gradients which the raster painter splits over the thread
// pool once a call covers enough rows, so every fader that moved cost several thread hand-
// overs and wake-ups; plain rectangles are filled at once on the painting thread. Geometry,
// hit-testing and arrows stay the desktop style's.
class ConsoleStyle : public QProxyStyle {
 public:
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;

 private:
  void DrawScrollBar(const QStyleOptionSlider& option, QPainter& painter,
                     const QWidget* widget) const;
};

// Gives the application the console's look, its icons included; call once after the
// application is made, before the first window.
void UseConsoleStyle();
// The icon theme where the desktop names none: Adwaita when it is installed.
void UseIconTheme();

}  // namespace kalvetro
