// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/Conveyor.h"

namespace kalvetro {

namespace {

bool ValidSlot(int slot) {
  return slot >= 1 && slot <= kConveyorSlots;
}

// Byte length of the first `count` UTF-8 characters of text (continuation bytes follow their
// lead byte).
std::size_t Utf8Prefix(const std::string& text, int count) {
  std::size_t i = 0;
  for (int taken = 0; i < text.size() && taken < count; ++taken) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

}  // namespace

std::string ShortFileName(const std::string& path, int length) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string cut = name.substr(0, Utf8Prefix(name, length));
  const std::size_t dot = cut.rfind('.');
  if (dot != std::string::npos) cut.erase(dot);
  return cut;
}

std::string ConveyorFileName(const std::string& path) {
  return ShortFileName(path, 7);
}

std::string StartupFileName(const std::string& path) {
  return ShortFileName(path, 8);
}

char ConveyorSlotLetter(int slot) {
  static constexpr char kLetters[] = "QWERTYUIOPASDFGHJKL";
  if (slot < 1 || slot > 19) return 0;
  return kLetters[slot - 1];
}

std::string AssignedSlotCaption(int slot, const std::string& shortName) {
  const char letter = ConveyorSlotLetter(slot);
  if (letter == 0) return " " + shortName;
  return std::string(1, letter) + "=" + shortName;
}

std::string EmptySlotCaption(int slot, EmptySlotText form) {
  const char letter = ConveyorSlotLetter(slot);
  const std::string empty = form == EmptySlotText::kAfterClearing ? "(пусто)" : "пусто";
  if (letter == 0) return empty;
  return std::string(1, letter) + " " + empty;
}

std::string ConveyorJobLabel(int slot, const std::string& path) {
  return std::to_string(slot) + " " + ConveyorFileName(path);
}

void Conveyor::SetPosition(int position) {
  position_ = ValidSlot(position) ? position : 1;
}

bool Conveyor::Down(int slot) const {
  return ValidSlot(slot) && down_[slot - 1];
}

void Conveyor::SetDown(int slot, bool down) {
  if (ValidSlot(slot)) down_[slot - 1] = down;
}

void Conveyor::ReleaseAllSlots() {
  down_.fill(false);
}

bool Conveyor::SlotJob(int slot, const Files& files) {
  if (mode_ != ConveyorMode::kHand || !ValidSlot(slot)) return false;
  ReleaseAllSlots();
  down_[slot - 1] = true;
  return !files[slot - 1].empty();
}

ConveyorJobResult Conveyor::NextListShow(const Files& files, const Opener& open) {
  ConveyorJobResult result;
  for (int p = position_; p <= kConveyorSlots; ++p) {
    if (!down_[p - 1] || files[p - 1].empty()) continue;
    result.slot = p;
    // A show that cannot be opened leaves the show in memory playing; the list goes on past
    // it all the same, or every pass end would stop at this slot again.
    result.failed = !open(files[p - 1]);
    position_ = p == kConveyorSlots ? 1 : p + 1;
    return result;
  }
  position_ = 1;
  return result;
}

}  // namespace kalvetro
