// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/ShowFile.h"

#include <array>
#include <cstdint>

namespace kalvetro {

Result LoadShowFile(const std::string& path, ShowMemory& memory) {
  std::array<std::uint8_t, kShowFileSize> image{};
  Result result = ReadFileImage(path, image);
  if (result.ok) memory.Write(0, image);
  return result;
}

Result SaveShowFile(const std::string& path, const ShowMemory& memory) {
  std::array<std::uint8_t, kShowFileSize> image{};
  memory.Read(0, image);
  return WriteFileAtomically(path, image);
}

}  // namespace kalvetro
