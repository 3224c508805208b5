// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QSize>
#include <QString>
#include <initializer_list>

namespace kalvetro {

// A label whose text changes while the console runs (a clock, a counter, a level) is given one
// size for good: the size of the widest of the texts it can show. A new text then repaints the
// label alone; a label that may change size makes every layout around it up to the page
// recompute, once for every new text. Call it after the label's font is set.
inline void KeepLabelSize(QLabel* label, std::initializer_list<QString> widestTexts) {
  const QString shown = label->text();
  QSize size = label->sizeHint();
  for (const QString& text : widestTexts) {
    label->setText(text);
    size = size.expandedTo(label->sizeHint());
  }
  label->setText(shown);
  label->setFixedSize(size);
}

}  // namespace kalvetro
