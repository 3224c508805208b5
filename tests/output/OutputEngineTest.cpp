// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "output/OutputEngine.h"
#include "support/CallbackSink.h"

namespace kalvetro {
namespace {

// A console core with an empty show, as after start-up.
struct Core {
  ShowState show;
  OutputFrames frames;
  OutputEngine engine{show, frames};
  OutputControls& controls = engine.Controls();

  Core() { ClearShowData(show); }
  void SetScene(int scene, int channel, int level) { show.DataWrite(scene, channel, level); }
  void SetPicture(int k, int channel, int flag, int level) {
    show.memory.Set(PictureOffset(k) + channel, static_cast<std::uint8_t>(flag));
    show.memory.Set(PictureOffset(k) + kPictureLevels + channel, static_cast<std::uint8_t>(level));
  }
  void Select(int channel) { show.memory.Set(kSelectFlags + channel, 1); }
  // Strip k of the window: its fader, and whether its channel is selected (the strip's box).
  void Strip(int k, bool ticked, int fader) {
    controls.strips.fader[k - 1] = static_cast<std::uint8_t>(fader);
    if (ticked) Select(controls.strips.offset + k);
  }
  int Out(int slot) const { return frames.Output(slot); }
};

TEST(Crossfade, StepMovesTowardsTheTargetWithoutOvershootOrWrap) {
  for (int out = 0; out < 256; out += 5) {
    for (int target = 0; target < 256; target += 3) {
      for (int step : {0, 1, 7, 100, 254, 255}) {
        const int next =
            CrossfadeStep(static_cast<std::uint8_t>(out), static_cast<std::uint8_t>(target),
                          static_cast<std::uint8_t>(step));
        const int distance = target > out ? target - out : out - target;
        // Never past the target, never more than the step, and on the target when in reach.
        EXPECT_LE(std::min(out, target), next);
        EXPECT_GE(std::max(out, target), next);
        EXPECT_LE(next > out ? next - out : out - next, step);
        const int moved = next > out ? next - out : out - next;
        EXPECT_EQ(moved, distance <= step ? distance : step);
      }
    }
  }
}

TEST(AssembleFrame, SlidersModeFadesByTheRateRow) {
  Core core;
  core.SetScene(0, 1, 255);
  core.show.memory.Set(kRateRow + 1, 8);
  std::vector<int> seen;
  for (int tick = 0; tick < 33; ++tick) {
    core.engine.Tick();
    seen.push_back(core.Out(1));
  }
  // 8, 16, ..., 248, then the last small move onto 255, reached on the 32nd tick.
  for (int tick = 0; tick < 31; ++tick) EXPECT_EQ(seen[tick], 8 * (tick + 1)) << tick;
  EXPECT_EQ(seen[31], 255);
  EXPECT_EQ(seen[32], 255);
  EXPECT_EQ(core.frames.targetFrame[1].load(), 255);

  // Back down with step 100: 155, 55, 0 (no wrap below zero).
  core.show.memory.Set(kRateRow + 1, 100);
  core.SetScene(0, 1, 0);
  core.engine.Tick();
  EXPECT_EQ(core.Out(1), 155);
  core.engine.Tick();
  EXPECT_EQ(core.Out(1), 55);
  core.engine.Tick();
  EXPECT_EQ(core.Out(1), 0);
}

TEST(AssembleFrame, RateZeroFreezesAndRate255Jumps) {
  Core core;
  core.SetScene(0, 2, 90);
  core.SetScene(0, 3, 90);
  core.engine.Tick();  // every rate is 255 after clearing: both channels jump
  EXPECT_EQ(core.Out(2), 90);
  EXPECT_EQ(core.Out(3), 90);
  core.show.memory.Set(kRateRow + 2, 0);
  core.SetScene(0, 2, 250);
  core.SetScene(0, 3, 250);
  for (int tick = 0; tick < 20; ++tick) core.engine.Tick();
  EXPECT_EQ(core.Out(2), 90);  // frozen whatever the scene says
  EXPECT_EQ(core.frames.targetFrame[2].load(), 250);
  EXPECT_EQ(core.Out(3), 250);
}

TEST(AssembleFrame, FollowsTheCurrentStep) {
  Core core;
  core.SetScene(0, 5, 10);
  core.SetScene(7, 5, 70);
  core.show.memory.Set(kCurrentStep, 7);
  core.engine.Tick();
  EXPECT_EQ(core.Out(5), 70);
}

TEST(AssembleFrame, AutomatAndOffModesJumpAndNoModeHoldsTheFrame) {
  Core core;
  core.show.memory.Set(kRateRow + 4, 1);
  core.SetScene(0, 4, 200);

  // "Автомат" while stopped: the scene shows at the next tick, no fade, target untouched.
  core.controls.crossfade.mode = kCrossfadeAutomat;
  core.engine.Tick();
  EXPECT_EQ(core.Out(4), 200);
  EXPECT_EQ(core.frames.targetFrame[4].load(), 0);

  // "Автомат" while playing: the sequencer's step table drives the fade.
  core.show.playing = true;
  core.frames.stepTable[4] = 30;
  core.SetScene(0, 4, 100);
  core.engine.Tick();
  EXPECT_EQ(core.Out(4), 170);
  EXPECT_EQ(core.frames.targetFrame[4].load(), 100);

  // "Выкл": a jump, playing or not.
  core.controls.crossfade.mode = kCrossfadeOff;
  core.engine.Tick();
  EXPECT_EQ(core.Out(4), 100);

  // No item chosen: the frame keeps what it had.
  core.controls.crossfade.mode = kCrossfadeNone;
  core.SetScene(0, 4, 3);
  core.engine.Tick();
  EXPECT_EQ(core.Out(4), 100);

  // Back to "Ползунки": the fade starts from the levels last output.
  core.controls.crossfade.mode = kCrossfadeSliders;
  core.engine.Tick();
  EXPECT_EQ(core.Out(4), 99);
}

TEST(AssembleFrame, BeatFlagColoursTheAudioCaption) {
  Core core;
  core.engine.Tick();
  EXPECT_FALSE(core.controls.crossfade.audioRed.load());
  core.show.beatFlag = 1;
  core.engine.Tick();
  EXPECT_TRUE(core.controls.crossfade.audioRed.load());
  EXPECT_EQ(core.show.beatFlag.load(), 1);  // shown, not consumed
}

TEST(LayOverlays, PicturesOverlayInKeyOrderOnFlagOneOnly) {
  Core core;
  core.SetScene(0, 10, 5);
  core.SetScene(0, 11, 6);
  core.SetPicture(0, 10, 1, 200);             // picture "1"
  core.SetPicture(kMacroPicture, 10, 1, 50);  // picture "M"
  core.SetPicture(8, 11, 2, 99);              // "Space": flag 2 is not membership
  core.SetPicture(9, 0, 1, 33);               // "Z" reaches slot 0
  core.SetPicture(0, 12, 0, 180);             // a level without flag is never output
  for (int k : {0, 8, 9, kMacroPicture}) core.controls.pictures.SetPicture(k, true);
  core.engine.Tick();
  EXPECT_EQ(core.Out(10), 50);
  EXPECT_EQ(core.Out(11), 6);
  EXPECT_EQ(core.Out(0), 33);
  EXPECT_EQ(core.Out(12), 0);

  core.controls.pictures.SetPicture(kMacroPicture, false);
  core.engine.Tick();
  EXPECT_EQ(core.Out(10), 200);
  // Unticked, the picture gives the channel back to the scene (rate 255: at once).
  core.controls.pictures.SetPicture(0, false);
  core.engine.Tick();
  EXPECT_EQ(core.Out(10), 5);
}

TEST(LayOverlays, ManualStripsDriveTheTickedVisibleChannels) {
  Core core;
  core.SetScene(0, 43, 10);
  core.SetScene(0, 44, 10);
  core.controls.strips.offset = 40;
  core.Strip(3, true, 222);   // channel 43
  core.Strip(4, false, 111);  // channel 44, not ticked
  core.engine.Tick();
  EXPECT_EQ(core.Out(43), 10);  // manual mode off
  core.controls.strips.manual = true;
  core.engine.Tick();
  EXPECT_EQ(core.Out(43), 222);
  EXPECT_EQ(core.Out(44), 10);
  // The manual strips come after the pictures.
  core.SetPicture(1, 43, 1, 7);
  core.controls.pictures.SetPicture(1, true);
  core.engine.Tick();
  EXPECT_EQ(core.Out(43), 222);
}

TEST(LayOverlays, PadDrivesPairsUpToSlot256) {
  Core core;
  core.controls.pad.x = 11;
  core.controls.pad.y = 22;
  core.Select(5);
  core.Select(6);
  core.Select(255);
  core.SetScene(0, 7, 77);
  core.engine.Tick();
  EXPECT_EQ(core.Out(5), 0);  // no priority, no pad
  core.controls.pad.priority = true;
  core.engine.Tick();
  EXPECT_EQ(core.Out(5), 11);
  EXPECT_EQ(core.Out(6), 11);  // selected itself: its X overwrites the Y of 5
  EXPECT_EQ(core.Out(7), 22);
  EXPECT_EQ(core.Out(255), 11);
  EXPECT_EQ(core.Out(256), 22);

  // The pad comes after the manual strips.
  core.controls.strips.manual = true;
  core.Strip(5, true, 140);  // channel 5
  core.engine.Tick();
  EXPECT_EQ(core.Out(5), 11);

  // Blackout darkens slot 256 with the rest; the pad letting go gives it back dark.
  core.controls.blackout.on = true;
  core.engine.Tick();
  EXPECT_EQ(core.Out(255), 0);
  EXPECT_EQ(core.Out(256), 0);
  core.controls.blackout.on = false;
  core.engine.Tick();
  EXPECT_EQ(core.Out(256), 22);
  core.controls.pad.priority = false;
  core.engine.Tick();
  EXPECT_EQ(core.Out(256), 0);
  core.controls.pad.priority = true;
  core.show.memory.Set(kSelectFlags + 255, 0);  // channel 255 no longer the pad's X
  core.engine.Tick();
  EXPECT_EQ(core.Out(256), 0);
}

TEST(LayOverlays, BlackoutDarkensAllButTheMacroPicture) {
  Core core;
  for (int n = 1; n <= 255; ++n) core.SetScene(0, n, 180);
  core.SetPicture(kMacroPicture, 20, 1, 60);
  core.SetPicture(kMacroPicture, 21, 1, 0);
  core.SetPicture(2, 30, 1, 90);
  core.controls.pictures.SetPicture(2, true);
  core.controls.strips.manual = true;
  core.Strip(1, true, 255);
  core.controls.blackout.on = true;
  core.controls.pictures.macroOut = true;
  core.engine.Tick();
  for (int n = 0; n <= 255; ++n) {
    const int expected = n == 20 ? 60 : 0;
    EXPECT_EQ(core.Out(n), expected) << n;
  }
  // Box unticked while the macro button stays down: the normal frame with "M" over it.
  core.controls.blackout.on = false;
  core.engine.Tick();
  EXPECT_EQ(core.Out(20), 60);
  EXPECT_EQ(core.Out(21), 0);
  EXPECT_EQ(core.Out(30), 90);
  EXPECT_EQ(core.Out(1), 255);
  EXPECT_EQ(core.Out(2), 180);
}

TEST(BlinkBlackOut, ButtonBlinksOnlyWhileDark) {
  Core core;
  core.engine.Tick();
  EXPECT_TRUE(core.controls.blackout.buttonVisible.load());
  core.controls.blackout.on = true;
  std::vector<bool> seen;
  for (int tick = 0; tick < 4; ++tick) {
    core.engine.Tick();
    seen.push_back(core.controls.blackout.buttonVisible.load());
  }
  EXPECT_EQ(seen, (std::vector<bool>{false, true, false, true}));
  core.engine.Tick();  // hidden
  core.controls.blackout.on = false;
  core.engine.Tick();
  EXPECT_TRUE(core.controls.blackout.buttonVisible.load());
}

TEST(OutputTick, SenderRunsLastWithTheFinishedFrame) {
  Core core;
  core.SetScene(0, 1, 100);
  core.controls.blackout.on = true;
  int sentLevel = -1;
  bool sentVisible = true;
  testing::CallbackSink sink([&](const OutputFrames& frames) {
    sentLevel = frames.Output(1);
    sentVisible = core.controls.blackout.buttonVisible.load();
  });
  core.engine.AddSink(&sink);
  core.engine.Tick();
  EXPECT_EQ(sentLevel, 0);    // after the overlays
  EXPECT_FALSE(sentVisible);  // after the blink
}

}  // namespace
}  // namespace kalvetro
