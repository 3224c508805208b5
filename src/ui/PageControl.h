// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QSize>
#include <QTabBar>
#include <QTabWidget>

namespace kalvetro {

// A tab widget that repaints only what changed. A plain tab widget answers every layout
// request from inside its pages (a label that shows a new number asks for one) by laying out
// its tab bar and page again and repainting itself whole, pages and all. The geometry it would
// compute depends only on its own size, which its resize handling covers, and on its tab bar's
// size hint: while that stays the same, the request is passed on to the parents and the
// repaint is left to the widget that changed.
class PageControl : public QTabWidget {
 public:
  using QTabWidget::QTabWidget;

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::LayoutRequest) {
      const QSize hint = tabBar()->sizeHint();
      if (hint == tabHint_ && size() == laidOutSize_) {
        updateGeometry();
        return true;
      }
      const bool handled = QTabWidget::event(event);
      tabHint_ = hint;
      // A hidden tab widget lays out when it is shown: the next request is handled in full.
      laidOutSize_ = isVisible() ? size() : QSize();
      return handled;
    }
    return QTabWidget::event(event);
  }

 private:
  QSize tabHint_;
  QSize laidOutSize_;  // invalid (never a widget's size) until a request was handled shown
};

}  // namespace kalvetro
