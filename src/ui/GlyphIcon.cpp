// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GlyphIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace kalvetro {

namespace {

class GlyphEngine : public QIconEngine {
 public:
  explicit GlyphEngine(Glyph glyph) : glyph_(glyph) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const QColor ink = mode == QIcon::Disabled ? QColor(150, 150, 150) : QColor(20, 20, 20);
    // A square of side s centred in rect, with a little air round the shape.
    const qreal side = std::min(rect.width(), rect.height()) * 0.75;
    const QRectF box(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2,
                     side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(ink);
    if (glyph_ == Glyph::Stop) {
      const qreal inset = side * 0.1;
      painter->drawRect(box.adjusted(inset, inset, -inset, -inset));
    } else {
      QPainterPath triangle;
      triangle.moveTo(box.left() + side * 0.15, box.top());
      triangle.lineTo(box.right(), box.center().y());
      triangle.lineTo(box.left() + side * 0.15, box.bottom());
      triangle.closeSubpath();
      painter->drawPath(triangle);
    }
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return picture;
  }

  QIconEngine* clone() const override { return new GlyphEngine(glyph_); }

 private:
  Glyph glyph_;
};

}  // namespace

QIcon GlyphIcon(Glyph glyph) {
  return QIcon(new GlyphEngine(glyph));
}

}  // namespace kalvetro
