// SPDX-License-Identifier: GPL-3.0-or-later
// The output tick runs on its own thread while the user interface edits the show and the
// control states. Under ThreadSanitizer this proves that they share everything without a
// data race; in every build it checks that a frame assembled meanwhile stays sound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "editing/StripLevels.h"
#include "output/OutputEngine.h"
#include "output/OutputTicker.h"
#include "output/RateScale.h"
#include "support/CallbackSink.h"

namespace kalvetro {
namespace {

#if defined(__SANITIZE_THREAD__)
constexpr auto kRunTime = std::chrono::seconds(3);
#else
constexpr auto kRunTime = std::chrono::seconds(1);
#endif

// Every level the editing thread writes lies in [kLow, kHigh]. Blackout may take a slot down
// to 0, from where it fades up again, so a frame never holds a slot above kHigh: a level that
// wrapped below 0 or ran past its target would.
constexpr int kLow = 60;
constexpr int kHigh = 200;

struct Console {
  ShowState show;
  OutputFrames frames;
  OutputEngine engine{show, frames};
};

TEST(OutputThread, TickRunsWhileScenesRatesPicturesAndControlsChange) {
  auto console = std::make_unique<Console>();
  ShowState& show = console->show;
  OutputControls& controls = console->engine.Controls();
  ClearShowData(show);
  for (int scene = 0; scene < 4; ++scene)
    for (int n = 0; n <= 255; ++n) show.DataWrite(scene, n, kLow);
  for (int n = 0; n < 257; ++n) console->frames.SetOutput(n, kLow);

  std::atomic<long> ticks{0};
  std::atomic<bool> frameSound{true};
  testing::CallbackSink sink([&](const OutputFrames& frames) {
    // The sink reads the finished frame on the output thread, as the DMX link does.
    for (int n = 0; n < 257; ++n) {
      if (frames.Output(n) > kHigh) frameSound = false;
    }
    ticks.fetch_add(1);
  });
  console->engine.AddSink(&sink);

  OutputTicker ticker;
  ticker.Start(std::chrono::microseconds(200), [&] { console->engine.Tick(); });

  // The user interface: scene rows, rates, pictures, selection and every mirrored control.
  const auto end = std::chrono::steady_clock::now() + kRunTime;
  unsigned seed = 1;
  auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
  };
  long edits = 0;
  // How many different ticks the user interface saw finish while it read the frame as the
  // output display does: the output thread really ran beside the edits.
  long ticksSeen = 0;
  long lastTick = 0;
  while (std::chrono::steady_clock::now() < end) {
    const int n = 1 + next(255);
    const int level = kLow + next(kHigh - kLow + 1);
    show.DataWrite(static_cast<std::uint8_t>(next(4)), static_cast<std::uint8_t>(n), level);
    show.memory.Set(kRateRow + n, RateStep(next(kRatePositions)));
    const int k = next(kPictureCount);
    show.memory.Set(PictureOffset(k) + n, static_cast<std::uint8_t>(next(2)));
    show.memory.Set(PictureOffset(k) + kPictureLevels + n, static_cast<std::uint8_t>(level));
    show.memory.Set(kSelectFlags + n, static_cast<std::uint8_t>(next(2)));
    show.memory.Set(kCurrentStep, static_cast<std::uint8_t>(next(4)));
    show.playing = next(2) == 1;
    console->frames.stepTable[n] = static_cast<std::uint8_t>(1 + next(255));
    controls.crossfade.mode = next(4) - 1;
    controls.pictures.SetPicture(k, next(2) == 1);
    controls.strips.manual = next(2) == 1;
    controls.strips.fader[next(kStripCount)] = static_cast<std::uint8_t>(level);
    controls.strips.offset = static_cast<std::uint8_t>(next(kMaxStripOffset + 1));
    controls.pad.x = static_cast<std::uint8_t>(level);
    controls.pad.y = static_cast<std::uint8_t>(kHigh);
    controls.pad.priority = next(2) == 1;
    controls.pictures.macroOut = next(2) == 1;
    controls.blackout.on = next(8) == 0;
    console->show.beatFlag = static_cast<std::uint8_t>(next(2));
    // The display timer and the blink reader of the user interface.
    if (console->frames.Output(n) > kHigh) frameSound = false;
    (void)controls.blackout.buttonVisible.load();
    (void)controls.crossfade.audioRed.load();
    const long tick = ticks.load();
    if (tick != lastTick) {
      ++ticksSeen;
      lastTick = tick;
    }
    ++edits;
  }
  ticker.Stop();

  EXPECT_GT(ticks.load(), 100);
  EXPECT_GT(edits, 1000);
  EXPECT_GT(ticksSeen, 10);
  EXPECT_TRUE(frameSound.load());

  // Once the edits stop, the frame settles on the scene as the rules say.
  controls.crossfade.mode = kCrossfadeOff;
  controls.pad.priority = false;
  controls.pictures.macroOut = false;
  controls.blackout.on = false;
  controls.strips.manual = false;
  for (int k = 0; k < kPictureCount; ++k) controls.pictures.SetPicture(k, false);
  show.memory.Set(kCurrentStep, 2);
  console->engine.Tick();
  for (int n = 1; n <= 255; ++n) EXPECT_EQ(console->frames.Output(n), show.DataRead(2, n)) << n;
}

// Editing another scene while the show plays scene 0 never touches scene 0: every edit names
// its scene, and the tick works out its own row without storing it where edits address.
TEST(OutputThread, EditsOfAnotherSceneNeverReachThePlayedScene) {
  auto console = std::make_unique<Console>();
  ShowState& show = console->show;
  ClearShowData(show);
  for (int n = 0; n <= 255; ++n) show.DataWrite(0, static_cast<std::uint8_t>(n), 33);
  show.memory.Fill(kSelectFlags, kRowSize, 1);
  console->engine.Controls().crossfade.mode = kCrossfadeOff;

  std::atomic<long> ticks{0};
  std::atomic<long> wrongFrames{0};
  testing::CallbackSink sink([&](const OutputFrames& frames) {
    for (int n = 1; n <= 255; ++n) {
      if (frames.Output(n) != 33) {
        wrongFrames.fetch_add(1);
        break;
      }
    }
    ticks.fetch_add(1);
  });
  console->engine.AddSink(&sink);
  OutputTicker ticker;
  ticker.Start(std::chrono::microseconds(200), [&] { console->engine.Tick(); });

  const auto end = std::chrono::steady_clock::now() + kRunTime;
  long edits = 0;
  while (std::chrono::steady_clock::now() < end) {
    const auto level = static_cast<std::uint8_t>(edits % 256);
    show.DataWrite(5, static_cast<std::uint8_t>(1 + edits % 255), level);
    SetVisibleLevels(show, 5, static_cast<int>(edits % 229), level);
    SetSelectedLevels(show, 5, level);
    ClearSceneRow(show, 5);
    ++edits;
  }
  ticker.Stop();

  EXPECT_GT(ticks.load(), 100);
  EXPECT_GT(edits, 1000);
  EXPECT_EQ(wrongFrames.load(), 0);
  for (int n = 0; n <= 255; ++n) EXPECT_EQ(show.DataRead(0, static_cast<std::uint8_t>(n)), 33);
}

}  // namespace
}  // namespace kalvetro
