// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history: what one recorded step costs on the user-interface thread (the compare of
// the whole show image with the image of the last step), what an undo costs without views, and
// what the history keeps after 200 fader drags and after 200 block copies over every scene.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "app/Console.h"
#include "app/ShowHistory.h"
#include "editing/BlockCopy.h"

namespace kalvetro {
namespace {

// A console whose files (the recovery file among them) stay in a folder of its own.
struct BenchConsole {
  QTemporaryDir dir;
  Console console{Options(dir)};
  static StartOptions Options(const QTemporaryDir& dir) {
    StartOptions options;
    options.settingsFile = dir.filePath(QStringLiteral("Kalvo.ini"));
    options.autosaveFile = dir.filePath(QStringLiteral("ShouTemp.klv"));
    options.startOutput = false;
    return options;
  }
};

void Fader(Console& console, int channel, int level) {
  console.Edit(UndoCopy::Keep, kStepFader, [&](ShowState& show) {
    show.DataWrite(0, static_cast<std::uint8_t>(channel), level);
    return ShowEdit(ShowArea::Levels);
  });
}

void BM_RecordOneFaderStep(benchmark::State& state) {
  BenchConsole bench;
  Console& console = bench.console;
  console.ClearAll();
  int level = 0;
  for (auto _ : state) {
    ++level;
    Fader(console, 1 + level % 255, level % 256);
  }
}
BENCHMARK(BM_RecordOneFaderStep);

void BM_UndoAndRedoOneBlockCopy(benchmark::State& state) {
  BenchConsole bench;
  Console& console = bench.console;
  console.ClearAll();
  for (int s = 0; s < kSceneCount; ++s)
    for (int c = 1; c <= 100; ++c) console.Show().DataWrite(s, c, s + c);
  console.Edit(UndoCopy::Keep, kStepBlockCopy, [](ShowState& show) {
    CopyChannelsOfAllScenes(show, {1, 100, 101});
    return ShowEdit(ShowArea::Levels);
  });
  for (auto _ : state) {
    console.UndoStep();
    console.RedoStep();
  }
}
BENCHMARK(BM_UndoAndRedoOneBlockCopy);

// 200 drags of 30 moves each, every drag one step; then the bytes kept.
void BM_KeptAfter200FaderDrags(benchmark::State& state) {
  for (auto _ : state) {
    BenchConsole bench;
    Console& console = bench.console;
    console.ClearAll();
    ShowHistory& history = console.History();
    for (int drag = 0; drag < 200; ++drag) {
      history.Hold();
      for (int move = 1; move <= 30; ++move) Fader(console, 1 + drag % 255, (drag + move) % 256);
      history.Release();
    }
    state.counters["steps"] = history.Steps();
    state.counters["kept_kB"] = static_cast<double>(history.KeptBytes()) / 1024.0;
  }
}
BENCHMARK(BM_KeptAfter200FaderDrags)->Iterations(1)->Unit(benchmark::kMillisecond);

// 200 copies of channels 1..100 to 101..200 in all 256 scenes, the source changed between
// them: every copy changes 25,600 bytes.
void BM_KeptAfter200BlockCopies(benchmark::State& state) {
  for (auto _ : state) {
    BenchConsole bench;
    Console& console = bench.console;
    console.ClearAll();
    for (int copy = 0; copy < 200; ++copy) {
      for (int s = 0; s < kSceneCount; ++s)
        for (int c = 1; c <= 100; ++c) console.Show().DataWrite(s, c, (s + c + copy) % 256);
      console.RecordStep(kStepLevels);
      console.Edit(UndoCopy::Keep, kStepBlockCopy, [](ShowState& show) {
        CopyChannelsOfAllScenes(show, {1, 100, 101});
        return ShowEdit(ShowArea::Levels);
      });
    }
    state.counters["steps"] = console.History().Steps();
    state.counters["kept_MB"] =
        static_cast<double>(console.History().KeptBytes()) / (1024.0 * 1024.0);
  }
}
BENCHMARK(BM_KeptAfter200BlockCopies)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvetro

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
