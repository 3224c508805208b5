// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShowRunner.h"
#include "app/PictureEditorSession.h"
#include "app/ShowFiles.h"

#include <algorithm>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/SceneList.h"
#include "serial/ThreadInbox.h"

namespace kalvetro {

namespace {

// The automat tempo both automats start with (the start-up tempo bytes).
constexpr int kAutomatStartTempo = 10;
// The sequencer period until the first tempo reaches it.
constexpr int kSequencerStartMs = 1000;
constexpr int kSoundTickMs = 10;
// How often the beat grid is looked at for a lost or regained pulse.
constexpr int kPulseWatchMs = 200;
// A scene change for a tick is made this long before the tick reads the show: late enough to
// miss the tick before, early enough for a timer that fires a little late.
constexpr auto kBeatMargin = std::chrono::milliseconds(20);

}  // namespace

ShowRunner::ShowRunner(Console& console) : QObject(&console), console_(console) {
  setObjectName(QStringLiteral("ShowRunner"));
  sequencerTimer_.setObjectName(QStringLiteral("TimerSeqveser"));
  sequencerTimer_.setTimerType(Qt::PreciseTimer);
  sequencerTimer_.setInterval(kSequencerStartMs);
  connect(&sequencerTimer_, &QTimer::timeout, this, &ShowRunner::SequencerTick);
  for (int a = 1; a <= kAutomatCount; ++a) {
    QTimer& timer = AutomatTimer(a);
    timer.setObjectName(QStringLiteral("TimerTempAvtomat%1").arg(a));
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(AutomatTempoOf(kAutomatStartTempo).intervalMs);
    connect(&timer, &QTimer::timeout, this, [this, a] { AutomatTick(a); });
  }

  soundTimer_.setObjectName(QStringLiteral("Timer100msNOoff"));
  soundTimer_.setTimerType(Qt::PreciseTimer);
  soundTimer_.setInterval(kSoundTickMs);
  connect(&soundTimer_, &QTimer::timeout, this, &ShowRunner::SoundClockTick);

  beatTimer_.setObjectName(QStringLiteral("TimerBeat"));
  beatTimer_.setTimerType(Qt::PreciseTimer);
  beatTimer_.setSingleShot(true);
  connect(&beatTimer_, &QTimer::timeout, this, &ShowRunner::BeatClockFire);
  pulseWatch_.setInterval(kPulseWatchMs);
  connect(&pulseWatch_, &QTimer::timeout, this, &ShowRunner::WatchPulse);

  connect(&console_, &Console::ShowReplaced, this, &ShowRunner::ShowReplaced);
  // Any refresh may follow a new tempo byte (an undo, a scene command, a show opened).
  connect(&console_, &Console::ShowSettingsRefresh, this, &ShowRunner::ApplyTempo);
  connect(&console_.PictureEditor(), &PictureEditorSession::OpenChanged, this,
          &ShowRunner::AnnouncePlaying);
  connect(this, &ShowRunner::PlayingChanged, this, &ShowRunner::WakeAutomats);
  connect(this, &ShowRunner::BlackOutChanged, this, &ShowRunner::WakeAutomats);

  // The sequencer and both automat timers run from start-up to exit; playing only gates the
  // advance, and an automat timer rests while its automat cannot run and nobody watches.
  // The sound clock too, resting while its level cannot change anything.
  sequencerTimer_.start();
  for (int a = 1; a <= kAutomatCount; ++a) AutomatTimer(a).start();
  soundTimer_.start();
}

void ShowRunner::ShowReplaced(ShowReplacement how) {
  AnnouncePlaying();
  ApplyTempo();
  // Emptying a show keeps the automat bytes, and the automats with them.
  if (how != ShowReplacement::Emptied) LoadAutomats();
}

// ---------------------------------------------------------------- sequencer

bool ShowRunner::Playing() const {
  return console_.Playing();
}

void ShowRunner::Play() {
  ShowState& show = console_.Show();
  // A show that starts playing crossfades into its current scene over one period, as after
  // a step (a stopped show jumps to its scene, so this only matters for a show started
  // before its first frame went out, as the headless player does).
  if (!show.playing.load())
    FillStepTable(show.memory, show.CurrentStep(), sequencerTimer_.interval(),
                  console_.Frames().stepTable);
  SetPlaying(true);
}

void ShowRunner::Stop() {
  SetPlaying(false);
}

void ShowRunner::SetPlaying(bool playing) {
  // The history takes what the operator changed before playing starts as a step, and where the
  // show stopped as it is (the played scene moving is no step).
  console_.RecordStep();
  console_.Show().playing.store(playing);
  announcedPlaying_ = playing;
  emit PlayingChanged(playing);
}

void ShowRunner::AnnouncePlaying() {
  const bool playing = console_.Show().playing.load();
  if (playing == announcedPlaying_) return;
  announcedPlaying_ = playing;
  emit PlayingChanged(playing);
}

void ShowRunner::PlayFromStart() {
  Play();
  console_.Show().memory.Set(kCurrentStep, 0);
  console_.RefreshAll();
}

int ShowRunner::Tempo() const {
  return LimitTempo(console_.Show().memory.Get(kTempo));
}

void ShowRunner::SetTempo(int tempo) {
  console_.Show().memory.Set(kTempo, static_cast<std::uint8_t>(LimitTempo(tempo)));
  ApplyTempo();
  console_.RecordStep(kStepTempo);
}

void ShowRunner::ApplyTempo() {
  const int interval = SequencerInterval(console_.Show().memory.Get(kTempo));
  // Only a new period restarts the timer: refreshes run often and must not hold back the
  // next scene.
  if (sequencerTimer_.interval() == interval) return;
  sequencerTimer_.setInterval(interval);
  emit TempoChanged(interval);
}

void ShowRunner::SetSoundPaced(bool on) {
  if (soundPaced_ == on) return;
  soundPaced_ = on;
  emit SoundPacedChanged(on);
}

void ShowRunner::SequencerTick() {
  emit SequencerTicked();
  // The sound gate, the playing gate, the advance and the wrap (a list conveyor loads its
  // next show at the wrap), then the crossfade steps into the new scene over one period.
  AdvanceAndFade(sequencerTimer_.interval());
}

void ShowRunner::AdvanceAndFade(int fadeMs) {
  ShowState& show = console_.Show();
  const SequencerAdvance advance = AdvanceSequencer(show, soundPaced_);
  if (advance == SequencerAdvance::Held) return;
  if (advance == SequencerAdvance::Wrapped) {
    emit PassEnded();
    if (conveyor_.ListMode()) ConveyorListJob();
  }
  FillStepTable(show.memory, show.CurrentStep(), fadeMs, console_.Frames().stepTable);
  console_.RefreshAll();
  emit SceneStepped(console_.Show().CurrentStep());
}

void ShowRunner::StepTo(std::uint8_t scene) {
  ShowState& show = console_.Show();
  show.memory.Set(kCurrentStep, scene);
  if (show.playing.load())
    FillStepTable(show.memory, scene, sequencerTimer_.interval(), console_.Frames().stepTable);
  console_.RefreshAll();
  console_.RecordStep(kStepScene);
  emit SceneStepped(scene);
}

void ShowRunner::Next() {
  const ShowState& show = console_.Show();
  const int step = show.CurrentStep();
  StepTo(static_cast<std::uint8_t>(step < show.LastScene() ? step + 1 : 0));
}

void ShowRunner::Previous() {
  const ShowState& show = console_.Show();
  const int step = show.CurrentStep();
  const int last = std::min<int>(show.LastScene(), kSceneCount - 1);
  StepTo(static_cast<std::uint8_t>(step > 0 && step <= last ? step - 1 : last));
}

void ShowRunner::SelectScene(int position) {
  ShowState& show = console_.Show();
  if (!show.playing.load()) {
    show.memory.Set(kCurrentStep, static_cast<std::uint8_t>(std::clamp(position, 0, 255)));
    if (autoAddScenes_) AddSceneBeyondLast(show);
  }
  // Playing, the refresh puts the slider back on the current scene.
  console_.RefreshAll();
  console_.RecordStep(kStepScene);
}

bool ShowRunner::GoToScene(int step) {
  if (step < 0 || step > std::min<int>(console_.Show().LastScene(), kSceneCount - 1)) return false;
  StepTo(static_cast<std::uint8_t>(step));
  return true;
}

bool ShowRunner::SetChannelLevel(int channel, int level) {
  ShowState& show = console_.Show();
  if (show.playing.load() || channel < 1 || channel > kChannelCount || level < 0 || level > 255)
    return false;
  console_.Edit(UndoCopy::Keep, [&](ShowState& edited) {
    edited.memory.Set(SceneRowOffset(edited.CurrentStep()) + channel,
                      static_cast<std::uint8_t>(level));
    return ShowEdit(ShowArea::Levels);
  });
  return true;
}

// ---------------------------------------------------------------- sound

void ShowRunner::SetSoundSource(SoundLevelSource* source) {
  soundSource_ = source;
  WakeSound();
}

void ShowRunner::WakeSound() {
  soundRest_.Wake(&soundTimer_);
}

int ShowRunner::SetSoundGate(int position) {
  WakeSound();
  return ChangeGate(sound_, position);
}

void ShowRunner::SetSoundSkip(int position) {
  WakeSound();
  soundSliders_.skip = position;
  ChangeSkip(sound_, position);
}

void ShowRunner::SetSoundEnvelopeSpeed(int position) {
  WakeSound();
  soundSliders_.envelopeSpeed = position;
}

void ShowRunner::SetSoundFallSpeed(int position) {
  WakeSound();
  soundSliders_.fallSpeed = position;
}

void ShowRunner::SoundClockTick() {
  if (!soundSource_) {
    soundRest_.Rest(&soundTimer_);  // nothing to listen to until a source is set
    return;
  }
  const SoundState before = sound_;
  const std::optional<int> level = soundSource_->ReadLevel();
  if (!level) return;  // the level could not be read: the next tick tries again
  // Paced by the beat grid, the level's peaks only drive the meters.
  emit SoundTicked(SoundTick(sound_, *level, soundSliders_, !beatPaced_));
  if (sound_.beatFlag) {
    // A counted beat waits for the sequencer, which clears the show's flag when it steps.
    console_.Show().beatFlag.store(1);
    sound_.beatFlag = 0;
  }
  // The tick is a function of its state, the level and the sliders. When it left its state as
  // it found it and the level stays the same, every later tick would do the same nothing
  // again: the clock rests until the level, a slider or the source changes.
  if (soundSource_->Steady() && sound_ == before) soundRest_.Rest(&soundTimer_);
}

// ---------------------------------------------------------------- beats of the music

void ShowRunner::SetBeatPaced(bool on) {
  if (beatPaced_ == on) return;
  beatPaced_ = on;
  beatGrid_.Reset();
  pendingBeat_.reset();
  lastCountedBeat_.reset();
  pulseLocked_ = false;
  pulseLost_ = false;
  beatTimer_.stop();
  if (on) {
    pulseWatch_.start();
  } else {
    pulseWatch_.stop();
  }
  emit BeatGridChanged();
}

void ShowRunner::TakeTrackedBeat(const TrackedBeat& beat) {
  if (!beatPaced_) return;
  beatGrid_.AddBeat(beat);
  WatchPulse();
  ScheduleBeat();
  emit BeatGridChanged();
}

PcmListener* ShowRunner::BeatPcm() {
  if (!beatPcm_) {
    beatInbox_ = new ThreadInbox(this);
    beatPcm_ = std::make_unique<BeatListener>([inbox = beatInbox_, this](const TrackedBeat& beat) {
      // The inbox runs it on this thread; a runner gone takes its inbox and the call with it.
      inbox->Post([this, beat] { TakeTrackedBeat(beat); });
    });
  }
  return beatPcm_.get();
}

bool ShowRunner::TapBeat() {
  if (!beatPaced_) return false;
  if (!beatGrid_.Tap(BeatPredictor::Clock::now())) return false;
  // The tap itself was a beat: the next one comes a period later.
  lastCountedBeat_ = BeatPredictor::Clock::now();
  WatchPulse();
  ScheduleBeat();
  emit BeatGridChanged();
  return true;
}

void ShowRunner::SetPulseLoss(PulseLoss loss) {
  beatGrid_.SetPulseLoss(loss);
  if (beatPaced_) ScheduleBeat();
}

int ShowRunner::BeatFadeTicks() const {
  // "Автомат" while playing crossfades over the sequencer's period, but never longer than the
  // time between two counted beats, so one fade ends before the next begins. The other modes
  // move (or jump) from the beat on.
  if (CrossfadeMode() != kCrossfadeAutomat || !Playing()) return 1;
  const auto period = beatGrid_.Period() * std::clamp(soundSliders_.skip, kSkipMin, kSkipMax);
  const int between =
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(period).count()) /
      kOutputPeriodMs;
  return std::clamp(std::min(FadeTicks(sequencerTimer_.interval()), between - 1), 1, 255);
}

void ShowRunner::ScheduleBeat() {
  using Clock = BeatPredictor::Clock;
  beatTimer_.stop();
  pendingBeat_.reset();
  if (!beatPaced_) return;
  const Clock::time_point now = Clock::now();
  Clock::time_point after = now;
  // A beat already counted is not counted again when a later prediction moves it a little.
  if (lastCountedBeat_) after = std::max(after, *lastCountedBeat_ + beatGrid_.Period() / 2);
  const std::optional<Clock::time_point> beat = beatGrid_.NextBeat(after, now);
  if (!beat) return;
  // The packet that carries the beat is the output tick nearest to it; with a crossfade the
  // change starts as many ticks earlier as the fade takes, so that the fade is complete there.
  Clock::time_point tick = *beat;
  if (const std::optional<Clock::time_point> grid = console_.Ticker().GridPoint()) {
    const auto period = std::chrono::duration_cast<Clock::duration>(kOutputPeriod);
    tick = *grid + period * ((*beat - *grid + period / 2) / period);
  }
  const Clock::time_point fire =
      tick - std::chrono::duration_cast<Clock::duration>(kOutputPeriod) * (BeatFadeTicks() - 1) -
      kBeatMargin;
  pendingBeat_ = *beat;
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(fire - now);
  beatTimer_.start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count())));
}

void ShowRunner::BeatClockFire() {
  beatTimer_.stop();
  if (!beatPaced_ || !pendingBeat_) return;
  lastCountedBeat_ = *pendingBeat_;
  pendingBeat_.reset();
  SoundView view;
  const int fadeTicks = BeatFadeTicks();
  CountBeat(sound_, soundSliders_, view);
  if (sound_.beatFlag) {
    ShowState& show = console_.Show();
    show.beatFlag.store(1);
    sound_.beatFlag = 0;
    // Sound paced, the step is taken now rather than at the next sequencer tick, which may be
    // a whole period away: the crossfade is as long as fadeTicks output ticks.
    if (soundPaced_) AdvanceAndFade(fadeTicks * kOutputPeriodMs);
  }
  emit BeatCounted(view);
  ScheduleBeat();
}

void ShowRunner::WatchPulse() {
  const auto now = BeatPredictor::Clock::now();
  const bool locked = beatGrid_.Locked(now);
  const bool lost = beatGrid_.Lost(now);
  if (locked == pulseLocked_ && lost == pulseLost_) return;
  if (lost && !pulseLost_)
    console_.ShowStatus(beatGrid_.Loss() == PulseLoss::kHold
                            ? QStringLiteral(" Бит потерян: показ ждет ")
                            : QStringLiteral(" Бит потерян: темп держится "));
  pulseLocked_ = locked;
  pulseLost_ = lost;
  // A grid that was waiting for its pulse may beat again.
  if (!beatTimer_.isActive()) ScheduleBeat();
  emit BeatGridChanged();
}

// ---------------------------------------------------------------- crossfade, blackout, pictures

void ShowRunner::SetCrossfadeMode(int mode) {
  if (mode < kCrossfadeNone || mode > kCrossfadeOff) return;
  if (console_.Controls().crossfade.mode.exchange(mode) == mode) return;
  emit CrossfadeModeChanged(mode);
}

int ShowRunner::CrossfadeMode() const {
  return console_.Controls().crossfade.mode.load();
}

void ShowRunner::SetBlackOut(bool dark) {
  // Any change of the blackout state stops the automatic advance of the show.
  console_.Show().playing.store(false);
  AnnouncePlaying();
  if (console_.Controls().blackout.on.exchange(dark) != dark) emit BlackOutChanged(dark);
}

bool ShowRunner::BlackOut() const {
  return console_.Controls().blackout.on.load();
}

void ShowRunner::SetMacroOut(bool down) {
  console_.Controls().pictures.macroOut.store(down);
}

bool ShowRunner::MacroOut() const {
  return console_.Controls().pictures.macroOut.load();
}

void ShowRunner::SetPicture(int k, bool on) {
  if (k < 0 || k >= kPictureCount) return;
  PictureControls& pictures = console_.Controls().pictures;
  if (pictures.Picture(k) == on) return;
  pictures.SetPicture(k, on);
  // A picture let go by any hand is no longer latched.
  if (!on) latched_[k] = false;
  emit PictureChanged(k, on);
}

void ShowRunner::FlashPicture(int k, bool down) {
  if (k < 0 || k >= kPictureCount) return;
  if (down) {
    SetPicture(k, true);
  } else if (!latched_[k]) {
    SetPicture(k, false);
  }
}

void ShowRunner::LatchPicture(int k, bool on) {
  if (k < 0 || k >= kPictureCount) return;
  latched_[k] = on;
  SetPicture(k, on);
}

bool ShowRunner::Picture(int k) const {
  return k >= 0 && k < kPictureCount && console_.Controls().pictures.Picture(k);
}

// ---------------------------------------------------------------- conveyor

void ShowRunner::SetConveyorMode(ConveyorMode mode) {
  conveyor_.SetMode(mode);
  emit ConveyorChanged();
  switch (mode) {
    case ConveyorMode::kHand:
    case ConveyorMode::kComposing:
      Stop();
      break;
    case ConveyorMode::kListFromFirst:
      conveyor_.SetPosition(1);
      [[fallthrough]];
    case ConveyorMode::kList:
      ConveyorListJob();
      Play();
      break;
  }
}

void ShowRunner::SetConveyorSlotDown(int slot, bool down) {
  if (slot < 1 || slot > kConveyorSlots) return;
  // In the list and composing modes a click only toggles the slot.
  conveyor_.SetDown(slot, down);
  const bool load = conveyor_.SlotJob(slot, console_.Files().ConveyorFiles());
  emit ConveyorChanged();
  if (load) LoadConveyorSlot(slot);
}

void ShowRunner::ConveyorSlotKey(int slot) {
  if (slot < 1 || slot >= kConveyorSlots || !console_.ConveyorKeys()) return;
  const bool load = conveyor_.SlotJob(slot, console_.Files().ConveyorFiles());
  emit ConveyorChanged();
  if (load) LoadConveyorSlot(slot);
}

void ShowRunner::ConveyorButtonsOff() {
  conveyor_.ReleaseAllSlots();
  emit ConveyorChanged();
}

bool ShowRunner::PlayConveyorList(const std::array<bool, kConveyorSlots>& ticks) {
  bool any = false;
  for (int k = 1; k <= kConveyorSlots; ++k) {
    conveyor_.SetDown(k, ticks[k - 1]);
    any = any || (ticks[k - 1] && !console_.Files().ConveyorFiles()[k - 1].empty());
  }
  if (!any) {
    emit ConveyorChanged();
    return false;
  }
  SetConveyorMode(ConveyorMode::kListFromFirst);
  return true;
}

void ShowRunner::ReportFailedLoad(int slot, const std::string& error) {
  const std::string& path = console_.Files().ConveyorFiles()[slot - 1];
  console_.ShowStatus(QString::fromStdString(ConveyorJobLabel(slot, path) + ": " + error));
  emit ConveyorLoadFailed(slot, QString::fromStdString(error));
}

void ShowRunner::LoadConveyorSlot(int slot) {
  const std::string path = console_.Files().ConveyorFiles()[slot - 1];
  const Result opened = console_.Files().OpenShow(QString::fromStdString(path), true);
  if (!opened.ok) {
    ReportFailedLoad(slot, opened.error);
    return;
  }
  conveyorLabel_ = QString::fromStdString(ConveyorFileName(path));
  emit ConveyorChanged();
}

void ShowRunner::ConveyorListJob() {
  // While the message of a failed load is open the show plays on and its passes may end
  // again; they do not stack further loads and messages on top of it.
  if (conveyorJobRunning_) return;
  conveyorJobRunning_ = true;
  Result opened;
  const ConveyorJobResult result =
      conveyor_.NextListShow(console_.Files().ConveyorFiles(), [&](const std::string& path) {
        opened = console_.Files().OpenShow(QString::fromStdString(path), true);
        return opened.ok;
      });
  if (result.failed) ReportFailedLoad(result.slot, opened.error);
  conveyorJobRunning_ = false;
  // A show that could not be opened leaves the show in memory and its scene alone.
  if (result.failed) return;
  if (result.slot == 0) {
    // No ticked show left: the show in memory starts its pass again from its first scene.
    console_.Show().memory.Set(kCurrentStep, 0);
    return;
  }
  conveyorLabel_ = QString::fromStdString(
      ConveyorJobLabel(result.slot, console_.Files().ConveyorFiles()[result.slot - 1]));
  emit ConveyorChanged();
}

// ---------------------------------------------------------------- automats

int ShowRunner::AutomatBase(int a) const {
  return a == 1 ? kAutomat1 : kAutomat2;
}

int ShowRunner::AutomatFirstChannel(int a) const {
  return std::min<int>(console_.Show().memory.Get(AutomatBase(a) + kAutomatChannel),
                       kMaxAutomatPosition);
}

bool ShowRunner::AutomatMayRun(int a) const {
  const AutomatRun& run = automats_[a - 1];
  return !BlackOut() && (run.runAlways || (run.withShow && console_.Playing()));
}

void ShowRunner::AutomatTick(int a) {
  AutomatRun& run = automats_[a - 1];
  const AutomatSettings settings = ReadAutomatSettings(console_.Show().memory, AutomatBase(a));
  AutomatRunFlags flags;
  flags.blackOut = BlackOut();
  flags.runAlways = run.runAlways;
  flags.withShow = run.withShow;
  flags.playing = console_.Playing();
  const bool ran = RunAutomatTick(run.state, flags, run.program, settings.bright, settings.dark);
  PublishAutomat(run.state, console_.Controls().automats[a - 1]);
  emit AutomatTicked(a, ran);
  // An automat that does not run would only flash a lamp: with nobody watching, its timer
  // rests until the automat may run again (play, blackout, its run flags) or a view shows it.
  if (!ran && !lampsShown_) run.rest.Rest(&run.timer);
}

void ShowRunner::WakeAutomats() {
  for (AutomatRun& run : automats_) run.rest.Wake(&run.timer);
}

void ShowRunner::SetAutomatLampsShown(bool shown) {
  lampsShown_ = shown;
  if (shown) WakeAutomats();
}

void ShowRunner::SetAutomatRunAlways(int a, bool on) {
  if (automats_[a - 1].runAlways == on) return;
  automats_[a - 1].runAlways = on;
  WakeAutomats();
  emit AutomatChanged(a);
}

void ShowRunner::SetAutomatWithShow(int a, bool on) {
  if (automats_[a - 1].withShow == on) return;
  automats_[a - 1].withShow = on;
  WakeAutomats();
  emit AutomatChanged(a);
}

void ShowRunner::SetAutomatProgram(int a, int program) {
  if (program < 1 || program > kAutomatPrograms) return;
  console_.Show().memory.Set(AutomatBase(a) + kAutomatMode, static_cast<std::uint8_t>(program));
  automats_[a - 1].program = program;
  console_.RecordStep(kStepAutomat);
  emit AutomatChanged(a);
}

void ShowRunner::SetAutomatFirstChannel(int a, int p) {
  const int position = std::clamp(p, 0, kMaxAutomatPosition);
  console_.Show().memory.Set(AutomatBase(a) + kAutomatChannel, static_cast<std::uint8_t>(position));
  PublishAutomatPosition(a);
  console_.RecordStep(kStepAutomat);
  emit AutomatChanged(a);
}

void ShowRunner::SetAutomatTempo(int a, int tempo) {
  console_.Show().memory.Set(AutomatBase(a) + kAutomatTempo,
                             static_cast<std::uint8_t>(std::clamp(tempo, 0, 255)));
  ApplyAutomatTempo(a);
  console_.RecordStep(kStepAutomat);
  emit AutomatChanged(a);
}

void ShowRunner::SetAutomatBright(int a, int level) {
  console_.Show().memory.Set(AutomatBase(a) + kAutomatBright, ClampLevel(level));
  console_.RecordStep(kStepAutomat);
  emit AutomatChanged(a);
}

void ShowRunner::SetAutomatDark(int a, int level) {
  console_.Show().memory.Set(AutomatBase(a) + kAutomatDark, ClampLevel(level));
  console_.RecordStep(kStepAutomat);
  emit AutomatChanged(a);
}

void ShowRunner::ApplyAutomatTempo(int a) {
  const int interval =
      AutomatTempoOf(console_.Show().memory.Get(AutomatBase(a) + kAutomatTempo)).intervalMs;
  // Only a new period restarts the timer: a refresh must not hold the automat back.
  QTimer& timer = AutomatTimer(a);
  if (timer.interval() != interval) timer.setInterval(interval);
}

void ShowRunner::PublishAutomatPosition(int a) {
  SetAutomatPosition(console_.Controls().automats[a - 1], AutomatFirstChannel(a));
}

void ShowRunner::LoadAutomats() {
  const ShowMemory& memory = console_.Show().memory;
  for (int a = 1; a <= kAutomatCount; ++a) {
    const int program = memory.Get(AutomatBase(a) + kAutomatMode);
    if (program >= 1 && program <= kAutomatPrograms) automats_[a - 1].program = program;
    PublishAutomatPosition(a);
    ApplyAutomatTempo(a);
    emit AutomatChanged(a);
  }
}

}  // namespace kalvetro
