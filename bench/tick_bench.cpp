// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one output tick: frame assembly and crossfade, all sixteen static pictures ticked,
// manual strips, the hand scan pad, blackout and the macro picture.
#include <benchmark/benchmark.h>

#include <memory>

#include "output/OutputEngine.h"

namespace {

using namespace kalvetro;

struct Console {
  ShowState show;
  OutputFrames frames;
  OutputEngine engine{show, frames};
};

// A show whose two scenes differ on every channel, with rates of every size and sixteen
// pictures of sixteen channels each: a block of neighbouring channels (a group of fixtures, as
// pictures are usually built) or, scattered, channels seven apart (the worst case for the scan).
std::unique_ptr<Console> MakeBusyConsole(bool scattered) {
  auto console = std::make_unique<Console>();
  ShowState& show = console->show;
  ClearShowData(show);
  for (int n = 1; n <= 255; ++n) {
    show.DataWrite(0, n, n);
    show.DataWrite(1, n, 255 - n);
    show.memory.Set(kRateRow + n, static_cast<std::uint8_t>(1 + n % 20));
    show.memory.Set(kSelectFlags + n, n % 50 == 0 ? 1 : 0);
  }
  for (int k = 0; k < kPictureCount; ++k) {
    for (int i = 0; i < 16; ++i) {
      const int n = scattered ? (k * 16 + i * 7) % 256 : k * 16 + i;
      show.memory.Set(PictureOffset(k) + n, 1);
      show.memory.Set(PictureOffset(k) + kPictureLevels + n, static_cast<std::uint8_t>(k * 16));
    }
  }
  OutputControls& c = console->engine.Controls();
  for (int k = 0; k < kPictureCount; ++k) c.pictures.SetPicture(k, true);
  c.strips.manual = true;
  c.strips.offset = 40;
  // Every other strip of the window holds its channel (its channel is selected).
  for (int k = 1; k <= kStripCount; ++k) {
    c.strips.fader[k - 1] = static_cast<std::uint8_t>(k);
    if (k % 2 == 1) show.memory.Set(kSelectFlags + 40 + k, 1);
  }
  c.pad.priority = true;
  c.pad.x = 10;
  c.pad.y = 20;
  return console;
}

void BM_TickAllOverlays(benchmark::State& state) {
  auto console = MakeBusyConsole(state.range(0) != 0);
  OutputControls& c = console->engine.Controls();
  c.blackout.on = true;
  c.pictures.macroOut = true;
  long ticks = 0;
  for (auto _ : state) {
    // Alternate the scene so that the crossfade always has work to do.
    console->show.memory.Set(kCurrentStep, static_cast<std::uint8_t>((ticks++ / 8) % 2));
    console->engine.Tick();
    benchmark::DoNotOptimize(console->frames.Output(1));
  }
}
BENCHMARK(BM_TickAllOverlays)->ArgName("scattered")->Arg(0)->Arg(1);

void BM_TickCrossfadeOnly(benchmark::State& state) {
  auto console = MakeBusyConsole(false);
  OutputControls& c = console->engine.Controls();
  for (int k = 0; k < kPictureCount; ++k) c.pictures.SetPicture(k, false);
  c.strips.manual = false;
  c.pad.priority = false;
  long ticks = 0;
  for (auto _ : state) {
    console->show.memory.Set(kCurrentStep, static_cast<std::uint8_t>((ticks++ / 8) % 2));
    console->engine.Tick();
    benchmark::DoNotOptimize(console->frames.Output(1));
  }
}
BENCHMARK(BM_TickCrossfadeOnly);

}  // namespace

BENCHMARK_MAIN();
