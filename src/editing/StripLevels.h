// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "show/ShowState.h"

namespace kalvetro {

// The operations of the channel strip panel that work on the show alone. A strip k (1..27)
// shows channel offset + k.

// Number shown under a strip for an output level: the level itself (0..255) or, in percent,
// level * 100 / 255 rounded up (1 shows 1, 128 shows 51, 254 shows 100).
int DisplayLevel(std::uint8_t level, bool percent);
// The phase of the slow output display after `phase`: 2, 3, ..., 9, 1, 2, ...; phase p
// refreshes the strips 3p - 2, 3p - 1 and 3p.
int NextDisplayPhase(int phase);

// Writes level into the cells of channels offset + 1 .. offset + 27 of the scene.
void SetVisibleLevels(ShowState& show, std::uint8_t scene, int offset, std::uint8_t level);
// Clears all 256 cells of the scene's row, byte 0 included.
void ClearSceneRow(ShowState& show, std::uint8_t scene);
// Selection bytes of the channels offset + 1 .. offset + 27 := flag.
void SetVisibleFlags(ShowMemory& memory, int offset, std::uint8_t flag);

}  // namespace kalvetro
