// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/KeyMap.h"

#include <QtCore/qnamespace.h>

#include <array>

namespace kalvetro {

namespace {

// Windows key numbers of keys that are neither digits nor letters.
constexpr int kVkBack = 8;
constexpr int kVkTab = 9;
constexpr int kVkReturn = 13;
constexpr int kVkShift = 16;
constexpr int kVkAlt = 18;
constexpr int kVkCapital = 20;
constexpr int kVkEscape = 27;
constexpr int kVkPageUp = 33;
constexpr int kVkPageDown = 34;
constexpr int kVkEnd = 35;
constexpr int kVkHome = 36;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;
constexpr int kVkInsert = 45;
constexpr int kVkDelete = 46;
constexpr int kVkMultiply = 106;
constexpr int kVkAdd = 107;
constexpr int kVkSubtract = 109;
constexpr int kVkDecimal = 110;
constexpr int kVkDivide = 111;
constexpr int kVkF1 = 112;
constexpr int kVkNumLock = 144;
constexpr int kVkScroll = 145;
constexpr int kVkSemicolon = 186;
constexpr int kVkComma = 188;
constexpr int kVkPeriod = 190;
constexpr int kVkSlash = 191;
constexpr int kVkGrave = 192;
constexpr int kVkBracketLeft = 219;
constexpr int kVkBackslash = 220;
constexpr int kVkBracketRight = 221;
constexpr int kVkQuote = 222;

constexpr int Letter(char c) {
  return c;
}

// Key codes by X11 keycode (evdev code + 8) on a 105-key PC keyboard.
constexpr std::array<int, 128> MakeScanTable() {
  std::array<int, 128> t{};
  t[9] = kVkEscape;
  for (int i = 0; i < 9; ++i) t[10 + i] = kVkDigit0 + 1 + i;  // 1..9
  t[19] = kVkDigit0;
  t[20] = kVkMinus;
  t[21] = kVkPlus;
  t[22] = kVkBack;
  t[23] = kVkTab;
  const char top[] = "QWERTYUIOP";
  for (int i = 0; i < 10; ++i) t[24 + i] = Letter(top[i]);
  t[34] = kVkBracketLeft;
  t[35] = kVkBracketRight;
  t[36] = kVkReturn;
  t[37] = kVkCtrl;  // left Ctrl
  const char middle[] = "ASDFGHJKL";
  for (int i = 0; i < 9; ++i) t[38 + i] = Letter(middle[i]);
  t[47] = kVkSemicolon;
  t[48] = kVkQuote;
  t[49] = kVkGrave;
  t[50] = kVkShift;
  t[51] = kVkBackslash;
  const char bottom[] = "ZXCVBNM";
  for (int i = 0; i < 7; ++i) t[52 + i] = Letter(bottom[i]);
  t[59] = kVkComma;
  t[60] = kVkPeriod;
  t[61] = kVkSlash;
  t[62] = kVkShift;
  t[63] = kVkMultiply;
  t[64] = kVkAlt;
  t[65] = kVkSpace;
  t[66] = kVkCapital;
  for (int i = 0; i < 10; ++i) t[67 + i] = kVkF1 + i;  // F1..F10
  t[77] = kVkNumLock;
  t[78] = kVkScroll;
  // Keypad: 7 8 9 - / 4 5 6 + / 1 2 3 / 0 .
  t[79] = kVkNumpad0 + 7;
  t[80] = kVkNumpad0 + 8;
  t[81] = kVkNumpad0 + 9;
  t[82] = kVkSubtract;
  t[83] = kVkNumpad0 + 4;
  t[84] = kVkNumpad0 + 5;
  t[85] = kVkNumpad0 + 6;
  t[86] = kVkAdd;
  t[87] = kVkNumpad0 + 1;
  t[88] = kVkNumpad0 + 2;
  t[89] = kVkNumpad0 + 3;
  t[90] = kVkNumpad0;
  t[91] = kVkDecimal;
  t[94] = kVkBackslash;  // the extra key left of Z
  t[95] = kVkF1 + 10;    // F11
  t[96] = kVkF1 + 11;    // F12
  t[104] = kVkReturn;    // keypad Enter
  t[105] = kVkCtrl;      // right Ctrl
  t[106] = kVkDivide;
  t[108] = kVkAlt;  // right Alt
  t[110] = kVkHome;
  t[111] = kVkUp;
  t[112] = kVkPageUp;
  t[113] = kVkLeft;
  t[114] = kVkRight;
  t[115] = kVkEnd;
  t[116] = kVkDown;
  t[117] = kVkPageDown;
  t[118] = kVkInsert;
  t[119] = kVkDelete;
  return t;
}

constexpr std::array<int, 128> kScanTable = MakeScanTable();

// Upper-case Cyrillic letters А..Я (U+0410..U+042F) by their place on the Russian layout.
constexpr std::array<int, 32> kCyrillicPlaces = {
    Letter('F'),      // А
    kVkComma,         // Б
    Letter('D'),      // В
    Letter('U'),      // Г
    Letter('L'),      // Д
    Letter('T'),      // Е
    kVkSemicolon,     // Ж
    Letter('P'),      // З
    Letter('B'),      // И
    Letter('Q'),      // Й
    Letter('R'),      // К
    Letter('K'),      // Л
    Letter('V'),      // М
    Letter('Y'),      // Н
    Letter('J'),      // О
    Letter('G'),      // П
    Letter('H'),      // Р
    Letter('C'),      // С
    Letter('N'),      // Т
    Letter('E'),      // У
    Letter('A'),      // Ф
    kVkBracketLeft,   // Х
    Letter('W'),      // Ц
    Letter('X'),      // Ч
    Letter('I'),      // Ш
    Letter('O'),      // Щ
    kVkBracketRight,  // Ъ
    Letter('S'),      // Ы
    Letter('M'),      // Ь
    kVkQuote,         // Э
    kVkPeriod,        // Ю
    Letter('Z'),      // Я
};

struct QtKeyCode {
  int key;
  int code;
};

// Keys of the Latin layout that are neither digits, letters nor function keys. The shifted
// digits keep the digit's code, as the key is the same.
constexpr QtKeyCode kQtKeys[] = {
    {Qt::Key_Space, kVkSpace},
    {Qt::Key_Control, kVkCtrl},
    {Qt::Key_Shift, kVkShift},
    {Qt::Key_Alt, kVkAlt},
    {Qt::Key_Escape, kVkEscape},
    {Qt::Key_Tab, kVkTab},
    {Qt::Key_Backtab, kVkTab},
    {Qt::Key_Backspace, kVkBack},
    {Qt::Key_Return, kVkReturn},
    {Qt::Key_Enter, kVkReturn},
    {Qt::Key_CapsLock, kVkCapital},
    {Qt::Key_NumLock, kVkNumLock},
    {Qt::Key_ScrollLock, kVkScroll},
    {Qt::Key_Insert, kVkInsert},
    {Qt::Key_Delete, kVkDelete},
    {Qt::Key_Home, kVkHome},
    {Qt::Key_End, kVkEnd},
    {Qt::Key_PageUp, kVkPageUp},
    {Qt::Key_PageDown, kVkPageDown},
    {Qt::Key_Left, kVkLeft},
    {Qt::Key_Up, kVkUp},
    {Qt::Key_Right, kVkRight},
    {Qt::Key_Down, kVkDown},
    {Qt::Key_Equal, kVkPlus},
    {Qt::Key_Plus, kVkPlus},
    {Qt::Key_Minus, kVkMinus},
    {Qt::Key_Underscore, kVkMinus},
    {Qt::Key_Slash, kVkSlash},
    {Qt::Key_Question, kVkSlash},
    {Qt::Key_Period, kVkPeriod},
    {Qt::Key_Greater, kVkPeriod},
    {Qt::Key_Comma, kVkComma},
    {Qt::Key_Less, kVkComma},
    {Qt::Key_Semicolon, kVkSemicolon},
    {Qt::Key_Colon, kVkSemicolon},
    {Qt::Key_Apostrophe, kVkQuote},
    {Qt::Key_QuoteDbl, kVkQuote},
    {Qt::Key_QuoteLeft, kVkGrave},
    {Qt::Key_AsciiTilde, kVkGrave},
    {Qt::Key_BracketLeft, kVkBracketLeft},
    {Qt::Key_BraceLeft, kVkBracketLeft},
    {Qt::Key_BracketRight, kVkBracketRight},
    {Qt::Key_BraceRight, kVkBracketRight},
    {Qt::Key_Backslash, kVkBackslash},
    {Qt::Key_Bar, kVkBackslash},
    {Qt::Key_Exclam, kVkDigit0 + 1},
    {Qt::Key_At, kVkDigit0 + 2},
    {Qt::Key_NumberSign, kVkDigit0 + 3},
    {Qt::Key_Dollar, kVkDigit0 + 4},
    {Qt::Key_Percent, kVkDigit0 + 5},
    {Qt::Key_AsciiCircum, kVkDigit0 + 6},
    {Qt::Key_Ampersand, kVkDigit0 + 7},
    {Qt::Key_Asterisk, kVkDigit0 + 8},
    {Qt::Key_ParenLeft, kVkDigit0 + 9},
    {Qt::Key_ParenRight, kVkDigit0},
    {0x401, kVkGrave},  // Ё
    {0x451, kVkGrave},  // ё
};

// Keypad keys as Qt reports them with the keypad modifier.
constexpr QtKeyCode kQtKeypadKeys[] = {
    {Qt::Key_Plus, kVkAdd},     {Qt::Key_Minus, kVkSubtract}, {Qt::Key_Asterisk, kVkMultiply},
    {Qt::Key_Slash, kVkDivide}, {Qt::Key_Period, kVkDecimal}, {Qt::Key_Comma, kVkDecimal},
    {Qt::Key_Enter, kVkReturn},
};

int FromQtKey(int key, bool keypad) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return (keypad ? kVkNumpad0 : kVkDigit0) + (key - Qt::Key_0);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return kVkLetterA + (key - Qt::Key_A);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kVkF1 + (key - Qt::Key_F1);
  if (key >= 0x410 && key <= 0x42F) return kCyrillicPlaces[key - 0x410];  // А..Я
  if (key >= 0x430 && key <= 0x44F) return kCyrillicPlaces[key - 0x430];  // а..я
  if (keypad)
    for (const QtKeyCode& entry : kQtKeypadKeys)
      if (entry.key == key) return entry.code;
  for (const QtKeyCode& entry : kQtKeys)
    if (entry.key == key) return entry.code;
  return kVkNone;
}

}  // namespace

int VirtualKeyCode(std::uint32_t nativeScanCode, int qtKey, bool keypad) {
  if (nativeScanCode != 0 && nativeScanCode < kScanTable.size()) {
    const int code = kScanTable[nativeScanCode];
    if (code != kVkNone) return code;
  }
  return FromQtKey(qtKey, keypad);
}

std::string KeyLabelText(int virtualKey) {
  return "NomberKey is " + std::to_string(virtualKey);
}

int PictureOfKey(int virtualKey) {
  if (virtualKey >= kVkDigit0 + 1 && virtualKey <= kVkDigit0 + 8) return virtualKey - kVkDigit0 - 1;
  switch (virtualKey) {
    case kVkSpace:
      return 8;
    case 'Z':
      return 9;
    case 'X':
      return 10;
    case 'C':
      return 11;
    case 'V':
      return 12;
    case 'B':
      return 13;
    case 'N':
      return 14;
    case 'M':
      return 15;
    default:
      return -1;
  }
}

int ConveyorSlotOfKey(int virtualKey) {
  static constexpr char kSlotKeys[] = "QWERTYUIOPASDFGHJKL";
  for (int i = 0; kSlotKeys[i] != '\0'; ++i)
    if (virtualKey == kSlotKeys[i]) return i + 1;
  return 0;
}

KeyAction KeyMap::KeyDown(int virtualKey, bool autoRepeat, bool conveyorKeys) {
  if (virtualKey == kVkCtrl) {
    ctrlHeld_ = true;
    return {};
  }
  const int picture = PictureOfKey(virtualKey);
  if (picture >= 0) return {KeyActionKind::kPictureOn, picture};
  if (autoRepeat) return {};
  switch (virtualKey) {
    case kVkDigit0:
      return {KeyActionKind::kBlackOutToggle, 0};
    case kVkPlus:
      return {KeyActionKind::kPlay, 0};
    case kVkMinus:
      return {KeyActionKind::kStop, 0};
    default:
      break;
  }
  if (conveyorKeys) {
    const int slot = ConveyorSlotOfKey(virtualKey);
    if (slot > 0) return {KeyActionKind::kConveyorSlot, slot};
  }
  return {};
}

KeyAction KeyMap::KeyUp(int virtualKey, bool autoRepeat) {
  if (autoRepeat) return {};
  if (virtualKey == kVkCtrl) {
    ctrlHeld_ = false;
    return {};
  }
  const int picture = PictureOfKey(virtualKey);
  if (picture >= 0 && !ctrlHeld_) return {KeyActionKind::kPictureOff, picture};
  return {};
}

int WheelPosition(WheelTarget target, int delta, int position, int minimum, int maximum) {
  if (target == WheelTarget::kNone) return position;
  if (delta > 0) ++position;
  if (delta < 0) --position;
  if (target == WheelTarget::kStrips) {
    if (delta > 250) position = maximum;
    if (delta < -250) position = minimum;
  }
  return position < minimum ? minimum : (position > maximum ? maximum : position);
}

}  // namespace kalvetro
