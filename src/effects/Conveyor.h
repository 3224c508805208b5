// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <functional>
#include <string>

#include "show/Settings.h"

namespace kalvetro {

// Twenty show files on twenty slot buttons; slots are numbered 1..20.
inline constexpr int kConveyorSlots = kConveyorFiles;

// The four mode buttons of the conveyor.
enum class ConveyorMode {
  kHand,           // a slot's button or key loads its show at once
  kList,           // list mode from the current position
  kListFromFirst,  // list mode from the first ticked slot
  kComposing,      // slot buttons only toggle: the list is being composed
};

// Which caption an empty slot gets: after the conveyor was cleared ("Q (пусто)") or after
// start-up ("Q пусто").
enum class EmptySlotText { kAfterClearing, kAfterStartup };

// The file name without its folder (either separator), cut to its first `length`
// characters (UTF-8 characters, not bytes) and stripped of an extension lying within them.
std::string ShortFileName(const std::string& path, int length);
// The short name the conveyor shows while the program runs: cut at 7 characters.
std::string ConveyorFileName(const std::string& path);
// The short name of the start-up labelling: cut at 8 characters.
std::string StartupFileName(const std::string& path);

// The key letter of slot 1..19 (Q..L); 0 for slot 20, which has no key.
char ConveyorSlotLetter(int slot);
// Caption of an assigned slot: "Q=" + short name, slot 20: " " + short name.
std::string AssignedSlotCaption(int slot, const std::string& shortName);
// Caption of an empty slot in the given form.
std::string EmptySlotCaption(int slot, EmptySlotText form);
// The conveyor label after a list job loaded slot `slot`: "3 show1".
std::string ConveyorJobLabel(int slot, const std::string& path);

// What one list job did.
struct ConveyorJobResult {
  int slot = 0;         // the ticked, assigned slot found; 0 when none
  bool failed = false;  // its show could not be opened (nothing was loaded)
};

// The state of the conveyor: the mode, the down state of the twenty slot buttons and the
// position of the list (the next slot to look at, 1..20). The file names belong to the
// settings and are passed in.
class Conveyor {
 public:
  using Files = std::array<std::string, kConveyorSlots>;
  // Opens a show file; false when it could not be opened (the show in memory is unchanged).
  using Opener = std::function<bool(const std::string& path)>;

  ConveyorMode Mode() const { return mode_; }
  void SetMode(ConveyorMode mode) { mode_ = mode; }
  bool ListMode() const {
    return mode_ == ConveyorMode::kList || mode_ == ConveyorMode::kListFromFirst;
  }

  int Position() const { return position_; }
  // Out-of-range positions are taken as 1.
  void SetPosition(int position);

  bool Down(int slot) const;
  void SetDown(int slot, bool down);
  // All twenty slot buttons up.
  void ReleaseAllSlots();

  // The job of slot n (its button was pressed or its key went down). In hand mode every
  // slot goes up and slot n down; returns true when slot n is assigned and its show is to be
  // loaded now. In the other modes nothing changes and the result is false.
  bool SlotJob(int slot, const Files& files);

  // Loads the next ticked show: searches from the position for a slot that is down and
  // assigned and opens it; the position then moves past it (20 wraps to 1), also when its show
  // cannot be opened, so that the next call tries the next ticked slot instead of the same
  // one again. When no such slot lies at or after the position nothing is opened and the
  // position returns to 1.
  ConveyorJobResult NextListShow(const Files& files, const Opener& open);

 private:
  ConveyorMode mode_ = ConveyorMode::kHand;
  int position_ = 1;
  std::array<bool, kConveyorSlots> down_{};
};

}  // namespace kalvetro
