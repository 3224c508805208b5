// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QtCore/qnamespace.h>

#include "editing/KeyMap.h"

namespace kalvetro {
namespace {

constexpr KeyAction kNothing{};

KeyAction On(int picture) {
  return {KeyActionKind::kPictureOn, picture};
}
KeyAction Off(int picture) {
  return {KeyActionKind::kPictureOff, picture};
}

TEST(KeyMap, KeysCountByTheirPlaceOnTheKeyboard) {
  // X11 keycodes of a PC keyboard: Q 24, W 25, digit 1 10, digit 0 19, "-" 20, "=" 21,
  // Space 65, left Ctrl 37, right Ctrl 105, Z 52, M 58, L 46.
  EXPECT_EQ(VirtualKeyCode(24, Qt::Key_Q, false), 81);
  EXPECT_EQ(VirtualKeyCode(25, Qt::Key_W, false), 87);
  EXPECT_EQ(VirtualKeyCode(10, Qt::Key_1, false), 49);
  EXPECT_EQ(VirtualKeyCode(19, Qt::Key_0, false), 48);
  EXPECT_EQ(VirtualKeyCode(20, Qt::Key_Minus, false), 189);
  EXPECT_EQ(VirtualKeyCode(21, Qt::Key_Equal, false), 187);
  EXPECT_EQ(VirtualKeyCode(21, Qt::Key_Plus, false), 187);  // with Shift
  EXPECT_EQ(VirtualKeyCode(65, Qt::Key_Space, false), 32);
  EXPECT_EQ(VirtualKeyCode(37, Qt::Key_Control, false), 17);
  EXPECT_EQ(VirtualKeyCode(105, Qt::Key_Control, false), 17);
  EXPECT_EQ(VirtualKeyCode(46, Qt::Key_L, false), 76);

  // Russian layout: the same places give the same codes, whatever letter the key types.
  EXPECT_EQ(VirtualKeyCode(24, 0x419, false), 81);  // Й on the place of Q
  EXPECT_EQ(VirtualKeyCode(52, 0x42F, false), 90);  // Я on the place of Z
  EXPECT_EQ(VirtualKeyCode(58, 0x42C, false), 77);  // Ь on the place of M
  // The scan code wins over the character.
  EXPECT_EQ(VirtualKeyCode(10, Qt::Key_Q, false), 49);
  EXPECT_EQ(VirtualKeyCode(12, 0x2116, false), 51);  // "№" is Shift+3 on the Russian layout

  // Keypad digits have codes of their own (96..105) that flash nothing.
  EXPECT_EQ(VirtualKeyCode(87, Qt::Key_1, true), 97);
  EXPECT_EQ(VirtualKeyCode(90, Qt::Key_0, true), 96);
  EXPECT_EQ(VirtualKeyCode(86, Qt::Key_Plus, true), 107);  // keypad plus does not play
  EXPECT_EQ(PictureOfKey(97), -1);

  // Without a scan code the character decides.
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Q, false), 81);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_3, false), 51);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_1, true), 97);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Space, false), 32);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Control, false), 17);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Equal, false), 187);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Plus, false), 187);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Minus, false), 189);
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_Plus, true), 107);
  EXPECT_EQ(VirtualKeyCode(0, 0x419, false), 81);  // Й
  EXPECT_EQ(VirtualKeyCode(0, 0x44F, false), 90);  // я
  EXPECT_EQ(VirtualKeyCode(0, 0x421, false), 67);  // С sits on C
  EXPECT_EQ(VirtualKeyCode(0, Qt::Key_MediaPlay, false), 0);
  // A scan code outside the table falls back to the character.
  EXPECT_EQ(VirtualKeyCode(250, Qt::Key_Z, false), 90);

  EXPECT_EQ(KeyLabelText(49), "NomberKey is 49");
  EXPECT_EQ(KeyLabelText(187), "NomberKey is 187");
}

TEST(KeyMap, PictureAndConveyorKeys) {
  EXPECT_EQ(PictureOfKey('1'), 0);
  EXPECT_EQ(PictureOfKey('3'), 2);
  EXPECT_EQ(PictureOfKey('8'), 7);
  EXPECT_EQ(PictureOfKey('9'), -1);
  EXPECT_EQ(PictureOfKey('0'), -1);
  EXPECT_EQ(PictureOfKey(32), 8);
  EXPECT_EQ(PictureOfKey('Z'), 9);
  EXPECT_EQ(PictureOfKey('C'), 11);
  EXPECT_EQ(PictureOfKey('M'), 15);
  EXPECT_EQ(PictureOfKey('A'), -1);
  EXPECT_EQ(ConveyorSlotOfKey('Q'), 1);
  EXPECT_EQ(ConveyorSlotOfKey('P'), 10);
  EXPECT_EQ(ConveyorSlotOfKey('A'), 11);
  EXPECT_EQ(ConveyorSlotOfKey('L'), 19);
  EXPECT_EQ(ConveyorSlotOfKey('Z'), 0);
  EXPECT_EQ(ConveyorSlotOfKey('1'), 0);
}

TEST(KeyMap, EveryActingKeyFromItsPlaceOnTheKeyboard) {
  // X keycodes of a PC keyboard (evdev code + 8), written out key by key; no Qt key is given,
  // so the place alone decides.
  constexpr KeyActionKind kOn = KeyActionKind::kPictureOn;
  constexpr KeyActionKind kSlot = KeyActionKind::kConveyorSlot;
  const struct {
    std::uint32_t keycode;
    KeyAction action;
  } keys[] = {
      {10, {kOn, 0}},
      {11, {kOn, 1}},
      {12, {kOn, 2}},
      {13, {kOn, 3}},  // 1 2 3 4
      {14, {kOn, 4}},
      {15, {kOn, 5}},
      {16, {kOn, 6}},
      {17, {kOn, 7}},  // 5 6 7 8
      {65, {kOn, 8}},  // Space
      {52, {kOn, 9}},
      {53, {kOn, 10}},
      {54, {kOn, 11}},
      {55, {kOn, 12}},  // Z X C V
      {56, {kOn, 13}},
      {57, {kOn, 14}},
      {58, {kOn, 15}},                            // B N M
      {19, {KeyActionKind::kBlackOutToggle, 0}},  // 0
      {20, {KeyActionKind::kStop, 0}},            // -
      {21, {KeyActionKind::kPlay, 0}},            // =
      {24, {kSlot, 1}},
      {25, {kSlot, 2}},
      {26, {kSlot, 3}},
      {27, {kSlot, 4}},  // Q W E R
      {28, {kSlot, 5}},
      {29, {kSlot, 6}},
      {30, {kSlot, 7}},
      {31, {kSlot, 8}},  // T Y U I
      {32, {kSlot, 9}},
      {33, {kSlot, 10}},  // O P
      {38, {kSlot, 11}},
      {39, {kSlot, 12}},
      {40, {kSlot, 13}},
      {41, {kSlot, 14}},  // A S D F
      {42, {kSlot, 15}},
      {43, {kSlot, 16}},
      {44, {kSlot, 17}},
      {45, {kSlot, 18}},  // G H J K
      {46, {kSlot, 19}},  // L
  };
  for (const auto& key : keys) {
    KeyMap map;
    const KeyAction action = map.KeyDown(VirtualKeyCode(key.keycode, 0, false), false, true);
    EXPECT_EQ(action.kind, key.action.kind) << "X keycode " << key.keycode;
    EXPECT_EQ(action.index, key.action.index) << "X keycode " << key.keycode;
  }
}

TEST(KeyMap, PictureKeyHoldsItsPictureWhileDown) {
  KeyMap keys;
  EXPECT_EQ(keys.KeyDown('3', false, true), On(2));
  // X11 auto-repeat: a repeated release and press while the key stays down.
  EXPECT_EQ(keys.KeyUp('3', true), kNothing);
  EXPECT_EQ(keys.KeyDown('3', true, true), On(2));
  EXPECT_EQ(keys.KeyUp('3', false), Off(2));
  EXPECT_EQ(keys.KeyDown(32, false, true), On(8));
  EXPECT_EQ(keys.KeyUp(32, false), Off(8));
  // A picture key is never a conveyor key, even with the conveyor keys on.
  EXPECT_EQ(keys.KeyDown('M', false, true), On(15));
}

TEST(KeyMap, CtrlAtReleaseLatchesThePicture) {
  KeyMap keys;
  EXPECT_EQ(keys.KeyDown(17, false, true), kNothing);
  EXPECT_TRUE(keys.CtrlHeld());
  EXPECT_EQ(keys.KeyDown('3', false, true), On(2));
  EXPECT_EQ(keys.KeyUp('3', false), kNothing);  // stays on
  EXPECT_EQ(keys.KeyUp(17, true), kNothing);    // a repeated Ctrl release is no release
  EXPECT_TRUE(keys.CtrlHeld());
  EXPECT_EQ(keys.KeyUp(17, false), kNothing);  // releasing Ctrl changes no box
  EXPECT_FALSE(keys.CtrlHeld());
  // Pressed and released again without Ctrl, it goes off.
  EXPECT_EQ(keys.KeyDown('3', false, true), On(2));
  EXPECT_EQ(keys.KeyUp('3', false), Off(2));

  // Ctrl released while the window had lost the keyboard.
  keys.KeyDown(17, false, true);
  keys.KeyboardLost();
  EXPECT_FALSE(keys.CtrlHeld());
  keys.KeyDown('Z', false, true);
  EXPECT_EQ(keys.KeyUp('Z', false), Off(9));
}

TEST(KeyMap, BlackoutPlayStopAndConveyorActOncePerPress) {
  KeyMap keys;
  EXPECT_EQ(keys.KeyDown('0', false, true), (KeyAction{KeyActionKind::kBlackOutToggle, 0}));
  EXPECT_EQ(keys.KeyDown('0', true, true), kNothing);  // held: blackout is not flipped again
  EXPECT_EQ(keys.KeyUp('0', false), kNothing);
  EXPECT_EQ(keys.KeyDown('0', false, true), (KeyAction{KeyActionKind::kBlackOutToggle, 0}));

  EXPECT_EQ(keys.KeyDown(187, false, false), (KeyAction{KeyActionKind::kPlay, 0}));
  EXPECT_EQ(keys.KeyUp(187, false), kNothing);
  EXPECT_EQ(keys.KeyDown(189, false, false), (KeyAction{KeyActionKind::kStop, 0}));
  EXPECT_EQ(keys.KeyUp(189, false), kNothing);

  EXPECT_EQ(keys.KeyDown('Q', false, true), (KeyAction{KeyActionKind::kConveyorSlot, 1}));
  EXPECT_EQ(keys.KeyDown('Q', true, true), kNothing);
  EXPECT_EQ(keys.KeyUp('Q', false), kNothing);
  EXPECT_EQ(keys.KeyDown('L', false, true), (KeyAction{KeyActionKind::kConveyorSlot, 19}));
  EXPECT_EQ(keys.KeyDown('Q', false, false), kNothing);  // conveyor keys switched off
  EXPECT_EQ(keys.KeyDown(97, false, true), kNothing);    // keypad 1
  EXPECT_EQ(keys.KeyDown('9', false, true), kNothing);
}

TEST(KeyMap, WheelMovesTheScrollBarOfTheActivePage) {
  // Channel window: range 0..228.
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, 120, 10, 0, 228), 11);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, -120, 10, 0, 228), 9);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, 360, 10, 0, 228), 228);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, -360, 10, 0, 228), 0);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, 240, 10, 0, 228), 11);  // two notches: one step
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, 251, 10, 0, 228), 228);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, 120, 228, 0, 228), 228);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, -120, 0, 0, 228), 0);
  EXPECT_EQ(WheelPosition(WheelTarget::kStrips, 0, 10, 0, 228), 10);
  // Graph and XY sliders move one step for any turn.
  EXPECT_EQ(WheelPosition(WheelTarget::kGraph, 360, 10, 1, 255), 11);
  EXPECT_EQ(WheelPosition(WheelTarget::kGraph, -120, 1, 1, 255), 1);
  EXPECT_EQ(WheelPosition(WheelTarget::kBeamXY, -360, 10, 0, 253), 9);
  EXPECT_EQ(WheelPosition(WheelTarget::kBeamXY, 120, 253, 0, 253), 253);
  EXPECT_EQ(WheelPosition(WheelTarget::kNone, 360, 10, 0, 228), 10);
}

}  // namespace
}  // namespace kalvetro
