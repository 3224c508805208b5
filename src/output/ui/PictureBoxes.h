// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <array>

#include "show/ShowMemory.h"

class QCheckBox;

namespace kalvetro {

class Console;

// The group " Статические картинки " on the tab "Стат. картины": one box per static picture
// in key order 1..8, Space, Z, X, C, V, B, N, M. A ticked box lays its picture over the
// output on every tick; the boxes have no other handler.
class PictureBoxes : public QGroupBox {
  Q_OBJECT

 public:
  PictureBoxes(Console& console, QWidget* parent);

  // CheckBoxChs1..CheckBoxChs8, CheckBoxChsSpace, CheckBoxChsZ, X, C, V, B, N, M.
  std::array<QCheckBox*, kPictureCount> pictureBoxes{};

 private:
  Console& console_;
};

}  // namespace kalvetro
