// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "show/ShowState.h"

namespace kalvetro {

// Block copies of channel levels (page "Копирование"). Channel numbers are the ones the
// operator sees (1..255); scene numbers are entered from 1, as on the page. Every copy first
// takes the one undo copy of the whole show, also when it is then refused, so the restore
// buttons always have something to bring back. None of them looks at the playing flag.

inline constexpr char kChannelLimitWarning[] =
    " Копирование не выполнено:Максимальное число каналов > 256 ! ";
inline constexpr char kSceneLimitWarning[] =
    " Копирование не выполнено:Максимальное число сцен > 256 ! ";

enum class BlockCopyResult {
  kDone,          // copied (or nothing to copy: an empty range is not an error)
  kChannelLimit,  // refused: last channel + target channel > 256
  kSceneLimit,    // refused: last scene + target scene > 256
};

// Text of the warning box to show for a result, or nullptr when there is none.
const char* BlockCopyWarning(BlockCopyResult result);

// First, last and target number of one group of inputs.
struct CopyRange {
  int first = 1;
  int last = 10;
  int target = 11;
};

// The in-row block copy on the row of `scene` (0..255): for c = first .. last in ascending
// order, byte target + c - first := byte c. Nothing when last < first. A target above an
// overlapping source repeats the first channels of the block upwards (1..3 -> 2 gives
// channels 2, 3 and 4 the old level of channel 1). Ranges that fail the channel limit test,
// or a scene outside 0..255, copy nothing.
void CopyChannelsInRow(ShowMemory& memory, int scene, const CopyRange& channels);

// Group "Каналов текущей Сцены ": the channel block within the current scene.
BlockCopyResult CopyChannelsOfCurrentScene(ShowState& show, const CopyRange& channels);

// Group "Каналов (все сцены)": the channel block within every one of the 256 scene rows,
// also those beyond the last scene of the show.
BlockCopyResult CopyChannelsOfAllScenes(ShowState& show, const CopyRange& channels);

// Group "Каналов в сценах": channels first..last of scenes first..last go to the channels
// starting at the target channel of the scenes starting at the target scene. Within one row
// (source scene = target scene) the copy runs as the in-row copy; across scenes the block of
// each source scene is copied as it was before the copy, also when the scene ranges overlap.
BlockCopyResult CopyChannelsInScenes(ShowState& show, const CopyRange& channels,
                                     const CopyRange& scenes);

// Group "Сцен (все каналы)": whole rows of scenes first..last go to the rows starting at the
// target scene, copied as they were before the copy, also when the ranges overlap.
BlockCopyResult CopyScenes(ShowState& show, const CopyRange& scenes);

}  // namespace kalvetro
