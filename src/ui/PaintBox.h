// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <functional>

namespace kalvetro {

// A plain drawing surface whose painting and mouse handling belong to the window or page
// that owns it: the owner sets the callbacks. The surface paints no background of its own, so
// a surface laid over another lets the lower one show through.
class PaintBox : public QWidget {
 public:
  explicit PaintBox(QWidget* parent) : QWidget(parent) {}

  std::function<void(QPainter&)> onPaint;
  std::function<void(QMouseEvent*)> onMouseDown;
  std::function<void(QMouseEvent*)> onMouseMove;
  std::function<void(QMouseEvent*)> onMouseUp;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!onPaint) return;
    QPainter painter(this);
    onPaint(painter);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (onMouseDown) onMouseDown(event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (onMouseMove) onMouseMove(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (onMouseUp) onMouseUp(event);
  }
};

}  // namespace kalvetro
