// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kalvetro {

class RemoteDoor;
class Remotes;
class LedShape;

// The group "Пульт на телефоне" on the tab "Опции": turns the phone page on and off, sets its
// port, the address it listens on and its PIN (kept in the settings), shows the address to
// open on the phone, the phones connected and the bad messages received.
class WebPanel : public QGroupBox {
  Q_OBJECT

 public:
  WebPanel(Remotes& remotes, QWidget* parent);

  // The controls show the remote as it runs and the settings as they are.
  void RefreshWeb();

  QCheckBox* webBox = nullptr;
  QSpinBox* portEdit = nullptr;
  QLineEdit* bindEdit = nullptr;
  QLineEdit* pinEdit = nullptr;
  QLabel* urlLabel = nullptr;
  QLabel* clientsLabel = nullptr;
  QLabel* errorLabel = nullptr;
  LedShape* webLamp = nullptr;

 private:
  // What the controls say becomes the settings, and the remote follows them.
  void StoreSetup();

  RemoteDoor& door_;
  Remotes& remotes_;
};

}  // namespace kalvetro
