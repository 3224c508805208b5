// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QGroupBox>
#include <QString>

#include "app/TimerRest.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTimer;

namespace kalvetro {

class Console;
class DmxLink;
class WindowParts;

// A line-state lamp: a small rounded shape without outline, filled with one colour.
class LedShape : public QWidget {
  Q_OBJECT

 public:
  explicit LedShape(QWidget* parent);
  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_{192, 192, 192};  // silver until start-up switches the lamps off
};

// The group "Состояние порта COM" on the tab "Опции": shows the console's DMX link and
// forwards the operator's choices to it: demo mode, the port, RTS and DTR. It shows CTS, DSR
// and RLSD, three bytes of what the interface sends back, and the packet counts.
class DmxLinkPanel : public QGroupBox {
  Q_OBJECT

 public:
  DmxLinkPanel(Console& console, WindowParts& parts, QWidget* parent);

  // After start-up: when the link opened its port (and raised both lines) the boxes show
  // the lines raised; a port that did not open left the link in demo mode, as the boxes show.
  void ShowOpenedAtStart();

  // Handlers.
  void ToggleDemoMode();
  void SetRtsLine();
  void SetDtrLine();
  void ChangeComPort();
  void ShowCts(bool on);
  void ShowDsr(bool on);
  void ShowRlsd(bool on);
  void ShowReceivedBytes();

  DmxLink& Link() { return link_; }

  // Controls.
  LedShape* ctsLamp = nullptr;
  LedShape* dsrLamp = nullptr;
  LedShape* rlsdLamp = nullptr;
  QCheckBox* rtsBox = nullptr;
  QCheckBox* dtrBox = nullptr;
  QCheckBox* demoBox = nullptr;
  QComboBox* portBox = nullptr;
  QPlainTextEdit* receivedText = nullptr;
  QLabel* replyByte13Label = nullptr;
  QLabel* replyByte14Label = nullptr;
  QLabel* replyByte15Label = nullptr;
  QLabel* packetsLabel = nullptr;
  QTimer* receiveTimer = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls(const QString& port);
  void EnterDemoMode();
  void ShowError(const QString& message);

  Console& console_;
  WindowParts& parts_;
  DmxLink& link_;
  TimerRest memoRest_;  // the counters rest while the panel is hidden
};

}  // namespace kalvetro
