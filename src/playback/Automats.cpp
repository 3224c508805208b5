// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/Automats.h"

#include <algorithm>

namespace kalvetro {
namespace {

// The programs, one row per step; 'B' is the bright level and 'D' the dark level of
// channels p+1, p+2, p+3, p+4.
constexpr const char* kPatterns[kAutomatPrograms][kAutomatSteps] = {
    // 1 "один бегущий огонек": one light runs
    {"BDDD", "DBDD", "DDBD", "DDDB", "BDDD", "DBDD", "DDBD", "DDDB"},
    // 2 "два бегущих огонька": two lights run
    {"BBDD", "DBBD", "DDBB", "BDDB", "BBDD", "DBBD", "DDBB", "BDDB"},
    // 3 "бегущая тень": running shadow
    {"BBDD", "DDBB", "BBDD", "DDBB", "DBBD", "BDDB", "DBBD", "BDDB"},
    // 4 "код с наполнением": fills up, then empties
    {"BDDD", "BBDD", "BBBD", "BBBB", "DBBB", "DDBB", "DDDB", "DDDD"},
};

}  // namespace

std::optional<AutomatLevels> AutomatPattern(int program, int step, std::uint8_t bright,
                                            std::uint8_t dark) {
  if (program < 1 || program > kAutomatPrograms || step < 0 || step >= kAutomatSteps) {
    return std::nullopt;
  }
  const char* pattern = kPatterns[program - 1][step];
  AutomatLevels levels{};
  for (int k = 0; k < kAutomatChannels; ++k) levels[k] = pattern[k] == 'B' ? bright : dark;
  return levels;
}

AutomatTempo AutomatTempoOf(int tempoByte) {
  const int t = tempoByte == 0 ? kAutomatTempoZero
                               : std::clamp(tempoByte, kAutomatTempoMin, kAutomatTempoMax);
  const int interval = t * t;
  return {interval, 60000 / interval};
}

AutomatSettings ReadAutomatSettings(const ShowMemory& memory, int base) {
  return {memory.Get(base + kAutomatTempo), memory.Get(base + kAutomatChannel),
          memory.Get(base + kAutomatMode), memory.Get(base + kAutomatBright),
          memory.Get(base + kAutomatDark)};
}

void Automat::RunJob(int program, std::uint8_t bright, std::uint8_t dark) {
  active_ = true;
  if (step_ == 3) {
    ++cycle_;
    if (cycle_ > limits_.cycleReset) cycle_ = 0;
  }
  if (cycle_ < limits_.forwardBelow) {
    step_ = (step_ + 1) % kAutomatSteps;
  } else {
    step_ = (step_ + kAutomatSteps - 1) % kAutomatSteps;
  }
  if (const auto levels = AutomatPattern(program, step_, bright, dark)) out_ = *levels;
}

bool RunAutomatTick(Automat& avtomat, const AutomatRunFlags& flags, int program,
                    std::uint8_t bright, std::uint8_t dark) {
  avtomat.Stop();
  if (flags.blackOut) return false;
  if (!flags.runAlways && !(flags.withShow && flags.playing)) return false;
  avtomat.RunJob(program, bright, dark);
  return true;
}

void PublishAutomat(const Automat& avtomat, AutomatControls& controls) {
  for (int k = 0; k < kAutomatChannels; ++k)
    controls.levels[k].store(avtomat.Out()[k], std::memory_order_relaxed);
  controls.active.store(avtomat.Active(), std::memory_order_relaxed);
}

void SetAutomatPosition(AutomatControls& controls, int p) {
  controls.position.store(static_cast<std::uint8_t>(std::clamp(p, 0, kMaxAutomatPosition)),
                          std::memory_order_relaxed);
}

}  // namespace kalvetro
