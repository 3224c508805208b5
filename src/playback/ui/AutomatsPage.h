#pragma once

#include <QWidget>
#include <array>

#include "playback/Automats.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QScrollBar;
class QToolButton;

namespace kalvetro {

class Console;

// The controls of one automat's group box; automat 1's names end in 1, automat 2's in 2.
struct AvtomatControlsUi {
  QGroupBox* GroupBoxAvtomat = nullptr;
  QScrollBar* ScrollBarChannelAvtomat = nullptr;
  QLabel* LabelSeqCh = nullptr;      // LabelSeq1Ch
  QLabel* LabelSeqChName = nullptr;  // LabelSeq1ChName
  QScrollBar* ScrollBarTempAvtomat = nullptr;
  QLabel* LabelTempAvtomat = nullptr;
  QFrame* ShapeAvtomat = nullptr;
  std::array<QToolButton*, kAvtomatPrograms> SpeedButtonAvtoMode{};
  QLabel* LabelStepAvtomat = nullptr;
  std::array<QFrame*, kAvtomatChannels> ShapeAvtSeq{};
  QScrollBar* ScrollBarBrightAvtomat = nullptr;
  QScrollBar* ScrollBarDarkAvtomat = nullptr;
  QCheckBox* CheckBoxAvtomat = nullptr;
  QCheckBox* CheckBoxTogethe = nullptr;
};

// The page "Автоматы": the two four-channel chasers of the show runner. Each has its first
// channel, tempo, program, bright and dark level and its run boxes; the page sends the
// runner what the operator sets and shows each automat's ticks, step and four levels.
//
// Automat a is 1 or 2 in every method below.
class AutomatsPage : public QWidget {
  Q_OBJECT

 public:
  AutomatsPage(Console& console, QWidget* parent);

  // Handlers.
  // Automat a ticked: its strip flashes; when it stepped, its step and lamps show it.
  void ShowTick(int a, bool ran);
  void ScrollBarTempAvtomatChange(int a, int position);
  void ScrollBarChannelAvtomatChange(int a, int position);
  void SpeedButtonAvtoModeClick(int a, int program);
  void ScrollBarBrightAvtomatChange(int a, int position);
  void ScrollBarDarkAvtomatChange(int a, int position);

  // The tempo label from the tempo byte.
  void TempAvtomatStatus(int a);
  // Lamps := the four output levels as grey shades.
  void DisplayAvtomat(int a);
  // All controls of both automats from the show.
  void ReturnAvtomat();

  AvtomatControlsUi& Ui(int a) { return ui_[a - 1]; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QGroupBox* BuildGroup(int a);
  int Base(int a) const;
  void ReturnChannelLabels(int a);

  Console& console_;
  std::array<AvtomatControlsUi, kAutomatCount> ui_{};
  bool refreshing_ = false;  // the refresh itself moves the sliders: no byte is rewritten
};

}  // namespace kalvetro
