// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/ui/TargetPicker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "ui/Controls.h"

namespace kalvetro {

namespace {

// The marked control under a click and what a click there means.
std::optional<MidiTarget> TargetAt(QWidget* widget, const QMouseEvent& click) {
  QString words = RemoteTargetOf(widget);
  if (words.isEmpty()) return std::nullopt;
  if (words == QLatin1String("scene")) {
    const bool rightHalf = click.position().x() >= widget->width() / 2.0;
    const bool forward = rightHalf != (widget->layoutDirection() == Qt::RightToLeft);
    words = forward ? QStringLiteral("next") : QStringLiteral("previous");
  } else if (words.startsWith(QLatin1String("flash ")) &&
             (click.modifiers() & Qt::ControlModifier)) {
    words.replace(0, 5, QStringLiteral("latch"));
  }
  return ParseMidiTarget(words.toStdString());
}

}  // namespace

TargetPicker::TargetPicker(QObject* parent) : QObject(parent) {}

TargetPicker::~TargetPicker() {
  if (picking_) QApplication::restoreOverrideCursor();
  qApp->removeEventFilter(this);
}

void TargetPicker::Start() {
  if (picking_) return;
  picking_ = true;
  qApp->installEventFilter(this);
  QApplication::setOverrideCursor(Qt::CrossCursor);
}

void TargetPicker::Cancel() {
  if (!picking_) return;
  Finish();
  emit Cancelled();
}

void TargetPicker::Finish(QObject* clicked) {
  picking_ = false;
  QApplication::restoreOverrideCursor();
  clicked_ = clicked;
  if (!clicked_) {
    qApp->removeEventFilter(this);
    return;
  }
  QTimer::singleShot(QApplication::doubleClickInterval(), this, [this] {
    clicked_ = nullptr;
    if (!picking_) qApp->removeEventFilter(this);
  });
}

bool TargetPicker::eventFilter(QObject* watched, QEvent* event) {
  const bool mouse = event->type() == QEvent::MouseButtonPress ||
                     event->type() == QEvent::MouseButtonRelease ||
                     event->type() == QEvent::MouseButtonDblClick;
  if (!picking_) return mouse && watched == clicked_;
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    Cancel();
    return true;
  }
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
    return false;
  auto* click = static_cast<QMouseEvent*>(event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || click->button() != Qt::LeftButton) return false;
  const auto target = TargetAt(widget, *click);
  if (!target) return false;
  Finish(widget);
  emit Picked(*target);
  return true;
}

}  // namespace kalvetro
