// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plays an open show on a console without widgets and without the output thread: every layer
// of the frame pipeline switched on in turn, the sequencer's core advancing the show and
// filling its step table, both automats stepping and publishing, and the output tick run by
// hand. Used by the robustness tests and the show file fuzzer, which feed it shows of any
// content.

#include <array>
#include <cstdint>

#include "app/Console.h"
#include "playback/Automats.h"
#include "playback/Sequencer.h"

namespace kalvetro::testing {

struct WorkoutReport {
  int advances = 0;     // sequencer ticks that moved the step (on or back to 0)
  int automatJobs = 0;  // automat ticks that ran a step
  bool automatLevelsAreBrightOrDark = true;  // every published level was a bright or dark byte
  bool stepWithinShow = true;  // after each advance, the step was within 0..last scene
};

// Runs `ticks` output ticks. A sequencer tick comes every `ticksPerStep` output ticks and an
// automat tick every other output tick. The show plays throughout; the crossfade mode goes
// through "Ползунки", "Автомат", "Выкл" and no choice; pictures, manual strips, pad, blackout
// and the macro picture are each on for part of the run.
inline WorkoutReport PlayShowWorkout(Console& console, int ticks, int ticksPerStep = 4) {
  WorkoutReport report;
  ShowState& show = console.Show();
  OutputControls& controls = console.Controls();
  std::array<Automat, 2> automats{Automat(kAutomat1Limits), Automat(kAutomat2Limits)};
  constexpr std::array<int, 2> kBases{kAutomat1, kAutomat2};
  constexpr std::array<int, 4> kModes{kCrossfadeSliders, kCrossfadeAutomat, kCrossfadeOff,
                                      kCrossfadeNone};

  show.playing.store(true);
  for (int k = 0; k < kPictureCount; ++k) controls.pictures.SetPicture(k, true);
  for (int k = 0; k < kStripCount; ++k)
    controls.strips.fader[k].store(static_cast<std::uint8_t>(k * 9));

  for (int i = 0; i < ticks; ++i) {
    const int phase = ticks > 0 ? (4 * i) / ticks : 0;
    controls.crossfade.mode.store(kModes[phase & 3]);
    controls.strips.manual.store(i % 3 == 0);
    controls.strips.offset.store(static_cast<std::uint8_t>((i * 37) % 256));
    controls.pad.priority.store(i % 2 == 1);
    controls.pad.x.store(static_cast<std::uint8_t>(i * 7));
    controls.pad.y.store(static_cast<std::uint8_t>(255 - i * 5));
    controls.blackout.on.store(i % 16 == 15);
    controls.pictures.macroOut.store(i % 8 >= 6);

    if (ticksPerStep > 0 && i % ticksPerStep == 0) {
      // Every fourth step waits for a sound beat that comes with the next one.
      const bool soundPaced = (i / ticksPerStep) % 4 == 3;
      if (soundPaced && (i / ticksPerStep) % 8 == 7) show.beatFlag.store(1);
      const int interval = SequencerInterval(show.memory.Get(kTempo));
      (void)ScenesPerMinute(interval);
      if (AdvanceSequencer(show, soundPaced) != SequencerAdvance::Held) {
        ++report.advances;
        if (show.CurrentStep() > show.LastScene()) report.stepWithinShow = false;
        FillStepTable(show.memory, show.CurrentStep(), interval, console.Frames().stepTable);
      }
    }

    if (i % 2 == 0) {
      for (int a = 0; a < 2; ++a) {
        const AutomatSettings s = ReadAutomatSettings(show.memory, kBases[a]);
        const AutomatTempo tempo = AutomatTempoOf(s.tempo);
        (void)tempo;
        AutomatRunFlags flags;
        flags.runAlways = a == 0;
        flags.withShow = a == 1;
        flags.playing = show.playing.load();
        flags.blackOut = controls.blackout.on.load();
        if (RunAutomatTick(automats[a], flags, s.program, s.bright, s.dark)) {
          ++report.automatJobs;
          if (s.program >= 1 && s.program <= 4) {
            for (std::uint8_t level : automats[a].Out())
              if (level != s.bright && level != s.dark) report.automatLevelsAreBrightOrDark = false;
          }
        }
        SetAutomatPosition(controls.automats[a], s.firstChannel);
        PublishAutomat(automats[a], controls.automats[a]);
      }
    }

    console.Engine().Tick();
  }

  show.playing.store(false);
  return report;
}

}  // namespace kalvetro::testing
