#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "show/ShowMemory.h"

namespace kalvetro {

inline constexpr int kStripCount = 27;       // channel strips on the page "Фэйдера"
inline constexpr int kMaxStripOffset = 228;  // strip 27 then shows channel 255

// Crossfade modes: the items of "Плавность перехода  сцен ".
enum CrossfadeMode : int {
  kCrossfadeNone = -1,    // no item chosen: the frame is left as it is
  kCrossfadeSliders = 0,  // "Ползунки": per-channel steps of the rate row
  kCrossfadeAutomat = 1,  // "Автомат": sequencer steps while playing, jump otherwise
  kCrossfadeOff = 2,      // "Выкл": jump to the scene
};

// Picture index of the macro picture "M", laid over the frame again after blackout.
inline constexpr int kMacroPicture = 15;

// Every control state the output tick reads, mirrored here by the user interface thread the
// moment the control changes, and the small visual requests the tick sends back. The tick
// never touches a widget; every member is a relaxed atomic, so the two threads share them
// without a lock and without a data race.
struct OutputControls {
  static constexpr auto kRelaxed = std::memory_order_relaxed;

  // Read by the tick.
  std::atomic<int> crossfadeMode{kCrossfadeSliders};
  std::array<std::atomic<bool>, kPictureCount> pictureOn{};  // the sixteen picture boxes
  std::atomic<bool> manual{false};                           // "Ручное управление"
  std::array<std::atomic<bool>, kStripCount> stripTicked{};  // strip k at index k - 1
  std::array<std::atomic<std::uint8_t>, kStripCount> stripFader{};
  std::atomic<std::uint8_t> stripOffset{0};  // strip k shows channel stripOffset + k
  std::atomic<std::uint8_t> padX{0};         // hand scan pad values
  std::atomic<std::uint8_t> padY{0};
  std::atomic<bool> padPriority{false};  // "Приоритет": the pad drives the output
  std::atomic<bool> blackOut{false};     // "BlackOut" ticked
  std::atomic<bool> macroOut{false};     // the macro button is down

  // Requests of the tick to the user interface, which polls them from its own timers.
  std::atomic<bool> audioRed{false};  // "Audio" caption red (255,0,0), else grey (128,128,128)
  std::atomic<bool> blackOutButtonVisible{true};  // the blackout button blinks while dark

  bool Picture(int k) const { return pictureOn[k].load(kRelaxed); }
  void SetPicture(int k, bool on) { pictureOn[k].store(on, kRelaxed); }
  void SetStrip(int k, bool ticked, std::uint8_t fader) {
    stripTicked[k - 1].store(ticked, kRelaxed);
    stripFader[k - 1].store(fader, kRelaxed);
  }
};

}  // namespace kalvetro
