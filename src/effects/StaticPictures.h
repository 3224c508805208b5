// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "show/ShowState.h"

namespace kalvetro {

// The static pictures editor works on the row of scene 0: the output plays it while the editor
// is open, the channel strips edit it, and the selection flags are the picture's mask.
inline constexpr int kWorkingScene = 0;

// Include flag of picture k for channel n: only the byte value 1 puts the channel into the
// picture; 0, 2 or any other value leaves it out.
inline constexpr std::uint8_t kIncluded = 1;

// True when channel n (0..255) belongs to picture k (0..15).
bool PictureIncludes(const ShowMemory& memory, int picture, int channel);
// Stored level of channel n in picture k, whether the channel belongs to it or not.
std::uint8_t PictureLevel(const ShowMemory& memory, int picture, int channel);

// What the editor keeps while it is open (768 + 1 bytes, memory only, never saved): the
// scene-0 row, the rate row, the selection flags and the current step, as they were when the
// editor opened. `held` tells whether the area holds such a state.
struct ChaserSaveArea {
  std::array<std::uint8_t, kRowSize> sceneRow{};
  std::array<std::uint8_t, kRowSize> rateRow{};
  std::array<std::uint8_t, kRowSize> selectFlags{};
  std::uint8_t currentStep = 0;
  bool held = false;

  // Forgets the saved state, so that closing the editor puts nothing back. The owner calls it
  // whenever another show replaces the open one (open, new show, conveyor): the saved bytes
  // belong to the old show and must not be written into the new one.
  void Discard() { held = false; }
};

// The data steps of opening the editor. The caller stores the strip ticks into the selection
// flags before (StoreSelectionBoxes) and clears the strip ticks from them after
// (LoadSelectionBoxes). Stops playback, saves the scene-0 row, the rate row, the current step
// and the selection flags into `area`, sets the current step to 0 and clears the scene-0 row
// and the selection flags. When the area already holds a state (the editor is open), only
// playback is stopped and false is returned: the saved state of the first opening is kept,
// since saving again would save the editor's own working row over the operator's scene 0.
bool OpenChaserEditor(ShowState& show, ChaserSaveArea& area);

// The data steps of closing the editor: puts the saved scene-0 row, rate row, current step and
// selection flags back and empties the area. Returns false, with nothing changed, when the area
// holds nothing (never opened, already closed, or discarded). The caller then reloads the
// strip ticks (LoadSelectionBoxes). The transition choice is not touched.
bool CloseChaserEditor(ShowState& show, ChaserSaveArea& area);

// Lays the bytes the editor keeps aside over a show file image taken while it is open, so the
// image is the show as it stands outside the editor: the saved scene-0 row, rate row, current
// step and selection in place of the working ones. An area that holds nothing changes nothing.
void LayOutsideEditor(const ChaserSaveArea& area, std::span<std::uint8_t, kShowFileSize> image);

// Loads picture k (0..15) for editing: its include flags become the selection flags, and every
// cell n of the scene-0 row takes the picture's level n where the flag is 1, else 0.
// An index outside 0..15 changes nothing and returns false.
bool ReadChaser(ShowState& show, int picture);

// Writes picture k (0..15) from the editor: the 256 selection bytes become its include flags
// as they are (a byte 2 stays 2 and so stays outside the picture), and all 256 cells of the
// scene-0 row become its levels, masked or not. The caller stores the strip ticks first
// (StoreSelectionBoxes). An index outside 0..15 changes nothing and returns false.
bool SaveChaser(ShowState& show, int picture);

// Takes the levels of a show scene into the editor for the scene slider at `position`
// (0..255, limited to it): the row of scene (position + 1) mod 256 is copied over the scene-0
// row and the selection flags are cleared. Returns the number the slider's label shows,
// position + 1.
int TakeSceneLevels(ShowState& show, int position);

// Erases the picture being edited (after the operator confirmed): takes the undo copy, then
// clears the scene-0 row and the selection flags. The stored pictures are not touched.
void EraseEditedPicture(ShowState& show);

// Erases every picture (after the operator confirmed): takes the undo copy, then clears the
// whole picture area, the scene-0 row and the selection flags.
void EraseAllPictures(ShowState& show);

}  // namespace kalvetro
