// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "output/OutputEngine.h"
#include "output/OutputFrames.h"
#include "playback/Automats.h"

namespace kalvetro {
namespace {

// Levels as the sliders give them: B = 255 - bright position, D = 255 - dark position.
constexpr std::uint8_t kBright = 255 - 0;
constexpr std::uint8_t kDark = 255 - 255;

TEST(Automats, TempoGivesIntervalAndFlashesPerMinute) {
  EXPECT_EQ(AutomatTempoOf(10).intervalMs, 100);
  EXPECT_EQ(AutomatTempoOf(10).flashesPerMinute, 600);
  EXPECT_EQ(AutomatTempoOf(0).intervalMs, 400);  // 0 runs as 20
  EXPECT_EQ(AutomatTempoOf(0).flashesPerMinute, 150);
  EXPECT_EQ(AutomatTempoOf(5).intervalMs, 25);
  EXPECT_EQ(AutomatTempoOf(5).flashesPerMinute, 2400);
  EXPECT_EQ(AutomatTempoOf(50).intervalMs, 2500);
  EXPECT_EQ(AutomatTempoOf(50).flashesPerMinute, 24);
  // Bytes the slider cannot show come only from a show file; they run at the nearest end.
  EXPECT_EQ(AutomatTempoOf(1).intervalMs, 25);
  EXPECT_EQ(AutomatTempoOf(255).intervalMs, 2500);
  for (int t = 0; t <= 255; ++t) {
    EXPECT_GE(AutomatTempoOf(t).intervalMs, 25) << t;
  }
}

TEST(Automats, ProgramTablesGiveBrightAndDarkPerStep) {
  // Program 1 with bright 255 and dark 0: one channel at 255, moving one channel per step.
  Automat avtomat(kAutomat1Limits);
  const AutomatLevels expected1[] = {
      {0, 255, 0, 0}, {0, 0, 255, 0}, {0, 0, 0, 255}, {255, 0, 0, 0}, {0, 255, 0, 0}};
  for (const auto& levels : expected1) {
    avtomat.RunJob(1, kBright, kDark);
    EXPECT_EQ(avtomat.Out(), levels) << "step " << avtomat.Step();
  }

  EXPECT_EQ(AutomatPattern(1, 0, 200, 10), (AutomatLevels{200, 10, 10, 10}));
  EXPECT_EQ(AutomatPattern(2, 3, 200, 10), (AutomatLevels{200, 10, 10, 200}));
  EXPECT_EQ(AutomatPattern(2, 6, 200, 10), (AutomatLevels{10, 10, 200, 200}));
  EXPECT_EQ(AutomatPattern(3, 1, 200, 10), (AutomatLevels{10, 10, 200, 200}));
  EXPECT_EQ(AutomatPattern(3, 4, 200, 10), (AutomatLevels{10, 200, 200, 10}));
  EXPECT_EQ(AutomatPattern(3, 7, 200, 10), (AutomatLevels{200, 10, 10, 200}));
  EXPECT_EQ(AutomatPattern(4, 2, 200, 10), (AutomatLevels{200, 200, 200, 10}));
  EXPECT_EQ(AutomatPattern(4, 5, 200, 10), (AutomatLevels{10, 10, 200, 200}));
  // Program 4 at step 7 is dark on all four channels.
  EXPECT_EQ(AutomatPattern(4, 7, 200, 10), (AutomatLevels{10, 10, 10, 10}));
  // Dark above bright is allowed: the levels simply swap roles.
  EXPECT_EQ(AutomatPattern(1, 3, 0, 255), (AutomatLevels{255, 255, 255, 0}));

  EXPECT_FALSE(AutomatPattern(0, 0, 200, 10).has_value());
  EXPECT_FALSE(AutomatPattern(5, 0, 200, 10).has_value());

  // No program button down: the step moves on, the outputs stay.
  const AutomatLevels before = avtomat.Out();
  const int step = avtomat.Step();
  avtomat.RunJob(7, 1, 2);
  EXPECT_EQ(avtomat.Step(), (step + 1) % 8);
  EXPECT_EQ(avtomat.Out(), before);
  EXPECT_TRUE(avtomat.Active());
}

// Runs the automat n times; returns the step before the last job.
int RunJobs(Automat& avtomat, int n) {
  int before = avtomat.Step();
  for (int i = 0; i < n; ++i) {
    before = avtomat.Step();
    avtomat.RunJob(1, kBright, kDark);
  }
  return before;
}

TEST(Automats, StepsRunForwardThenBackwardByTheCounter) {
  Automat first(kAutomat1Limits);
  const int numbers[] = {2, 3, 4, 5, 6, 7, 8, 1, 2, 3};
  for (int number : numbers) {
    first.RunJob(1, kBright, kDark);
    EXPECT_EQ(first.StepNumber(), number);
  }

  // Automat 1: ticks 1..75 all go forward, tick 76 is the first step back (3 to 2).
  Automat a1(kAutomat1Limits);
  for (int tick = 1; tick <= 75; ++tick) {
    const int before = a1.Step();
    a1.RunJob(1, kBright, kDark);
    ASSERT_EQ(a1.Step(), (before + 1) % 8) << "tick " << tick;
  }
  EXPECT_EQ(a1.Step(), 3);
  a1.RunJob(1, kBright, kDark);
  EXPECT_EQ(a1.Step(), 2);
  EXPECT_EQ(a1.Cycle(), 10);
  // It walks back until the counter passes 20: at tick 164 (step 3, counter 21 becomes 0)
  // it turns forward again.
  for (int tick = 77; tick <= 163; ++tick) {
    const int before = a1.Step();
    a1.RunJob(1, kBright, kDark);
    ASSERT_EQ(a1.Step(), (before + 7) % 8) << "tick " << tick;
  }
  EXPECT_EQ(a1.Cycle(), 20);
  EXPECT_EQ(RunJobs(a1, 1), 3);
  EXPECT_EQ(a1.Step(), 4);
  EXPECT_EQ(a1.Cycle(), 0);
  // From then on one round is 21 passes of step 3, 168 ticks: tick 244 steps back again.
  EXPECT_EQ(RunJobs(a1, 79), 2);
  EXPECT_EQ(a1.Step(), 3);
  EXPECT_EQ(RunJobs(a1, 1), 3);
  EXPECT_EQ(a1.Step(), 2);

  // Automat 2: tick 92 is the first step back; once settled a round is 200 ticks.
  Automat a2(kAutomat2Limits);
  for (int tick = 1; tick <= 91; ++tick) {
    const int before = a2.Step();
    a2.RunJob(1, kBright, kDark);
    ASSERT_EQ(a2.Step(), (before + 1) % 8) << "tick " << tick;
  }
  EXPECT_EQ(RunJobs(a2, 1), 3);
  EXPECT_EQ(a2.Step(), 2);
  EXPECT_EQ(a2.Cycle(), 12);
  RunJobs(a2, 104);  // tick 196: counter 25 becomes 0, forward again
  EXPECT_EQ(a2.Step(), 4);
  EXPECT_EQ(a2.Cycle(), 0);
  RunJobs(a2, 95);  // tick 291
  EXPECT_EQ(a2.Step(), 3);
  RunJobs(a2, 1);  // tick 292 = 92 + 200
  EXPECT_EQ(a2.Step(), 2);
}

TEST(Automats, TickRunsOnlyWhenAllowedAndBlackoutStopsIt) {
  Automat a1(kAutomat1Limits);
  Automat a2(kAutomat2Limits);
  AutomatRunFlags flags;

  // Neither box ticked: idle.
  EXPECT_FALSE(RunAutomatTick(a1, flags, 1, kBright, kDark));
  EXPECT_FALSE(a1.Active());
  EXPECT_EQ(a1.Step(), 0);

  flags.runAlways = true;
  EXPECT_TRUE(RunAutomatTick(a1, flags, 1, kBright, kDark));
  EXPECT_TRUE(RunAutomatTick(a2, flags, 1, kBright, kDark));
  EXPECT_TRUE(a1.Active());
  EXPECT_EQ(a1.Step(), 1);

  // Blackout stops both, and the steps keep their values.
  flags.blackOut = true;
  EXPECT_FALSE(RunAutomatTick(a1, flags, 1, kBright, kDark));
  EXPECT_FALSE(RunAutomatTick(a2, flags, 1, kBright, kDark));
  EXPECT_FALSE(a1.Active());
  EXPECT_FALSE(a2.Active());
  EXPECT_EQ(a1.Step(), 1);

  // "С основным" runs only while the show plays.
  flags = {};
  flags.withShow = true;
  EXPECT_FALSE(RunAutomatTick(a1, flags, 1, kBright, kDark));
  EXPECT_FALSE(a1.Active());
  flags.playing = true;
  EXPECT_TRUE(RunAutomatTick(a1, flags, 1, kBright, kDark));
  EXPECT_TRUE(a1.Active());
  EXPECT_EQ(a1.Step(), 2);  // the sequence continues where it stopped
  flags.blackOut = true;
  EXPECT_FALSE(RunAutomatTick(a1, flags, 1, kBright, kDark));
  EXPECT_FALSE(a1.Active());

  // Playing alone does not run an automat.
  flags = {};
  flags.playing = true;
  EXPECT_FALSE(RunAutomatTick(a1, flags, 1, kBright, kDark));
}

TEST(Automats, LayerWritesActiveAutomatsAndAutomatTwoWins) {
  // The automat layer of the real output tick; no crossfade mode, so the frame holds
  // whatever the automats do not write.
  ShowState show;
  OutputFrames frames;
  OutputEngine engine(show, frames);
  engine.Controls().crossfade.mode = kCrossfadeNone;
  for (int slot = 0; slot < kFrameSlots; ++slot) frames.SetOutput(slot, 9);
  AutomatControls& c1 = engine.Controls().automats[0];
  AutomatControls& c2 = engine.Controls().automats[1];
  Automat a1(kAutomat1Limits);
  Automat a2(kAutomat2Limits);

  // Inactive automats write nothing (slot 256 is the hand scan pad's alone, dark without it).
  PublishAutomat(a1, c1);
  engine.Tick();
  for (int slot = 0; slot <= 255; ++slot) ASSERT_EQ(frames.Output(slot), 9) << slot;
  EXPECT_EQ(frames.Output(256), 0);

  // p = 0 drives channels 1..4 (step 1 of program 1: D B D D).
  a1.RunJob(1, 200, 20);
  PublishAutomat(a1, c1);
  SetAutomatPosition(c1, 0);
  engine.Tick();
  EXPECT_EQ(frames.Output(0), 9);
  EXPECT_EQ(frames.Output(1), 20);
  EXPECT_EQ(frames.Output(2), 200);
  EXPECT_EQ(frames.Output(3), 20);
  EXPECT_EQ(frames.Output(4), 20);
  EXPECT_EQ(frames.Output(5), 9);

  // p = 250 drives 251..254.
  SetAutomatPosition(c1, 250);
  engine.Tick();
  EXPECT_EQ(frames.Output(250), 9);
  EXPECT_EQ(frames.Output(251), 20);
  EXPECT_EQ(frames.Output(252), 200);
  EXPECT_EQ(frames.Output(254), 20);
  EXPECT_EQ(frames.Output(255), 9);
  EXPECT_EQ(frames.Output(256), 0);

  // A first channel past the slider's end (a stray show byte) stays inside the frame.
  SetAutomatPosition(c1, 255);
  EXPECT_EQ(c1.position.load(), 250);
  c1.position.store(255);  // even when stored directly
  engine.Tick();
  EXPECT_EQ(frames.Output(255), 9);
  EXPECT_EQ(frames.Output(256), 0);

  // Overlap: automat 1 on 11..14, automat 2 on 13..16; automat 2's levels go out on 13, 14.
  SetAutomatPosition(c1, 10);
  a2.RunJob(4, 100, 50);  // step 1 of program 4: B B D D
  PublishAutomat(a2, c2);
  SetAutomatPosition(c2, 12);
  engine.Tick();
  EXPECT_EQ(frames.Output(11), 20);
  EXPECT_EQ(frames.Output(12), 200);
  EXPECT_EQ(frames.Output(13), 100);
  EXPECT_EQ(frames.Output(14), 100);
  EXPECT_EQ(frames.Output(15), 50);
  EXPECT_EQ(frames.Output(16), 50);

  // An automat that stopped gives its channels back: the layer leaves them alone.
  for (int slot = 0; slot < kFrameSlots; ++slot) frames.SetOutput(slot, 9);
  a2.Stop();
  PublishAutomat(a2, c2);
  engine.Tick();
  EXPECT_EQ(frames.Output(13), 20);
  EXPECT_EQ(frames.Output(14), 20);
  EXPECT_EQ(frames.Output(15), 9);
  EXPECT_EQ(frames.Output(16), 9);
}

}  // namespace
}  // namespace kalvetro
