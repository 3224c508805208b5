// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

namespace kalvetro {

// An icon of the desktop theme, or the style's standard icon where the theme has none.
inline QIcon ThemeIcon(const QWidget* widget, const QString& name,
                       QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(name, widget->style()->standardIcon(fallback));
}

// A small button of a page: its control name as objectName, a caption and a hint.
inline QToolButton* MakeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                                    const QString& hint, bool fillWidth = true) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolTip(hint);
  if (fillWidth) button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return button;
}

}  // namespace kalvetro
