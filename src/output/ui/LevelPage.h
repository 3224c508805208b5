#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QScrollBar;
class QTimer;
class QToolButton;

namespace kalvetro {

class ConsoleHost;
class StripPanel;
struct OutputControls;

// The tab "Уровни": the level of the selected channels, blackout and manual control. Also
// builds and serves the output mode buttons (normal, macro, blackout) that sit in the strip
// panel's button column, and shows the blink the output tick asks for while blackout is on.
class LevelPage : public QWidget {
  Q_OBJECT

 public:
  LevelPage(ConsoleHost& host, OutputControls& controls, QWidget* parent);
  // The strips whose selection the level slider acts on and whose faders it refreshes.
  void SetStrips(StripPanel* strips) { strips_ = strips; }
  // Builds the three output mode buttons (one down at a time) into a small panel for the
  // strip panel's button column.
  QWidget* CreateOutputModeButtons(QWidget* parent);

  void ScrollBarLevelAllChange();
  void CheckBoxBlackOutClick();
  void SpeedButtonBlackOutClick();
  void SpeedButtonOnScenaClick();
  void SpeedButtonMacrosOutClick();
  // Shows or hides the blackout button as the output tick last asked.
  void ApplyBlackOutBlink();

  QScrollBar* ScrollBarLevelAll = nullptr;
  QLabel* LabelLevelAll = nullptr;
  QCheckBox* CheckBoxBlackOut = nullptr;
  QCheckBox* CheckBoxManual = nullptr;
  QToolButton* SpeedButtonOnScena = nullptr;
  QToolButton* SpeedButtonMacrosOut = nullptr;
  QToolButton* SpeedButtonBlackOut = nullptr;
  QTimer* TimerBlackOutBlink = nullptr;

 private:
  ConsoleHost& host_;
  OutputControls& controls_;
  StripPanel* strips_ = nullptr;
};

}  // namespace kalvetro
