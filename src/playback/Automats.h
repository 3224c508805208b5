// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include "output/OutputControls.h"
#include "show/ShowMemory.h"

namespace kalvetro {

// The two four-channel chasers ("Автомат 1", "Автомат 2"). Each drives four consecutive
// channels with a pattern of a bright and a dark level, eight steps long, chosen from four
// programs, and walks the steps forward and backward at its own rate.

inline constexpr int kAutomatSteps = 8;     // steps 0..7
inline constexpr int kAutomatPrograms = 4;  // programs 1..4
inline constexpr int kAutomatTempoMin = 5;  // tempo slider 5..50
inline constexpr int kAutomatTempoMax = 50;
inline constexpr int kAutomatTempoZero = 20;  // a tempo byte of 0 runs as 20

using AutomatLevels = std::array<std::uint8_t, kAutomatChannels>;

// Where the direction counter turns the automat round. The counter grows each time the
// automat enters step 3; it runs forward while the counter is below forwardBelow and starts
// again from 0 once the counter passes cycleReset.
struct AutomatLimits {
  int cycleReset;
  int forwardBelow;
};
inline constexpr AutomatLimits kAutomat1Limits{20, 10};
inline constexpr AutomatLimits kAutomat2Limits{24, 12};

// The four output levels of a program (1..4) at a step (0..7) for the bright level B and the
// dark level D, for channels p+1..p+4. Any other program number gives nothing.
std::optional<AutomatLevels> AutomatPattern(int program, int step, std::uint8_t bright,
                                            std::uint8_t dark);

// Timer interval of an automat and the flashes-per-minute figure of its label.
struct AutomatTempo {
  int intervalMs;
  int flashesPerMinute;  // 60000 div interval; the label adds " Flash/мин "
};
// Tempo byte t (0 counts as 20; other bytes are held to the slider range 5..50, since only a
// show file can carry them) gives t * t ms: 10 gives 100 ms and 600 flashes a minute.
AutomatTempo AutomatTempoOf(int tempoByte);

// The five show bytes of one automat, starting at kAutomat1 or kAutomat2.
struct AutomatSettings {
  int tempo;
  int firstChannel;  // p: the automat drives channels p+1..p+4
  int program;       // 1..4, the last program button pressed
  std::uint8_t bright;
  std::uint8_t dark;
};
AutomatSettings ReadAutomatSettings(const ShowMemory& memory, int base);

// Working state of one automat (not saved). Lives on the user interface thread.
class Automat {
 public:
  explicit Automat(AutomatLimits limits) : limits_(limits) {}

  // One running step: active, counter and direction, next step, then the outputs of the
  // program (1..4; any other number leaves the outputs as they were).
  void RunJob(int program, std::uint8_t bright, std::uint8_t dark);
  // The automat gives its channels back.
  void Stop() { active_ = false; }

  bool Active() const { return active_; }
  int Step() const { return step_; }
  int Cycle() const { return cycle_; }
  // The number shown after "Step = ": 1..8.
  int StepNumber() const { return step_ + 1; }
  const AutomatLevels& Out() const { return out_; }

 private:
  AutomatLimits limits_;
  bool active_ = false;
  int step_ = 0;
  int cycle_ = 0;
  AutomatLevels out_{};
};

// The states the automat tick looks at.
struct AutomatRunFlags {
  bool blackOut = false;   // "BlackOut" ticked
  bool runAlways = false;  // "Пуск самостоятельно"
  bool withShow = false;   // "С основным"
  bool playing = false;    // the show plays
};

// One automat timer tick: the automat lets go of its channels, then, unless blackout is on,
// runs a job when it runs always or runs with a playing show. Returns whether the job ran.
// Step and counter keep their values while the automat is idle.
bool RunAutomatTick(Automat& avtomat, const AutomatRunFlags& flags, int program,
                    std::uint8_t bright, std::uint8_t dark);

// Publishes an automat to its block of the frame pipeline (user-interface thread, after each
// automat tick): the active flag and the four levels of its last step. The output thread lays
// them over the frame after the crossfade; a frame may carry the four levels of a step partly
// old and partly new.
void PublishAutomat(const Automat& avtomat, AutomatControls& controls);
// The first-channel slider's position p, held to 0..250.
void SetAutomatPosition(AutomatControls& controls, int p);

}  // namespace kalvetro
