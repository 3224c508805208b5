// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace kalvetro {

// Key codes of the key map: the Windows virtual-key numbers the console's keys have always
// carried (shown to the operator as "NomberKey is 49" for the digit 1).
inline constexpr int kVkNone = 0;
inline constexpr int kVkCtrl = 17;
inline constexpr int kVkSpace = 32;
inline constexpr int kVkDigit0 = 48;   // digits 0..9 are 48..57
inline constexpr int kVkLetterA = 65;  // letters A..Z are 65..90
inline constexpr int kVkNumpad0 = 96;  // keypad digits 0..9 are 96..105 and play no part
inline constexpr int kVkPlus = 187;    // the key of "=" and "+"
inline constexpr int kVkMinus = 189;   // the key of "-" and "_"

// The key code of a key by its place on the keyboard. `nativeScanCode` is the X11 keycode of
// the key (evdev code + 8: Q = 24, digit 1 = 10, Space = 65), the same whatever the layout, so
// the keys of a Russian layout act like the Latin keys in the same place. When the scan code is
// 0 (platforms without one, such as the offscreen one) or not a key of the table, the code comes
// from `qtKey` (a Qt::Key value, or the upper-case Unicode letter for letters without a Qt::Key,
// Cyrillic ones included, which count by their place on the Russian layout); `keypad` tells that
// the key lies on the numeric keypad. Returns kVkNone for keys the console does not know.
int VirtualKeyCode(std::uint32_t nativeScanCode, int qtKey, bool keypad);

// The text of the key display after a key down: "NomberKey is " and the decimal code.
std::string KeyLabelText(int virtualKey);

// Static picture (0..15) a key flashes: 1..8, Space, Z, X, C, V, B, N, M; -1 for other keys.
int PictureOfKey(int virtualKey);
// Conveyor slot (1..19) a key starts: Q W E R T Y U I O P A S D F G H J K L; 0 for other keys.
int ConveyorSlotOfKey(int virtualKey);

// What a key asks the main window to do.
enum class KeyActionKind : std::uint8_t {
  kNone,
  kPictureOn,       // tick the box of picture `index`
  kPictureOff,      // untick the box of picture `index`
  kBlackOutToggle,  // invert "BlackOut" (its click operation runs), then clear Playing
  kPlay,            // play button up, stop button down, then the runner plays
  kStop,            // play button down, stop button up, then the runner stops
  kConveyorSlot,    // run the job of conveyor slot `index` (1..19)
};

struct KeyAction {
  KeyActionKind kind = KeyActionKind::kNone;
  int index = 0;

  friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// The keyboard rules of the main window as a small state machine: it keeps the Ctrl-held flag
// and turns key downs and ups into actions; the window carries them out.
//
// A picture key ticks its box on key down and unticks it on key up, unless Ctrl is held at the
// moment of release: then the picture stays latched until its key is released again without
// Ctrl (or the box is unticked by hand). Releasing Ctrl never changes a box.
//
// Auto-repeat: a held picture key only ticks its box again. Every other action happens once
// per press: a held 0 does not flicker blackout at the repeat rate (leaving it in a chance
// state), and a held conveyor key does not reload its show again and again. Auto-repeated key
// ups (which X11 sends between repeated key downs) are ignored, so a held picture stays on.
class KeyMap {
 public:
  // `conveyorKeys`: the conveyor keys switch "Вкл" is ticked.
  KeyAction KeyDown(int virtualKey, bool autoRepeat, bool conveyorKeys);
  KeyAction KeyUp(int virtualKey, bool autoRepeat);

  bool CtrlHeld() const { return ctrlHeld_; }
  // The window lost the keyboard: a Ctrl released elsewhere sends no key up here, and a Ctrl
  // flag left set would latch every picture released afterwards.
  void KeyboardLost() { ctrlHeld_ = false; }

 private:
  bool ctrlHeld_ = false;
};

// Where the mouse wheel acts: the active page of the input page control.
enum class WheelTarget : std::uint8_t {
  kNone,    // other pages: the wheel does nothing
  kStrips,  // "Фэйдера": the channel window scroll bar
  kGraph,   // "График Канала": the graph's channel slider
  kBeamXY,  // "Редактор луча": the XY editor's first-channel slider
};

// The new position of the target's scroll bar (range minimum..maximum) after a wheel turn of
// `delta` (120 per notch). Every target moves by one towards the turn; on the strip page a turn
// of more than 250 (three notches at once) goes to the end of the range, of less than -250 to
// its start. The result stays within the range.
int WheelPosition(WheelTarget target, int delta, int position, int minimum, int maximum);

}  // namespace kalvetro
