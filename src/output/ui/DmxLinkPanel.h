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
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_{192, 192, 192};  // silver until start-up switches the lamps off
};

// The group "Состояние порта COM" on the tab "Опции": shows the console's DMX link and
// forwards the operator's choices to it: demo mode, the port, RTS and DTR. It shows CTS, DSR
// and RLSD, three bytes of what the interface sends back, and the packet counts.
class DmxLinkPanel : public QGroupBox {
  Q_OBJECT

 public:
  DmxLinkPanel(Console& console, WindowParts& parts, QWidget* parent);

  // Start-up: lamps off, then the link opens its port; failure enters demo mode. Returns
  // whether the port is open.
  bool OpenAtStart();

  // Handlers.
  void CheckBoxDemoClick();
  void CheckBoxRTSClick();
  void CheckBoxDTRClick();
  void ComboBoxPortChange();
  void SetLedCTS(bool on);
  void SetLedDSR(bool on);
  void SetLedRLSD(bool on);
  void TimerMemoTimer();

  DmxLink& Link() { return link_; }

  // Controls.
  LedShape* ShapeCTS = nullptr;
  LedShape* ShapeDSR = nullptr;
  LedShape* ShapeRLSD = nullptr;
  QCheckBox* CheckBoxRTS = nullptr;
  QCheckBox* CheckBoxDTR = nullptr;
  QCheckBox* CheckBoxDemo = nullptr;
  QComboBox* ComboBoxPort = nullptr;
  QPlainTextEdit* MemoCOM = nullptr;
  QLabel* lb01 = nullptr;
  QLabel* lb02 = nullptr;
  QLabel* lb03 = nullptr;
  QLabel* LabelPackets = nullptr;
  QTimer* TimerMemo = nullptr;

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
