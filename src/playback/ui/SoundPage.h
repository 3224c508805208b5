// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAudioDevice>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "playback/SoundTick.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class QFrame;
class QLabel;
class QProgressBar;
class QScrollBar;
class QTimer;

namespace kalvetro {

class AudioInput;
class Console;
class SoundInputChooser;

// Where the sound tick takes its level from.
enum class LevelSource : int {
  kClipboard = 0,   // "Буфер обмена": another program writes the level as text
  kAudioInput = 1,  // "Аудиовход": the peak of the default audio input
  kBeat = 2,        // "Бит музыки": the beats a tracker finds in the audio input
};

// The page "ЗВУК": a view of the show runner's sound clock, which every 10 ms drives a level
// gauge with a falling peak, an envelope bar and a gate from the sound level (00..99); beats
// found there are counted down by the skip count, and a counted beat raises the show's beat
// flag, on which the sequencer steps while "Audio" is ticked. The page chooses the level
// source (the clipboard text or the audio input) and sets the sliders.
class SoundPage : public QWidget {
  Q_OBJECT

 public:
  SoundPage(Console& console, QWidget* parent);
  ~SoundPage() override;

  // Handlers.
  // The show runner's sound clock read a level: the gauges, the label and the lamps show it.
  void ShowView(const SoundView& view);
  void ChangeGate(int position);
  void ChangeSkip(int position);
  void ChangeEnvelopeSpeed(int position);
  void ChangeFallSpeed(int position);
  void ChooseLevelSource(int index);
  // The beat part: the grid's tempo and lock, a beat counted, the tap button, the choice of
  // what the show does when the pulse is lost.
  void ShowBeatGrid();
  void FlashBeat(const SoundView& view);
  void TapTempo();
  void ChoosePulseLoss(int index);

  // A Qt audio device the page listens to instead of the chooser's input. A null device stands
  // for a machine without one.
  void SetAudioDevice(const QAudioDevice& device);
  LevelSource Source() const { return source_; }

  // Controls.
  QLabel* levelLabel = nullptr;
  QProgressBar* levelGauge = nullptr;
  QProgressBar* gateGauge = nullptr;
  QProgressBar* envelopeGauge = nullptr;
  QScrollBar* gateSlider = nullptr;
  QScrollBar* skipSlider = nullptr;
  QLabel* skipLabel = nullptr;
  QScrollBar* envelopeSpeedSlider = nullptr;
  QLabel* envelopeSpeedLabel = nullptr;
  QScrollBar* fallSpeedSlider = nullptr;
  QLabel* fallSpeedLabel = nullptr;
  QFrame* triggerLamp = nullptr;
  std::array<QFrame*, 4> beatLamps{};  // Shape1s..Shape4s
  QComboBox* levelSourceBox = nullptr;
  QGroupBox* beatGroup = nullptr;
  QLabel* bpmLabel = nullptr;
  QFrame* lockLamp = nullptr;   // green: the grid follows the music; yellow: finding it
  QFrame* flashLamp = nullptr;  // lit for a moment on every beat of the grid
  QPushButton* tapButton = nullptr;
  QComboBox* pulseLossBox = nullptr;
  SoundInputChooser* inputChooser = nullptr;

 private:
  // The clipboard as the level source: another program writes the level as text.
  class ClipboardLevel : public SoundLevelSource {
   public:
    std::optional<int> ReadLevel() override;
    bool Steady() const override { return !stale; }
    QString text;       // the clipboard text as last read
    bool stale = true;  // the clipboard changed since it was last read
  };

  void FallBackToClipboard(const QString& reason);
  void BuildBeatGroup(QWidget* parent);
  void RememberChoices();
  void ApplyRememberedChoices();
  void DropAudioInput();

  Console& console_;
  LevelSource source_ = LevelSource::kClipboard;
  ClipboardLevel clipboard_;
  std::optional<QAudioDevice> device_;  // empty: the input of the chooser
  std::unique_ptr<AudioInput> audio_;
  QTimer* flashOff_ = nullptr;
};

}  // namespace kalvetro
