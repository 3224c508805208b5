// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>

#include "app/TimerRest.h"
#include "effects/Conveyor.h"
#include "output/OutputControls.h"
#include "playback/Automats.h"
#include "playback/BeatListener.h"
#include "playback/BeatPredictor.h"
#include "playback/Sequencer.h"
#include "playback/SoundTick.h"

namespace kalvetro {

class Console;
class ThreadInbox;
enum class ShowReplacement;

// The clocks that play a show and the state they need, below every window: the sequencer
// (tempo, stepping, sound pacing), the two automats with their run flags and timers, the
// crossfade mode and the static pictures held by a key or latched. The main window, the
// headless player and any remote are views of it: they send commands and show what its
// signals say. Lives on the user-interface thread, as its timers do; owned by the console.
class ShowRunner : public QObject {
  Q_OBJECT

 public:
  explicit ShowRunner(Console& console);

  // ------------------------------------------------------------ sequencer
  void Play();
  void Stop();
  // Play from scene 1 (a double click on Play).
  void PlayFromStart();
  bool Playing() const;
  // One scene on or back, wrapping within the show's scenes. While the show plays the move
  // crossfades over one period, as a step of the sequencer does.
  void Next();
  void Previous();
  // The step slider: while stopped, scene `position` becomes the current one (with automatic
  // adding on, a position one past the last scene adds a copy of it); while playing nothing.
  void SelectScene(int position);
  // Goes to scene `step` (0..last scene) whether playing or not: playing, the move crossfades
  // over one period as a step of the sequencer does. False (nothing changes) out of range.
  bool GoToScene(int step);
  // Channel (1..255) of the current scene := level, as its strip fader sets it while the show
  // is stopped. Playing, false and nothing changes: the sequencer owns the scene then.
  bool SetChannelLevel(int channel, int level);
  // "Разрешить автодобавление сцен".
  void SetAutoAddScenes(bool on) { autoAddScenes_ = on; }
  bool AutoAddScenes() const { return autoAddScenes_; }
  // Tempo byte of the show (held to 10..170) and the sequencer period it gives.
  void SetTempo(int tempo);
  int Tempo() const;
  int SequencerIntervalMs() const { return sequencerTimer_.interval(); }
  // Applies the show's tempo byte to the sequencer period, as after opening a show.
  void ApplyTempo();
  // "Audio": the sequencer steps on counted beats instead of every period.
  void SetSoundPaced(bool on);
  bool SoundPaced() const { return soundPaced_; }
  // "Кольцо" is shown only: the sequencer always wraps after the last scene.
  void SetRing(bool on) { ring_ = on; }
  bool Ring() const { return ring_; }
  // One tick of the sequencer clock (its timer calls it; tests may too).
  void SequencerTick();
  QTimer& SequencerTimer() { return sequencerTimer_; }

  // ------------------------------------------------------------ sound
  // The level source of the sound tick (not owned); none: the sound clock rests.
  void SetSoundSource(SoundLevelSource* source);
  SoundLevelSource* SoundSource() const { return soundSource_; }
  // The level, a slider or the source changed: a resting sound clock runs again.
  void WakeSound();
  // The sound sliders. The gate returns the threshold it gives (0..32000).
  int SetSoundGate(int position);
  void SetSoundSkip(int position);
  void SetSoundEnvelopeSpeed(int position);
  void SetSoundFallSpeed(int position);
  const SoundState& Sound() const { return sound_; }
  const SoundSliders& SoundSliderPositions() const { return soundSliders_; }
  // One 10 ms tick of the sound clock (its timer calls it; tests may too): a counted beat
  // raises the show's beat flag, which a sound-paced sequencer steps on.
  void SoundClockTick();
  QTimer& SoundTimer() { return soundTimer_; }

  // ------------------------------------------------------------ beats of the music
  // Beat pacing: the beats of a tracker (TakeTrackedBeat) make a beat grid, and the sound
  // beats are counted on the grid's predicted beats instead of on the level's peaks: each one
  // is counted down by the skip count and a counted beat raises the beat flag. Sound paced, the
  // show steps at once, timed so that the new scene goes out on the beat (the crossfade of
  // "Автомат" starting early enough to be complete there).
  void SetBeatPaced(bool on);
  bool BeatPaced() const { return beatPaced_; }
  // A beat found by the tracker, on this thread.
  void TakeTrackedBeat(const TrackedBeat& beat);
  // Where an audio input hands its samples for the beat tracker: a listener that runs the
  // tracker on a worker thread of its own and hands each beat found to this runner, on its
  // thread, through a ThreadInbox. Made on the first call; lives as long as the runner.
  PcmListener* BeatPcm();
  // The tap button (now): four taps give the grid its tempo.
  bool TapBeat();
  void SetPulseLoss(PulseLoss loss);
  PulseLoss PulseLossChoice() const { return beatGrid_.Loss(); }
  const BeatPredictor& BeatGrid() const { return beatGrid_; }
  // The beat clock came to the next beat (its timer calls it; tests may too).
  void BeatClockFire();
  QTimer& BeatTimer() { return beatTimer_; }
  // The beat the beat clock waits for, if any.
  std::optional<BeatPredictor::Clock::time_point> PendingBeat() const { return pendingBeat_; }

  // ------------------------------------------------------------ crossfade, blackout, pictures
  // An item of "Плавность перехода  сцен " (kCrossfadeSliders, kCrossfadeAutomat,
  // kCrossfadeOff) or kCrossfadeNone.
  void SetCrossfadeMode(int mode);
  int CrossfadeMode() const;
  // Blackout: any change stops the automatic advance of the show.
  void SetBlackOut(bool dark);
  bool BlackOut() const;
  // The macro picture held down (a button or a key) or let go.
  void SetMacroOut(bool down);
  bool MacroOut() const;
  // Picture k (0..15) on or off as its box is ticked; its latch stays as it is.
  void SetPicture(int k, bool on);
  // Picture k (0..15) flashed: on while held down, off when let go unless it is latched.
  void FlashPicture(int k, bool down);
  // Picture k latched on (stays on when its flash is let go) or let go entirely.
  void LatchPicture(int k, bool on);
  bool Picture(int k) const;
  bool PictureLatched(int k) const { return k >= 0 && k < kPictureCount && latched_[k]; }

  // ------------------------------------------------------------ conveyor (slots 1..20)
  // A mode button: hand and composing stop the show; the two list modes load the next ticked
  // show at once (from the first slot for kListFromFirst) and play.
  void SetConveyorMode(ConveyorMode mode);
  // A slot's button went down or up (in hand mode that loads its show), or its key was pressed
  // (the keys act only while "Вкл" is ticked and never on slot 20).
  void SetConveyorSlotDown(int slot, bool down);
  void ConveyorSlotKey(int slot);
  // All twenty slot buttons up.
  void ConveyorButtonsOff();
  // Plays the list of the ticked slots from the first one: the slots down as `ticks` says,
  // then the list mode from the first slot. False when no ticked slot has a show file.
  bool PlayConveyorList(const std::array<bool, kConveyorSlots>& ticks);
  // Loads the next ticked show of the list (what the end of a pass does in the list modes).
  void ConveyorListJob();
  const Conveyor& ConveyorState() const { return conveyor_; }
  // The conveyor's label after the last load: "3 show1" in the list modes, the short name by
  // hand; empty until a show was loaded.
  const QString& ConveyorLabel() const { return conveyorLabel_; }

  // ------------------------------------------------------------ automats (a is 1 or 2)
  // "Пуск самостоятельно" and "С основным".
  void SetAutomatRunAlways(int a, bool on);
  void SetAutomatWithShow(int a, bool on);
  bool AutomatRunAlways(int a) const { return automats_[a - 1].runAlways; }
  bool AutomatWithShow(int a) const { return automats_[a - 1].withShow; }
  // The automat's show bytes, each written into the show and taken at once.
  void SetAutomatProgram(int a, int program);  // 1..4
  void SetAutomatFirstChannel(int a, int p);   // 0..250: channels p+1..p+4
  void SetAutomatTempo(int a, int tempo);      // 5..50 (t*t ms)
  void SetAutomatBright(int a, int level);
  void SetAutomatDark(int a, int level);
  int AutomatProgram(int a) const { return automats_[a - 1].program; }
  int AutomatFirstChannel(int a) const;
  const Automat& AutomatState(int a) const { return automats_[a - 1].state; }
  QTimer& AutomatTimer(int a) { return automats_[a - 1].timer; }
  // The program, first channel and tempo of both automats from the show's bytes.
  void LoadAutomats();
  // One tick of automat a's timer (its timer calls it; tests may too).
  void AutomatTick(int a);
  // Someone shows the automats' lamps, which flash at every tick: the timer of an automat
  // that cannot run rests only while nobody watches.
  void SetAutomatLampsShown(bool shown);

 signals:
  // The show started or stopped playing, by a command or because an operation stopped it
  // (blackout, a new show, the picture editor). Play and Stop say it even when nothing changed.
  void PlayingChanged(bool playing);
  void BlackOutChanged(bool dark);
  // Picture k (0..15) went on or off, whoever switched it.
  void PictureChanged(int k, bool on);
  // The sequencer clock ticked (the tempo strip flashes), whether the show moved or not.
  void SequencerTicked();
  // The show wrapped after its last scene (before a list conveyor loads its next show).
  void PassEnded();
  // The current scene changed by the sequencer or a command; the views have been refreshed.
  void SceneStepped(int scene);
  void TempoChanged(int intervalMs);
  void SoundPacedChanged(bool on);
  void CrossfadeModeChanged(int mode);
  // The sound clock read a level: what the sound page shows.
  void SoundTicked(SoundView view);
  // A beat of the grid was counted (the beat lamps and the skip label show `view`).
  void BeatCounted(SoundView view);
  // The grid's tempo, confidence or lock changed.
  void BeatGridChanged();
  // The conveyor's mode, slot buttons or label changed.
  void ConveyorChanged();
  // A slot's show could not be opened: the show in memory plays on; for a message box.
  void ConveyorLoadFailed(int slot, const QString& error);
  // Automat a ticked (its lamp flashes); `ran` says whether it stepped.
  void AutomatTicked(int a, bool ran);
  // A setting or run flag of automat a changed.
  void AutomatChanged(int a);

 private:
  struct AutomatRun {
    explicit AutomatRun(AutomatLimits limits) : state(limits) {}
    Automat state;
    QTimer timer;
    int program = 1;  // the last program chosen; a show byte outside 1..4 leaves it
    bool runAlways = false;
    bool withShow = false;
    TimerRest rest;
  };
  int AutomatBase(int a) const;
  bool AutomatMayRun(int a) const;
  void WakeAutomats();
  void ApplyAutomatTempo(int a);
  void PublishAutomatPosition(int a);
  void StepTo(std::uint8_t scene);
  // The sequencer's advance (held without a beat while sound paced) and the crossfade into the
  // new scene over fadeMs.
  void AdvanceAndFade(int fadeMs);
  void ScheduleBeat();
  void WatchPulse();
  int BeatFadeTicks() const;
  void LoadConveyorSlot(int slot);
  void ReportFailedLoad(int slot, const std::string& error);
  void ShowReplaced(ShowReplacement how);
  void SetPlaying(bool playing);
  // An operation of the core (emptying the show, opening the picture editor) may have
  // stopped the show: says so when it did.
  void AnnouncePlaying();

  Console& console_;
  bool announcedPlaying_ = false;
  QTimer sequencerTimer_;
  bool soundPaced_ = false;
  bool ring_ = true;
  bool autoAddScenes_ = false;
  QTimer soundTimer_;
  TimerRest soundRest_;
  SoundLevelSource* soundSource_ = nullptr;
  SoundState sound_;
  SoundSliders soundSliders_;
  bool beatPaced_ = false;
  BeatPredictor beatGrid_;
  ThreadInbox* beatInbox_ = nullptr;       // a child: the worker's beats come through it
  std::unique_ptr<BeatListener> beatPcm_;  // goes before the inbox is deleted
  QTimer beatTimer_;
  QTimer pulseWatch_;
  std::optional<BeatPredictor::Clock::time_point> pendingBeat_;
  std::optional<BeatPredictor::Clock::time_point> lastCountedBeat_;
  bool pulseLocked_ = false;
  bool pulseLost_ = false;
  std::array<bool, kPictureCount> latched_{};
  Conveyor conveyor_;
  QString conveyorLabel_;
  bool conveyorJobRunning_ = false;  // a list job is loading (its error message may be open)
  std::array<AutomatRun, kAutomatCount> automats_{AutomatRun(kAutomat1Limits),
                                                  AutomatRun(kAutomat2Limits)};
  bool lampsShown_ = false;
};

}  // namespace kalvetro
