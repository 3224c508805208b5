// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/SceneList.h"

namespace kalvetro {

namespace {
// Scene `scene` (1..255) becomes a copy of the scene before it, all 256 bytes.
void CopyPreviousRow(ShowState& show, int scene) {
  show.memory.Move(SceneRowOffset(scene - 1), SceneRowOffset(scene), kRowSize);
}
}  // namespace

void TakeUndoCopy(ShowState& show) {
  show.undoMemory.CopyFrom(show.memory);
}

void RestoreUndoCopy(ShowState& show) {
  show.memory.CopyFrom(show.undoMemory);
}

void InsertSceneAfterCurrent(ShowState& show) {
  const int previous = show.CurrentStep();
  if (previous == kSceneCount - 1) return;  // no room after the last possible scene
  const int current = previous + 1;
  show.memory.Set(kCurrentStep, static_cast<std::uint8_t>(current));
  // Rows current..254 move up by one; the move walks from the top down.
  show.memory.Move(SceneRowOffset(current), SceneRowOffset(current + 1),
                   (kSceneCount - 1 - current) * kRowSize);
  // The new scene starts as a copy of the one it follows; its byte 0 keeps its value.
  show.memory.Move(SceneRowOffset(previous) + 1, SceneRowOffset(current) + 1, kRowSize - 1);
  const int last = show.LastScene();
  if (last < kSceneCount - 1) show.memory.Set(kLastScene, static_cast<std::uint8_t>(last + 1));
}

void DeleteCurrentScene(ShowState& show) {
  const int current = show.CurrentStep();
  const int last = show.LastScene();
  // Rows current + 1..255 move down by one; the top row has no successor and is emptied.
  show.memory.Move(SceneRowOffset(current + 1), SceneRowOffset(current),
                   (kSceneCount - 1 - current) * kRowSize);
  show.memory.Fill(SceneRowOffset(kSceneCount - 1), kRowSize, 0);
  if (current != 0 && current >= last)
    show.memory.Set(kCurrentStep, static_cast<std::uint8_t>(current - 1));
  if (last > 0) show.memory.Set(kLastScene, static_cast<std::uint8_t>(last - 1));
}

void CopyPreviousScene(ShowState& show) {
  const int current = show.CurrentStep();
  if (current == 0) return;
  CopyPreviousRow(show, current);
}

void ClearCurrentScene(ShowState& show) {
  const int current = show.CurrentStep();
  show.memory.Fill(SceneRowOffset(current), kRowSize, 0);
}

void SaveToPaste(ShowState& show) {
  const int current = show.CurrentStep();
  show.memory.Read(SceneRowOffset(current), show.pasteBuffer);
}

void LoadFromPaste(ShowState& show) {
  const int current = show.CurrentStep();
  show.memory.Write(SceneRowOffset(current), show.pasteBuffer);
}

bool AddSceneBeyondLast(ShowState& show) {
  const int current = show.CurrentStep();
  if (current <= show.LastScene()) return false;
  CopyPreviousRow(show, current);
  show.memory.Set(kLastScene, static_cast<std::uint8_t>(current));
  return true;
}

}  // namespace kalvetro
