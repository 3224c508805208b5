// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kalvetro {

// The parts of the show an edit can change; the pages showing a part refresh themselves.
enum class ShowArea { Levels, Rates, Selection, Names, Pictures };

// What an edit of the show changed: some parts of it, and whether it reshaped the show (the
// scene list, the current or last scene, the strip window, the output mode), after which the
// caption, the sequencer and the page shown refresh as a whole. An empty edit changed nothing.
class ShowEdit {
 public:
  constexpr ShowEdit() = default;
  constexpr ShowEdit(ShowArea area) : areas_(Bit(area)) {}  // NOLINT: an area is an edit
  static constexpr ShowEdit Reshaped() {
    ShowEdit edit;
    edit.reshaped_ = true;
    return edit;
  }
  // Every part of the show.
  static constexpr ShowEdit Everything() {
    return ShowEdit(ShowArea::Selection) | ShowArea::Levels | ShowArea::Rates | ShowArea::Names |
           ShowArea::Pictures;
  }

  constexpr ShowEdit operator|(ShowEdit other) const {
    ShowEdit edit = *this;
    edit.areas_ |= other.areas_;
    edit.reshaped_ = edit.reshaped_ || other.reshaped_;
    return edit;
  }
  constexpr ShowEdit& operator|=(ShowEdit other) { return *this = *this | other; }
  constexpr bool operator==(const ShowEdit&) const = default;

  constexpr bool Has(ShowArea area) const { return (areas_ & Bit(area)) != 0; }
  constexpr bool Reshapes() const { return reshaped_; }
  constexpr bool Empty() const { return areas_ == 0 && !reshaped_; }

 private:
  static constexpr std::uint8_t Bit(ShowArea area) {
    return static_cast<std::uint8_t>(1u << static_cast<int>(area));
  }
  std::uint8_t areas_ = 0;
  bool reshaped_ = false;
};

// Whether an edit takes the undo copy of the show before it runs.
enum class UndoCopy { Keep, Take };

}  // namespace kalvetro
