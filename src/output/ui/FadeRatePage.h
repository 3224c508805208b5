// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <cstdint>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QScrollBar;

namespace kalvetro {

class Console;

// The tab "Плавность": the crossfade mode "Плавность перехода  сцен " and the group rate
// slider with the label of the rate last chosen on any rate slider (the console keeps it).
class FadeRatePage : public QWidget {
  Q_OBJECT

 public:
  FadeRatePage(Console& console, QWidget* parent);

  // The chosen item of "Плавность перехода  сцен ": 0 "Ползунки", 1 "Автомат", 2 "Выкл",
  // -1 none.
  int ItemIndex() const;
  void SetItemIndex(int index);

  void ChangeRate();

  QGroupBox* crossfadeGroup = nullptr;
  QScrollBar* rateSlider = nullptr;
  QLabel* rateLabel = nullptr;

 private:
  Console& console_;
  QButtonGroup* rateItems_ = nullptr;
};

}  // namespace kalvetro
