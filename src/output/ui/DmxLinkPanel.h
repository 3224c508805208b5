#pragma once

#include <QGroupBox>
#include <QString>

class QCheckBox;

namespace kalvetro {

class ConsoleHost;

// The group "Состояние порта COM" on the tab "Опции": the link to the DMX interface.
class DmxLinkPanel : public QGroupBox {
  Q_OBJECT

 public:
  DmxLinkPanel(ConsoleHost& host, QString port, QWidget* parent);

  // Start-up: lamps off, then the port is opened; failure enters demo mode. Returns whether
  // the port is open.
  bool OpenAtStart();
  // Shutdown: lowers RTS and DTR and closes the port when it is open.
  void CloseAtShutdown();
  // Last step of every output tick (output thread): sends the frame as one packet.
  void SendToCom();

  QCheckBox* CheckBoxDemo = nullptr;

 private:
  void EnterDemoMode();

  ConsoleHost& host_;
  QString port_;
};

}  // namespace kalvetro
