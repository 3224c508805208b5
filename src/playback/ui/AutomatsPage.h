// SPDX-License-Identifier: GPL-3.0-or-later
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
struct AutomatWidgets {
  QGroupBox* automatGroup = nullptr;
  QScrollBar* firstChannelSlider = nullptr;
  QLabel* channelsLabel = nullptr;     // LabelSeq1Ch
  QLabel* channelNameLabel = nullptr;  // LabelSeq1ChName
  QScrollBar* tempoSlider = nullptr;
  QLabel* tempoLabel = nullptr;
  QFrame* tickStrip = nullptr;
  std::array<QToolButton*, kAutomatPrograms> programButtons{};
  QLabel* stepLabel = nullptr;
  std::array<QFrame*, kAutomatChannels> lampFrames{};
  QScrollBar* brightSlider = nullptr;
  QScrollBar* darkSlider = nullptr;
  QCheckBox* runAlwaysBox = nullptr;
  QCheckBox* withShowBox = nullptr;
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
  void ChangeAutomatTempo(int a, int position);
  void ChangeAutomatFirstChannel(int a, int position);
  void ChooseAutomatProgram(int a, int program);
  void ChangeAutomatBright(int a, int position);
  void ChangeAutomatDark(int a, int position);

  // The tempo label from the tempo byte.
  void ShowAutomatTempo(int a);
  // Lamps := the four output levels as grey shades.
  void ShowAutomatLamps(int a);
  // All controls of both automats from the show.
  void RefreshAutomats();

  AutomatWidgets& Ui(int a) { return ui_[a - 1]; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QGroupBox* BuildGroup(int a);
  int Base(int a) const;
  void ReturnChannelLabels(int a);

  Console& console_;
  std::array<AutomatWidgets, kAutomatCount> ui_{};
  bool refreshing_ = false;  // the refresh itself moves the sliders: no byte is rewritten
};

}  // namespace kalvetro
