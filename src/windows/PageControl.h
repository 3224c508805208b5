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
      if (laidOut_ && hint == tabHint_ && size() == laidOutSize_) {
        updateGeometry();
        return true;
      }
      const bool handled = QTabWidget::event(event);
      laidOut_ = isVisible();
      tabHint_ = hint;
      laidOutSize_ = size();
      return handled;
    }
    return QTabWidget::event(event);
  }

 private:
  bool laidOut_ = false;  // a layout request was handled while the widget was shown
  QSize tabHint_;
  QSize laidOutSize_;
};

}  // namespace kalvetro
