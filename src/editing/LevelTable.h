// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "show/ShowState.h"

namespace kalvetro {

// Core of the level table page ("Дамп"): the 255 levels of one scene as numbers, and the one
// level the page may edit. The page addresses its scene explicitly; it never moves the row
// the output uses.

inline constexpr int kLevelTableLabelCount = 255;  // one label per channel 1..255
inline constexpr int kLevelTableColumns = 16;      // labels per table row
inline constexpr char kLevelTableInitialCaption[] = " 000 ";

// Caption of a level label: the decimal level without leading blanks or zeros.
std::string LevelTableLabelText(std::uint8_t level);
// Hint of the label of channel n: "Уровень канала N n".
std::string LevelTableLabelHint(int channel);
// Place of channel n's label in the table: column (n - 1) mod 16, row (n - 1) div 16.
struct LevelTableCell {
  int row = 0;
  int column = 0;
};
LevelTableCell LevelTableCellOf(int channel);

// The scene the page shows: the page's own scene bar while "Редактировать Сцену во время
// работы" is checked, otherwise the current scene. The bar position is kept within 0..255.
int LevelTableShownScene(const ShowState& show, bool editChecked, int scenePosition);

// Captions of the three value labels: " Сцена = " + (scene + 1), " Уровень = " + level,
// " Канал = " + channel.
std::string LevelTableSceneText(int scene);
std::string LevelTableLevelText(std::uint8_t level);
std::string LevelTableChannelText(int channel);

// Level of channel 1..255 in scene 0..255.
std::uint8_t LevelTableLevel(const ShowState& show, int scene, int channel);

// The level bar moved: while editing is checked, the level (clamped to 0..255) becomes the
// level of channel in scene; also while the show plays. Returns whether anything was written:
// nothing is without the check mark, nor for a scene outside 0..255 or a channel outside
// 1..255.
bool WriteLevelTableLevel(ShowState& show, bool editChecked, int scene, int channel, int level);

// Remembers the levels the 255 labels show, so that a refresh touches only the labels whose
// value changed. Eight levels are compared with one load.
class LevelTableLabelDiff {
 public:
  // Compares channels 1..255 of scene (0..255) with the values shown last, remembers the new
  // ones and writes the numbers of the channels whose caption must change into `changed` in
  // ascending order. Returns how many there are. Until the first update, and after Forget(),
  // every label counts as changed (the labels start as " 000 ", which is no level).
  int Update(const ShowMemory& memory, int scene,
             std::span<std::uint8_t, kLevelTableLabelCount> changed);
  // The labels were rebuilt or lost their text: the next update reports all of them.
  void Forget() { known_ = false; }
  // The level label of the channel shows now (valid after an update).
  std::uint8_t Shown(int channel) const;

 private:
  static constexpr int kBlocks = kRowSize / 8;
  std::array<std::uint64_t, kBlocks> shown_{};
  bool known_ = false;
};

}  // namespace kalvetro
