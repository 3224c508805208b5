// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "show/ShowMemory.h"

namespace kalvetro {

inline constexpr int kStripCount = 27;       // channel strips on the page "Фэйдера"
inline constexpr int kMaxStripOffset = 228;  // strip 27 then shows channel 255
inline constexpr int kAutomatCount = 2;
inline constexpr int kAutomatChannels = 4;  // an automat drives four neighbouring channels
inline constexpr int kMaxAutomatPosition = 250;

// Crossfade modes: the items of "Плавность перехода  сцен ".
enum CrossfadeMode : int {
  kCrossfadeNone = -1,    // no item chosen: the frame is left as it is
  kCrossfadeSliders = 0,  // "Ползунки": per-channel steps of the rate row
  kCrossfadeAutomat = 1,  // "Автомат": sequencer steps while playing, jump otherwise
  kCrossfadeOff = 2,      // "Выкл": jump to the scene
};

// Picture index of the macro picture "M", laid over the frame again after blackout.
inline constexpr int kMacroPicture = 15;

// The control states that the output tick reads, one block per layer of the frame. The user
// interface thread writes a block the moment its control changes; the tick reads it afresh
// every 50 ms. Every member is a relaxed atomic, so the two threads share them without a lock
// and without a data race.
inline constexpr auto kRelaxedOrder = std::memory_order_relaxed;

struct CrossfadeControls {
  std::atomic<int> mode{kCrossfadeSliders};
  // Request of the tick: "Audio" caption red (255,0,0) while a beat waits, else grey.
  std::atomic<bool> audioRed{false};
};

// One automat's share of the frame: while active, slots position + 1 .. position + 4 take the
// four levels of its last step.
struct AutomatControls {
  std::atomic<bool> active{false};
  std::atomic<std::uint8_t> position{0};
  std::array<std::atomic<std::uint8_t>, kAutomatChannels> levels{};
};

struct PictureControls {
  std::array<std::atomic<bool>, kPictureCount> on{};  // the sixteen picture boxes
  std::atomic<bool> macroOut{false};                  // the macro button is down

  bool Picture(int k) const { return on[k].load(kRelaxedOrder); }
  void SetPicture(int k, bool value) { on[k].store(value, kRelaxedOrder); }
};

// The manual override: the strips whose channels are selected force their faders.
struct StripControls {
  std::atomic<bool> manual{false};  // "Ручное управление"
  std::array<std::atomic<std::uint8_t>, kStripCount> fader{};  // strip k at index k - 1
  std::atomic<std::uint8_t> offset{0};                         // strip k shows channel offset + k
};

struct PadControls {
  std::atomic<std::uint8_t> x{0};  // hand scan pad values
  std::atomic<std::uint8_t> y{0};
  std::atomic<bool> priority{false};  // "Приоритет": the pad drives the output
};

struct BlackoutControls {
  std::atomic<bool> on{false};  // "BlackOut" ticked
  // Request of the tick: the blackout button blinks (hidden every other tick) while dark.
  std::atomic<bool> buttonVisible{true};
};

struct OutputControls {
  CrossfadeControls crossfade;
  std::array<AutomatControls, kAutomatCount> automats;
  PictureControls pictures;
  StripControls strips;
  PadControls pad;
  BlackoutControls blackout;
};

}  // namespace kalvetro
