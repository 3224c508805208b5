// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "show/ShowMemory.h"

namespace kalvetro {

// The open show and the working state kept beside it (never saved). Owned by the console;
// the output thread reads memory, playing and beatFlag, and the replace sequence.
struct ShowState {
  ShowMemory memory;
  ShowMemory undoMemory;                             // one whole-show undo copy
  std::array<std::uint8_t, kRowSize> pasteBuffer{};  // one scene row for copy and paste
  std::atomic<bool> playing{false};
  std::atomic<std::uint8_t> beatFlag{0};  // 1: a counted sound beat waits for the sequencer
  bool showNamed = false;                 // the show has a file name (opened or saved under a name)
  int xyFirstChannel = 0;                 // first-channel position of the XY editor, 0..253

  // Odd while the whole image is being replaced (a show opened, emptied or restored from
  // the undo copy). The output tick assembles no frame while it is odd and throws away a frame
  // during which it changed, sending the previous frame instead: a frame is never half the old
  // show and half the new. Written by the user-interface thread only.
  std::atomic<std::uint32_t> replaceSequence{0};
  // Read-modify-writes, so that no write of the image moves before the start or after the end.
  void BeginReplace() { replaceSequence.fetch_add(1, std::memory_order_acq_rel); }
  void EndReplace() { replaceSequence.fetch_add(1, std::memory_order_release); }

  // Stores value, clamped to 0..255, as the level of channel in scene.
  void DataWrite(std::uint8_t scene, std::uint8_t channel, int value) {
    memory.Set(SceneRowOffset(scene) + channel, ClampLevel(value));
  }
  std::uint8_t DataRead(std::uint8_t scene, std::uint8_t channel) const {
    return memory.Get(SceneRowOffset(scene) + channel);
  }
  // Writes a scanner position: x to channel f + 1 and y to channel f + 2, where f is the
  // XY editor's first-channel position.
  void DataWriteXY(std::uint8_t scene, int x, int y);

  std::uint8_t CurrentStep() const { return memory.Get(kCurrentStep); }
  std::uint8_t LastScene() const { return memory.Get(kLastScene); }
};

// Writes the identification text into bytes 0..127 (the rest of the 128 bytes NUL).
void WriteIdentificationText(ShowMemory& memory);

// The show-data steps of emptying a show: paste buffer cleared, every rate 255, pictures,
// selection, scenes and the spare byte cleared, identification text, colours, tempo 44,
// step 0, last scene 1, not playing, no file name. Channel names, byte 136, the automat bytes
// and the undo copy survive.
void ClearShowData(ShowState& show);

// Marks a replacement of the whole image for as long as it lives (see replaceSequence).
class ShowReplaceGuard {
 public:
  explicit ShowReplaceGuard(ShowState& show) : show_(show) { show_.BeginReplace(); }
  ~ShowReplaceGuard() { show_.EndReplace(); }
  ShowReplaceGuard(const ShowReplaceGuard&) = delete;
  ShowReplaceGuard& operator=(const ShowReplaceGuard&) = delete;

 private:
  ShowState& show_;
};

}  // namespace kalvetro
