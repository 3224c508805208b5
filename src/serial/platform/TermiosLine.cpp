// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/platform/TermiosLine.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cstdlib>

// <sys/ioctl.h> would bring the C library's termios definitions, which clash with the kernel's.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace kalvetro::serial {

LineResult ApplyLineParameters(int fd, const LineParameters& line) {
  struct termios2 before {};
  if (ioctl(fd, TCGETS2, &before) != 0) return LineResult::Failed;
  struct termios2 tio = before;

  // Raw mode: no input or output processing, no echo, no signals, no flow control.
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK | IGNPAR);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS |
                                        CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= CREAD | CLOCAL | HUPCL | BOTHER | (BOTHER << IBSHIFT);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;

  switch (line.dataBits) {
    case 5:
      tio.c_cflag |= CS5;
      break;
    case 6:
      tio.c_cflag |= CS6;
      break;
    case 7:
      tio.c_cflag |= CS7;
      break;
    default:
      tio.c_cflag |= CS8;
      break;
  }
  switch (line.parity) {
    case 1:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 2:
      tio.c_cflag |= PARENB;
      break;
    case 3:
      tio.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 4:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (line.checkParity && line.parity != 0) tio.c_iflag |= INPCK;
  if (line.twoStopBits) tio.c_cflag |= CSTOPB;
  tio.c_ispeed = line.baudRate;
  tio.c_ospeed = line.baudRate;

  if (ioctl(fd, TCSETS2, &tio) != 0) return LineResult::Failed;

  // The driver writes back the rate it really uses; one far from the asked rate is refused.
  struct termios2 after {};
  if (ioctl(fd, TCGETS2, &after) != 0) return LineResult::Failed;
  const long asked = static_cast<long>(line.baudRate);
  const long got = static_cast<long>(after.c_ospeed);
  if (asked == 0 || std::labs(got - asked) * 100 > asked * 3) {
    ioctl(fd, TCSETS2, &before);
    return LineResult::RateRefused;
  }
  return LineResult::Applied;
}

}  // namespace kalvetro::serial
