// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/BlockCopy.h"

#include "editing/SceneList.h"

namespace kalvetro {

namespace {

// The channel inputs keep the target block inside channels 1..255: the block ends at
// target + last - first, which the last + target <= 256 test keeps at or below 255 as long as
// first and target are at least 1. Values outside the inputs' ranges are refused the same way,
// so no copy can reach past a row.
bool ChannelsFit(const CopyRange& channels) {
  return channels.first >= 1 && channels.target >= 1 && channels.last <= kRowSize - 1 &&
         channels.last + channels.target <= kRowSize;
}

// Scene numbers count from 1; the target block ends at row target - 1 + last - first, which
// last + target <= 256 keeps inside the 256 rows.
bool ScenesFit(const CopyRange& scenes) {
  return scenes.first >= 1 && scenes.target >= 1 && scenes.last <= kSceneCount &&
         scenes.last + scenes.target <= kSceneCount;
}

// Channels first..last of one row into the channels from target on of another row, ascending.
void CopyChannelsBetweenRows(ShowMemory& memory, int fromScene, int toScene,
                             const CopyRange& channels) {
  const int from = SceneRowOffset(fromScene);
  const int to = SceneRowOffset(toScene) + channels.target - channels.first;
  for (int c = channels.first; c <= channels.last; ++c) memory.Set(to + c, memory.Get(from + c));
}

}  // namespace

const char* BlockCopyWarning(BlockCopyResult result) {
  switch (result) {
    case BlockCopyResult::kChannelLimit:
      return kChannelLimitWarning;
    case BlockCopyResult::kSceneLimit:
      return kSceneLimitWarning;
    case BlockCopyResult::kDone:
      break;
  }
  return nullptr;
}

void CopyChannelsInRow(ShowMemory& memory, int scene, const CopyRange& channels) {
  if (scene < 0 || scene > kSceneCount - 1 || !ChannelsFit(channels)) return;
  CopyChannelsBetweenRows(memory, scene, scene, channels);
}

BlockCopyResult CopyChannelsOfCurrentScene(ShowState& show, const CopyRange& channels) {
  TakeUndoCopy(show);
  if (!ChannelsFit(channels)) return BlockCopyResult::kChannelLimit;
  CopyChannelsInRow(show.memory, show.CurrentStep(), channels);
  return BlockCopyResult::kDone;
}

BlockCopyResult CopyChannelsOfAllScenes(ShowState& show, const CopyRange& channels) {
  TakeUndoCopy(show);
  if (!ChannelsFit(channels)) return BlockCopyResult::kChannelLimit;
  for (int s = 0; s < kSceneCount; ++s) CopyChannelsInRow(show.memory, s, channels);
  return BlockCopyResult::kDone;
}

BlockCopyResult CopyChannelsInScenes(ShowState& show, const CopyRange& channels,
                                     const CopyRange& scenes) {
  TakeUndoCopy(show);
  if (!ChannelsFit(channels)) return BlockCopyResult::kChannelLimit;
  if (!ScenesFit(scenes)) return BlockCopyResult::kSceneLimit;
  const int count = scenes.last - scenes.first + 1;
  if (count <= 0) return BlockCopyResult::kDone;
  const int fromRow = scenes.first - 1;
  const int toRow = scenes.target - 1;
  // Walking away from the overlap leaves every source row untouched until it has been read.
  if (toRow > fromRow) {
    for (int k = count - 1; k >= 0; --k)
      CopyChannelsBetweenRows(show.memory, fromRow + k, toRow + k, channels);
  } else {
    for (int k = 0; k < count; ++k)
      CopyChannelsBetweenRows(show.memory, fromRow + k, toRow + k, channels);
  }
  return BlockCopyResult::kDone;
}

BlockCopyResult CopyScenes(ShowState& show, const CopyRange& scenes) {
  TakeUndoCopy(show);
  if (!ScenesFit(scenes)) return BlockCopyResult::kSceneLimit;
  const int count = scenes.last - scenes.first + 1;
  if (count <= 0) return BlockCopyResult::kDone;
  show.memory.Move(SceneRowOffset(scenes.first - 1), SceneRowOffset(scenes.target - 1),
                   count * kRowSize);
  return BlockCopyResult::kDone;
}

}  // namespace kalvetro
