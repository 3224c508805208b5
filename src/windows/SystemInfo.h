// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kalvetro {

// The figures of one file system, as the system information window shows them.
struct DriveInfo {
  QString serial;  // the file-system id in decimal; empty when the folder cannot be queried
  QString free;    // free space in units of 1,000,000 bytes + " Mb"
  QString size;    // size in units of 1,000,000 bytes + " Mb"
};

// The computer the console runs on. Every text is "Unknown" where the value cannot be read.
struct SystemInfo {
  QString kernelVersion;  // "Linux 6.01": kernel major and minor, minor with two digits
  QString libcVersion;    // "glibc 2.36"
  QString processorType;  // comparable processor by cpu family; empty for other families
  QString totalPhys, availPhys, totalSwap, availSwap;  // KiB + " K"
  QString computer;      // vendor and product of the board, else the host name
  QString processor;     // model name
  QString mmx;           // "MMX" when the processor has it, "Нет" when it has not
  QString vendor;        // vendor id
  QString subversion;    // "6.1 (0.18-amd64)": major.minor (patch.rest of the release)
  QString platform;      // "Linux x86_64"
  QString osName;        // PRETTY_NAME of /etc/os-release
  QString organization;  // there is no such record on Linux: "Unknown"
  QString owner;         // the user's full name, else the login name
  QString serialNumber;  // /etc/machine-id
  QString homeDir;       // the home folder
};

// Memory, then computer, version and processor figures.
SystemInfo ReadSystemInfo();
// The figures of the file system holding `folder`; a folder that cannot be queried gives
// an empty serial and "0 Mb".
DriveInfo ReadDriveInfo(const QString& folder);

// The comparable processor of a cpu family: 3 "Intel 80386", 4 "Intel 80486",
// 5 "Intel Pentium", 6 "Intel Pentium III"; other families give an empty text.
QString ComparableProcessor(int family);
// Megabytes of a number of bytes as shown: bytes / 1,000,000 + " Mb".
QString MegabytesText(unsigned long long bytes);

}  // namespace kalvetro
