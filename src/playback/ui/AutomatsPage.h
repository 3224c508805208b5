#pragma once

#include <QWidget>
#include <array>

#include "playback/Automats.h"
#include "windows/TimerRest.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QScrollBar;
class QTimer;
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
  QTimer* TimerTempAvtomat = nullptr;
  QFrame* ShapeAvtomat = nullptr;
  std::array<QToolButton*, kAvtomatPrograms> SpeedButtonAvtoMode{};
  QLabel* LabelStepAvtomat = nullptr;
  std::array<QFrame*, kAvtomatChannels> ShapeAvtSeq{};
  QScrollBar* ScrollBarBrightAvtomat = nullptr;
  QScrollBar* ScrollBarDarkAvtomat = nullptr;
  QCheckBox* CheckBoxAvtomat = nullptr;
  QCheckBox* CheckBoxTogethe = nullptr;
};

// The page "Автоматы": two four-channel chasers running beside the show. Each has its first
// channel, tempo, program, bright and dark level and its run boxes; its timer runs from
// start-up to exit (resting while the automat cannot run and the page is hidden), and every
// tick publishes the automat to the frame pipeline, where the output thread lays its four
// levels over the frame after the crossfade.
//
// Automat a is 1 or 2 in every method below.
class AutomatsPage : public QWidget {
  Q_OBJECT

 public:
  AutomatsPage(Console& console, QWidget* parent);

  // Handlers.
  void TimerTempAvtomatTimer(int a);
  // Starts the automat timers again that rested while their automat could not run.
  void WakeAutomats();
  void ScrollBarTempAvtomatChange(int a, int position);
  void ScrollBarChannelAvtomatChange(int a, int position);
  void SpeedButtonAvtoModeClick(int a, int program);
  void ScrollBarBrightAvtomatChange(int a, int position);
  void ScrollBarDarkAvtomatChange(int a, int position);

  // Timer interval and label from the tempo byte.
  void TempAvtomatStatus(int a);
  // Lamps := the four output levels as grey shades.
  void DisplayAvtomat(int a);
  // All controls of both automats from the show.
  void ReturnAvtomat();

  const Avtomat& Automat(int a) const { return avtomats_[a - 1]; }
  AvtomatControlsUi& Ui(int a) { return ui_[a - 1]; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QGroupBox* BuildGroup(int a);
  int Base(int a) const;
  int Program(int a) const;
  void ReturnChannelLabels(int a);

  Console& console_;
  std::array<Avtomat, kAutomatCount> avtomats_{Avtomat(kAvtomat1Limits), Avtomat(kAvtomat2Limits)};
  std::array<AvtomatControlsUi, kAutomatCount> ui_{};
  bool refreshing_ = false;  // the refresh itself moves the sliders: no byte is rewritten
  std::array<TimerRest, kAutomatCount> rests_{};  // a timer rests while its automat cannot run
};

}  // namespace kalvetro
