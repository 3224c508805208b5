// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace kalvetro {

// The output level under a strip: a dark display with green digits. While a show fades, all
// 27 of them show new numbers ten times a second. Each number is drawn once into a small
// picture that every display shares, and a new number only repaints the display with it: a
// bare widget, not a text label, so that nothing is laid out, measured or announced again.
class LevelLabel : public QWidget {
 public:
  explicit LevelLabel(QWidget* parent = nullptr);

  // Shows n (a level or a percentage); repaints only when it is another number.
  void SetNumber(int n);
  QString text() const { return QString::number(number_); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Pictures in the backing store's own format copy without conversion. They are shared by
  // every level display, which all have the same font and colours.
  const QImage& Face() const;

  int number_ = 255;
};

}  // namespace kalvetro
