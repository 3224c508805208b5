// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowParts.h"

#include <QTabWidget>
#include <QWidget>

namespace kalvetro {

bool IsShownPage(const QWidget* widget) {
  // A page is shown while the tab that holds it is its page control's current tab.
  for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
    if (auto* pages = qobject_cast<const QTabWidget*>(w)) {
      const QWidget* current = pages->currentWidget();
      return current && (current == widget || current->isAncestorOf(widget));
    }
  }
  return true;
}

}  // namespace kalvetro
