// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace kalvetro {

class Console;
class LedShape;

// The group "Сеть DMX (OLA)" on the tab "Опции": switches the network output on and off,
// chooses its universe, and shows whether the OLA daemon is reached.
class OlaPanel : public QGroupBox {
  Q_OBJECT

 public:
  OlaPanel(Console& console, QWidget* parent);

  // Controls show the sink's state (after the settings were read, or a command-line choice).
  void RefreshOla();

  QCheckBox* olaBox = nullptr;
  QSpinBox* universeEdit = nullptr;
  LedShape* olaLamp = nullptr;
  QLabel* olaStatusLabel = nullptr;

 private:
  void ShowConnection(bool connected, const QString& text);

  Console& console_;
};

}  // namespace kalvetro
