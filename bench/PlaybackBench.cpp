// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the sequencer's per-scene work and of the scene list commands on a full show.
// The sequencer fills the crossfade steps once per scene change on the user-interface thread;
// the row shifts and the undo copy run there too while the output tick reads the same store.
#include <benchmark/benchmark.h>

#include "editing/SceneList.h"
#include "output/OutputFrames.h"
#include "playback/Sequencer.h"

namespace kalvetro {
namespace {

void FullShow(ShowState& show) {
  for (int s = 0; s < kSceneCount; ++s)
    for (int n = 0; n < kRowSize; ++n)
      show.memory.Set(SceneRowOffset(s) + n, static_cast<std::uint8_t>(s * 3 + n));
  show.memory.Set(kLastScene, 255);
}

void BM_FillStepTable(benchmark::State& state) {
  ShowState show;
  OutputFrames frames;
  FullShow(show);
  std::uint8_t scene = 0;
  for (auto _ : state) {
    FillStepTable(show.memory, scene++, SequencerInterval(44), frames.stepTable);
    benchmark::DoNotOptimize(frames.stepTable[1].load());
  }
}
BENCHMARK(BM_FillStepTable);

void BM_InsertNewScenaAtSceneOne(benchmark::State& state) {
  ShowState show;
  FullShow(show);
  for (auto _ : state) {
    show.memory.Set(kCurrentStep, 0);
    InsertSceneAfterCurrent(show);
  }
}
BENCHMARK(BM_InsertNewScenaAtSceneOne);

void BM_DeleteScenaAtSceneOne(benchmark::State& state) {
  ShowState show;
  FullShow(show);
  for (auto _ : state) {
    show.memory.Set(kCurrentStep, 0);
    show.memory.Set(kLastScene, 255);
    DeleteCurrentScene(show);
  }
}
BENCHMARK(BM_DeleteScenaAtSceneOne);

void BM_TakeUndoCopy(benchmark::State& state) {
  ShowState show;
  FullShow(show);
  for (auto _ : state) TakeUndoCopy(show);
}
BENCHMARK(BM_TakeUndoCopy);

}  // namespace
}  // namespace kalvetro

BENCHMARK_MAIN();
