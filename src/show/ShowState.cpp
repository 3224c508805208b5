// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/ShowState.h"

#include <cstring>

namespace kalvetro {

void ShowState::DataWriteXY(std::uint8_t scene, int x, int y) {
  const int row = SceneRowOffset(scene);
  const int f = xyFirstChannel < 0 ? 0 : (xyFirstChannel > 253 ? 253 : xyFirstChannel);
  memory.Set(row + f + 1, ClampLevel(x));
  memory.Set(row + f + 2, ClampLevel(y));
}

void WriteIdentificationText(ShowMemory& memory) {
  const int length = static_cast<int>(std::strlen(kIdentificationText));
  for (int i = 0; i < kHeaderTextLength; ++i) {
    memory.Set(kHeaderText + i, i < length ? static_cast<std::uint8_t>(kIdentificationText[i]) : 0);
  }
}

void ClearShowData(ShowState& show) {
  show.pasteBuffer.fill(0);
  show.memory.Fill(kRateRow, kRowSize, 255);
  show.memory.Fill(kStaticPictures, kShowMemorySize - kStaticPictures, 0);
  WriteIdentificationText(show.memory);
  show.showNamed = false;
  show.memory.Set(kColourRed, 190);
  show.memory.Set(kColourGreen, 197);
  show.memory.Set(kColourBlue, 190);
  show.memory.Set(kColourOn, 1);
  show.playing.store(false);
  show.memory.Set(kTempo, 44);
  show.memory.Set(kCurrentStep, 0);
  show.memory.Set(kLastScene, 1);
}

}  // namespace kalvetro
