// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "output/OutputFrames.h"
#include "playback/Sequencer.h"

namespace kalvetro {
namespace {

TEST(Sequencer, TempoGivesIntervalLabelFigureAndFadeTicks) {
  EXPECT_EQ(SequencerInterval(10), 100);
  EXPECT_EQ(SequencerInterval(44), 1936);
  EXPECT_EQ(SequencerInterval(170), 28900);
  EXPECT_EQ(ScenesPerMinute(SequencerInterval(10)), 600);
  EXPECT_EQ(ScenesPerMinute(SequencerInterval(44)), 30);
  EXPECT_EQ(ScenesPerMinute(SequencerInterval(170)), 2);
  EXPECT_EQ(FadeTicks(SequencerInterval(44)), 38);
  EXPECT_EQ(FadeTicks(SequencerInterval(10)), 2);
  // From tempo 113 on the period holds more than 255 output ticks.
  EXPECT_EQ(FadeTicks(SequencerInterval(112)), 250);
  EXPECT_EQ(FadeTicks(SequencerInterval(113)), 255);
  EXPECT_EQ(FadeTicks(SequencerInterval(170)), 255);
  EXPECT_EQ(FadeTicks(20), 1);
}

TEST(Sequencer, TempoByteOutsideTheSliderRangeIsLimited) {
  // A show file may carry any tempo byte; none may stop the timer or divide by zero.
  EXPECT_EQ(SequencerInterval(0), 100);
  EXPECT_EQ(SequencerInterval(9), 100);
  EXPECT_EQ(SequencerInterval(171), 28900);
  EXPECT_EQ(SequencerInterval(255), 28900);
  EXPECT_EQ(ScenesPerMinute(0), 60000);
  EXPECT_EQ(FadeTicks(0), 1);
}

TEST(Sequencer, StepTableSpreadsEachChangeOverOnePeriod) {
  ShowMemory memory;
  OutputFrames frames;
  frames.stepTable[0].store(77);
  // Scene 4 follows scene 3.
  memory.Set(SceneRowOffset(3) + 1, 0);
  memory.Set(SceneRowOffset(4) + 1, 255);
  memory.Set(SceneRowOffset(3) + 2, 100);
  memory.Set(SceneRowOffset(4) + 2, 110);
  memory.Set(SceneRowOffset(3) + 3, 90);
  memory.Set(SceneRowOffset(4) + 3, 90);
  memory.Set(SceneRowOffset(3) + 4, 255);  // falling channels move as far as rising ones
  memory.Set(SceneRowOffset(4) + 4, 0);
  FillStepTable(memory, 4, SequencerInterval(44), frames.stepTable);
  EXPECT_EQ(frames.stepTable[1].load(), 6);
  EXPECT_EQ(frames.stepTable[2].load(), 1);
  EXPECT_EQ(frames.stepTable[3].load(), 1);
  EXPECT_EQ(frames.stepTable[4].load(), 6);
  EXPECT_EQ(frames.stepTable[200].load(), 1);  // unchanged (0 to 0)
  EXPECT_EQ(frames.stepTable[0].load(), 77);   // byte 0 belongs to no channel

  memory.Set(SceneRowOffset(3) + 5, 200);
  memory.Set(SceneRowOffset(4) + 5, 0);
  FillStepTable(memory, 4, SequencerInterval(10), frames.stepTable);
  EXPECT_EQ(frames.stepTable[5].load(), 100);
  EXPECT_EQ(frames.stepTable[1].load(), 127);
}

TEST(Sequencer, StepTableOfSceneZeroComparesWithTheBytesBeforeTheSceneArea) {
  ShowMemory memory;
  OutputFrames frames;
  memory.Set(kLastScene, 3);
  memory.Set(SceneRowOffset(3) + 5, 200);  // the last scene has the same level...
  memory.Set(SceneRowOffset(0) + 5, 200);
  memory.Set(SceneRowOffset(0) + 255, 76);
  FillStepTable(memory, 0, SequencerInterval(44), frames.stepTable);
  EXPECT_EQ(frames.stepTable[5].load(), 200 / 38);  // ...but the wrap fades up from 0
  EXPECT_EQ(frames.stepTable[255].load(), 2);
  // The compared bytes are 16128..16383, whatever they hold.
  memory.Set(16128 + 5, 200);
  memory.Set(16383, 0);
  memory.Set(16382, 150);
  FillStepTable(memory, 0, SequencerInterval(44), frames.stepTable);
  EXPECT_EQ(frames.stepTable[5].load(), 1);
  EXPECT_EQ(frames.stepTable[254].load(), 150 / 38);
}

TEST(Sequencer, AdvanceOnlyWhilePlayingAndWrapsAfterTheLastScene) {
  ShowState show;
  show.memory.Set(kCurrentStep, 0);
  show.memory.Set(kLastScene, 1);
  show.beatFlag.store(1);
  // Stopped: the step stays and a pending beat stays pending.
  EXPECT_EQ(AdvanceSequencer(show, false), SequencerAdvance::Held);
  EXPECT_EQ(AdvanceSequencer(show, true), SequencerAdvance::Held);
  EXPECT_EQ(show.CurrentStep(), 0);
  EXPECT_EQ(show.beatFlag.load(), 1);

  show.playing.store(true);
  EXPECT_EQ(AdvanceSequencer(show, false), SequencerAdvance::Next);
  EXPECT_EQ(show.CurrentStep(), 1);
  EXPECT_EQ(show.beatFlag.load(), 0);  // every advance consumes the beat
  EXPECT_EQ(AdvanceSequencer(show, false), SequencerAdvance::Wrapped);
  EXPECT_EQ(show.CurrentStep(), 0);

  // A step beyond the last scene also starts the next pass.
  show.memory.Set(kCurrentStep, 7);
  EXPECT_EQ(AdvanceSequencer(show, false), SequencerAdvance::Wrapped);
  EXPECT_EQ(show.CurrentStep(), 0);
  // The whole show: 256 scenes.
  show.memory.Set(kLastScene, 255);
  show.memory.Set(kCurrentStep, 254);
  EXPECT_EQ(AdvanceSequencer(show, false), SequencerAdvance::Next);
  EXPECT_EQ(show.CurrentStep(), 255);
  EXPECT_EQ(AdvanceSequencer(show, false), SequencerAdvance::Wrapped);
  EXPECT_EQ(show.CurrentStep(), 0);
}

TEST(Sequencer, SoundPacingAdvancesOnlyOnAPendingBeat) {
  ShowState show;
  show.memory.Set(kLastScene, 5);
  show.playing.store(true);
  EXPECT_EQ(AdvanceSequencer(show, true), SequencerAdvance::Held);
  EXPECT_EQ(AdvanceSequencer(show, true), SequencerAdvance::Held);
  EXPECT_EQ(show.CurrentStep(), 0);
  show.beatFlag.store(1);
  EXPECT_EQ(AdvanceSequencer(show, true), SequencerAdvance::Next);
  EXPECT_EQ(show.CurrentStep(), 1);
  EXPECT_EQ(show.beatFlag.load(), 0);
  EXPECT_EQ(AdvanceSequencer(show, true), SequencerAdvance::Held);
  EXPECT_EQ(show.CurrentStep(), 1);
}

}  // namespace
}  // namespace kalvetro
