// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ConsoleStyle.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QStandardPaths>

namespace kalvetro {

namespace {

// One-pixel lines of solid fills (a drawn line would go through the line rasteriser): along the
// top and bottom edges of r, or along its left and right edges.
void EdgeLines(QPainter& painter, const QRect& r, Qt::Orientation along, const QColor& colour) {
  if (along == Qt::Horizontal) {
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
  } else {
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
  }
}

void FrameRect(QPainter& painter, const QRect& r, const QColor& colour) {
  if (r.isEmpty()) return;
  EdgeLines(painter, r, Qt::Horizontal, colour);
  EdgeLines(painter, r, Qt::Vertical, colour);
}

bool Active(const QStyleOptionSlider& option, QStyle::SubControl part) {
  return (option.activeSubControls & part) != 0;
}

}  // namespace

void ConsoleStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const {
  if (control == CC_ScrollBar && painter)
    if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
      DrawScrollBar(*bar, *painter, widget);
      return;
    }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void ConsoleStyle::DrawScrollBar(const QStyleOptionSlider& option, QPainter& painter,
                                 const QWidget* widget) const {
  const QPalette& palette = option.palette;
  const bool enabled = option.state & State_Enabled;
  const bool horizontal = option.orientation == Qt::Horizontal;
  const QColor window = palette.color(QPalette::Window);
  const QColor groove = window.darker(108);
  const QColor outline = window.darker(enabled ? 150 : 125);
  const QColor button = palette.color(QPalette::Button);

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(option.rect, groove);
  // A line along both long edges, as the desktop style frames its grooves.
  const QColor edge = window.darker(118);
  EdgeLines(painter, option.rect, option.orientation, edge);

  // Arrow buttons: a raised face, darker while pressed, with the style's own arrow.
  const auto drawButton = [&](SubControl part, PrimitiveElement arrow) {
    const QRect face = proxy()->subControlRect(CC_ScrollBar, &option, part, widget);
    if (face.isEmpty()) return;
    const bool pressed = Active(option, part) && (option.state & State_Sunken);
    painter.fillRect(face, pressed ? button.darker(115) : button);
    FrameRect(painter, face, edge);
    QStyleOption arrowOption(option);
    arrowOption.rect = face.adjusted(2, 2, -2, -2);
    proxy()->drawPrimitive(arrow, &arrowOption, &painter, widget);
  };
  drawButton(SC_ScrollBarSubLine, horizontal ? PE_IndicatorArrowLeft : PE_IndicatorArrowUp);
  drawButton(SC_ScrollBarAddLine, horizontal ? PE_IndicatorArrowRight : PE_IndicatorArrowDown);

  // The handle: a light face with an outline and a short grip mark at its centre, lit under
  // the mouse and darker while dragged.
  const QRect handle = proxy()->subControlRect(CC_ScrollBar, &option, SC_ScrollBarSlider, widget);
  if (!handle.isEmpty() && option.minimum != option.maximum) {
    QColor face = button.lighter(106);
    if (Active(option, SC_ScrollBarSlider) && (option.state & State_Sunken))
      face = button.darker(112);
    else if (Active(option, SC_ScrollBarSlider) && (option.state & State_MouseOver))
      face = button.lighter(112);
    painter.fillRect(handle, face);
    FrameRect(painter, handle, outline);
    const QColor grip = outline.lighter(110);
    const QPoint c = handle.center();
    for (int k = -2; k <= 2; k += 2) {
      if (horizontal && handle.width() > 10 && handle.height() > 6)
        painter.fillRect(QRect(c.x() + k, handle.top() + 4, 1, handle.height() - 8), grip);
      else if (!horizontal && handle.height() > 10 && handle.width() > 6)
        painter.fillRect(QRect(handle.left() + 4, c.y() + k, handle.width() - 8, 1), grip);
    }
  }
  painter.restore();
}

void UseIconTheme() {
  const QString theme = QIcon::themeName();
  if (!theme.isEmpty() && theme != QStringLiteral("hicolor")) return;
  // No desktop names a theme here (a bare X server, the offscreen platform): the toolbar and
  // the buttons take Adwaita's pictures, drawn in several sizes, so that they stay sharp on a
  // scaled screen; the style's own small pictures are left for icons Adwaita has not.
  QStringList paths = QIcon::themeSearchPaths();
  for (const QString& dir :
       QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                 QStandardPaths::LocateDirectory))
    if (!paths.contains(dir)) paths << dir;
  QIcon::setThemeSearchPaths(paths);
  for (const QString& dir : paths) {
    if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Adwaita/index.theme")))) {
      QIcon::setThemeName(QStringLiteral("Adwaita"));
      return;
    }
  }
}

void UseConsoleStyle() {
  QApplication::setStyle(new ConsoleStyle);
  UseIconTheme();
}

}  // namespace kalvetro
