// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Line settings of a tty through the kernel's termios2 interface, which takes any baud rate
// (BOTHER). Kept apart because <asm/termbits.h> cannot share a file with <termios.h>.

#include <cstdint>

namespace kalvetro::serial {

struct LineParameters {
  std::uint32_t baudRate = 0;
  int dataBits = 8;          // 5..8
  int parity = 0;            // 0 none, 1 odd, 2 even, 3 mark, 4 space
  bool twoStopBits = false;  // also one and a half with five data bits
  bool checkParity = false;
};

enum class LineResult { Applied, Failed, RateRefused };

// Puts the tty into raw mode with the given settings. A rate that the driver replaces by one
// more than 3 % away is refused (and the previous settings are restored).
LineResult ApplyLineParameters(int fd, const LineParameters& line);

}  // namespace kalvetro::serial
