// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <QPointer>
#include <functional>

#include "playback/ShowClock.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace kalvetro {

class Console;
class WindowParts;

// The group "Управление сценами" on the tab "Секвенсер": tempo, play and stop, the current
// scene, the show clock and the scene buttons of the page. It is a view of the show runner,
// whose sequencer plays the show: the controls send it commands, and the group shows its
// tempo, its pacing and every tick of its clock, and follows the playing state whoever
// starts or stops the show (the keyboard, the conveyor, a remote).
class SequencerPanel : public QGroupBox {
  Q_OBJECT

 public:
  SequencerPanel(Console& console, WindowParts& parts, QWidget* parent);

  // What the group shows when the console starts or stops the show.
  void ShowPlaying(bool playing);

  // Shows the tempo byte (limited to 10..170) as scenes a minute in tempoLabel.
  void TempStatus();
  // The sequencer part of the show refresh: tempo slider and display, current and last scene.
  void RefreshSequencer();

  // The checkable menu item "Разрешить автодобавление сцен" that lets the step slider append
  // scenes.
  void SetAutoAddSceneItem(QAction* item);

  // Handlers.
  void ChangeTempo(int position);
  void ChooseScene(int position);
  // A tick of the sequencer clock: the tempo strip flashes for 100 ms.
  void FlashTempoStrip();
  void EndTempoFlash();
  void ShowClockTick();
  // First step of the 100 ms output display timer: a show that is no longer playing shows as
  // stopped; the "Audio" caption takes the colour the output tick asks for.
  void DisplayTick();

  const ShowClock& Clock() const { return clock_; }

  // Controls.
  QScrollBar* tempoSlider = nullptr;
  QLabel* tempoLabel = nullptr;
  QFrame* tempoStrip = nullptr;
  QToolButton* stopButton = nullptr;
  QToolButton* playButton = nullptr;
  QLabel* showTimeLabel = nullptr;
  QLabel* pauseTimeLabel = nullptr;
  QLabel* sceneLabel = nullptr;
  QLabel* lastSceneLabel = nullptr;
  QScrollBar* sceneSlider = nullptr;
  QCheckBox* ringBox = nullptr;
  QCheckBox* soundPacedBox = nullptr;
  // Scene list buttons of the page; their commands are bound by the scene list commands.
  QToolButton* newSceneButton = nullptr;
  QToolButton* copySceneButton = nullptr;
  QToolButton* newSceneFromPasteButton = nullptr;
  QPushButton* replaceFromPasteButton = nullptr;
  QToolButton* deleteSceneButton = nullptr;
  QAction* autoAddSceneItem = nullptr;
  QTimer* tempoStripTimer = nullptr;
  QTimer* showClockTimer = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildTempoSection();
  QWidget* BuildTransportSection();
  QWidget* BuildStepSection();
  QWidget* BuildClockSection();
  QWidget* BuildSceneButtons();
  void SetShapeColour(const QColor& color);
  void SetSceneEditingEnabled(bool enabled, bool withPaste);
  void ApplyAudioColour();

  Console& console_;
  WindowParts& parts_;
  ShowClock clock_;
  bool refreshing_ = false;  // the refresh itself is moving the step slider
};

}  // namespace kalvetro
