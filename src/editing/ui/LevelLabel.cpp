// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/LevelLabel.h"

#include <QHash>
#include <QPainter>
#include <cmath>

namespace kalvetro {

LevelLabel::LevelLabel(QWidget* parent) : QWidget(parent) {
  // The display paints all of itself: the page behind it is not repainted with it.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelLabel::SetNumber(int n) {
  if (n == number_) return;
  number_ = n;
  update();
}

QSize LevelLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  return QSize(
      fontMetrics().horizontalAdvance(QStringLiteral("255")) + margins.left() + margins.right(),
      fontMetrics().height() + margins.top() + margins.bottom());
}

void LevelLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Face());
}

const QImage& LevelLabel::Face() const {
  static QHash<quint64, QImage> faces;
  const qreal ratio = devicePixelRatioF();
  const quint64 key = static_cast<quint64>(number_ & 0xffff) |
                      static_cast<quint64>(width() & 0xffff) << 16 |
                      static_cast<quint64>(height() & 0xffff) << 32 |
                      static_cast<quint64>(std::lround(ratio * 64) & 0xffff) << 48;
  auto found = faces.constFind(key);
  if (found != faces.constEnd()) return *found;
  QImage face(size() * ratio, QImage::Format_ARGB32_Premultiplied);
  face.setDevicePixelRatio(ratio);
  face.fill(palette().color(QPalette::Window));
  QPainter painter(&face);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(contentsRect(), Qt::AlignRight | Qt::AlignVCenter, text());
  painter.end();
  return *faces.insert(key, face);
}

}  // namespace kalvetro
