// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/StaticPictures.h"

#include <algorithm>

#include "editing/SceneList.h"

namespace kalvetro {

namespace {

bool ValidPicture(int picture) {
  return picture >= 0 && picture < kPictureCount;
}

int FlagOffset(int picture, int channel) {
  return PictureOffset(picture) + channel;
}

int LevelOffset(int picture, int channel) {
  return PictureOffset(picture) + kPictureLevels + channel;
}

constexpr int kWorkingRow = SceneRowOffset(kWorkingScene);

}  // namespace

bool PictureIncludes(const ShowMemory& memory, int picture, int channel) {
  return memory.Get(FlagOffset(picture, channel)) == kIncluded;
}

std::uint8_t PictureLevel(const ShowMemory& memory, int picture, int channel) {
  return memory.Get(LevelOffset(picture, channel));
}

bool OpenChaserEditor(ShowState& show, ChaserSaveArea& area) {
  show.playing.store(false);
  if (area.held) return false;
  ShowMemory& memory = show.memory;
  memory.Read(kWorkingRow, area.sceneRow);
  memory.Read(kRateRow, area.rateRow);
  area.currentStep = memory.Get(kCurrentStep);
  memory.Set(kCurrentStep, kWorkingScene);
  memory.Fill(kWorkingRow, kRowSize, 0);
  memory.Read(kSelectFlags, area.selectFlags);
  memory.Fill(kSelectFlags, kRowSize, 0);
  area.held = true;
  return true;
}

bool CloseChaserEditor(ShowState& show, ChaserSaveArea& area) {
  if (!area.held) return false;
  ShowMemory& memory = show.memory;
  memory.Write(kWorkingRow, area.sceneRow);
  memory.Write(kRateRow, area.rateRow);
  memory.Set(kCurrentStep, area.currentStep);
  memory.Write(kSelectFlags, area.selectFlags);
  area.held = false;
  return true;
}

void LayOutsideEditor(const ChaserSaveArea& area, std::span<std::uint8_t, kShowFileSize> image) {
  if (!area.held) return;
  std::copy(area.sceneRow.begin(), area.sceneRow.end(), image.begin() + kWorkingRow);
  std::copy(area.rateRow.begin(), area.rateRow.end(), image.begin() + kRateRow);
  std::copy(area.selectFlags.begin(), area.selectFlags.end(), image.begin() + kSelectFlags);
  image[kCurrentStep] = area.currentStep;
}

bool ReadChaser(ShowState& show, int picture) {
  if (!ValidPicture(picture)) return false;
  ShowMemory& memory = show.memory;
  for (int n = 0; n < kRowSize; ++n) {
    const std::uint8_t flag = memory.Get(FlagOffset(picture, n));
    memory.Set(kSelectFlags + n, flag);
    memory.Set(kWorkingRow + n, flag == kIncluded ? memory.Get(LevelOffset(picture, n)) : 0);
  }
  return true;
}

bool SaveChaser(ShowState& show, int picture) {
  if (!ValidPicture(picture)) return false;
  ShowMemory& memory = show.memory;
  for (int n = 0; n < kRowSize; ++n) {
    memory.Set(FlagOffset(picture, n), memory.Get(kSelectFlags + n));
    memory.Set(LevelOffset(picture, n), memory.Get(kWorkingRow + n));
  }
  return true;
}

int TakeSceneLevels(ShowState& show, int position) {
  position = position < 0 ? 0 : (position > kSceneCount - 1 ? kSceneCount - 1 : position);
  const int scene = (position + 1) % kSceneCount;
  show.memory.Move(SceneRowOffset(scene), kWorkingRow, kRowSize);
  show.memory.Fill(kSelectFlags, kRowSize, 0);
  return position + 1;
}

void EraseEditedPicture(ShowState& show) {
  TakeUndoCopy(show);
  show.memory.Fill(kWorkingRow, kRowSize, 0);
  show.memory.Fill(kSelectFlags, kRowSize, 0);
}

void EraseAllPictures(ShowState& show) {
  TakeUndoCopy(show);
  show.memory.Fill(kStaticPictures, kPictureCount * kPictureSize, 0);
  show.memory.Fill(kWorkingRow, kRowSize, 0);
  show.memory.Fill(kSelectFlags, kRowSize, 0);
}

}  // namespace kalvetro
