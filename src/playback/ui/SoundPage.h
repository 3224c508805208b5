#pragma once

#include <QAudioDevice>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "playback/SoundTick.h"
#include "app/TimerRest.h"

class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QScrollBar;
class QTimer;

namespace kalvetro {

class AudioLevelInput;
class Console;

// Where the sound tick takes its level from.
enum class LevelSource : int {
  kClipboard = 0,   // "Буфер обмена": another program writes the level as text
  kAudioInput = 1,  // "Аудиовход": the peak of the default audio input
};

// The page "ЗВУК": every 10 ms the sound level (00..99) drives a level gauge with a falling
// peak, an envelope bar and a gate; beats found there are counted down by the skip count,
// and a counted beat raises the show's beat flag, on which the sequencer steps while "Audio"
// is ticked. The level comes from the clipboard text or from the audio input.
class SoundPage : public QWidget {
  Q_OBJECT

 public:
  SoundPage(Console& console, QWidget* parent);
  ~SoundPage() override;

  // Handlers.
  void Timer100msNOoffTimer();
  // Starts the sound tick again after it rested on a steady clipboard level.
  void WakeSoundTick();
  void ScrollBarGateChange(int position);
  void ScrollBarPropuskChange(int position);
  void ScrollBaSpeedADSRChange(int position);
  void ScrollBarSpeedIndikatChange(int position);
  void ComboBoxLevelSourceChange(int index);

  // The audio input the page listens to; by default the system's default input. A null
  // device stands for a machine without one.
  void SetAudioDevice(const QAudioDevice& device);
  LevelSource Source() const { return source_; }

  const SoundState& State() const { return state_; }

  // Controls.
  QTimer* Timer100msNOoff = nullptr;
  QLabel* Label33 = nullptr;
  QProgressBar* GaugeLevel = nullptr;
  QProgressBar* GaugeGate = nullptr;
  QProgressBar* ProgressBarKomp = nullptr;
  QScrollBar* ScrollBarGate = nullptr;
  QScrollBar* ScrollBarPropusk = nullptr;
  QLabel* LabelPropusk = nullptr;
  QScrollBar* ScrollBaSpeedADSR = nullptr;
  QLabel* LabelKompr = nullptr;
  QScrollBar* ScrollBarSpeedIndikat = nullptr;
  QLabel* Labelind = nullptr;
  QFrame* Shapes = nullptr;
  std::array<QFrame*, 4> ShapeBeat{};  // Shape1s..Shape4s
  QComboBox* ComboBoxLevelSource = nullptr;

 private:
  std::optional<QString> ClipboardText();
  void ShowView(const SoundView& view);
  void FallBackToClipboard(const QString& reason);
  void DropAudioInput();

  Console& console_;
  SoundState state_;
  LevelSource source_ = LevelSource::kClipboard;
  QString clipboardText_;               // the clipboard text as last read
  TimerRest rest_;                      // the tick rests on a steady level; a change wakes it
  bool clipboardStale_ = true;          // the clipboard changed since it was last read
  std::optional<QAudioDevice> device_;  // empty: the system's default input
  std::unique_ptr<AudioLevelInput> audio_;
};

}  // namespace kalvetro
