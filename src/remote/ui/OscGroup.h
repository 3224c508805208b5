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
class OscRemote;

// The group "Пульт OSC (UDP)" on the tab "Опции": switches the OSC remote on and off, chooses
// its port, the address it listens on and the senders it takes (all kept in the settings), and
// shows the port in use, the last message, and the count and last one of the bad input
// refused and of the datagrams from senders not allowed.
class OscGroup : public QGroupBox {
  Q_OBJECT

 public:
  OscGroup(Remotes& remotes, QWidget* parent);

  QCheckBox* oscBox = nullptr;
  QSpinBox* portEdit = nullptr;
  QLineEdit* bindEdit = nullptr;
  QLineEdit* allowEdit = nullptr;
  QLabel* statusLabel = nullptr;
  QLabel* lastMessageLabel = nullptr;
  QLabel* errorCountLabel = nullptr;
  QLabel* lastErrorLabel = nullptr;

 private:
  // The operator's choice: runs or stops the remote and keeps the choice in the settings.
  void ApplyChoice();
  // Controls and labels from the remote's state (and the settings while it is off).
  void RefreshOsc();

  RemoteDoor& door_;
  OscRemote& osc_;
};

}  // namespace kalvetro
