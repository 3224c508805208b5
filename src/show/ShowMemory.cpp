// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/ShowMemory.h"

namespace kalvetro {

void ShowMemory::Fill(int offset, int count, std::uint8_t value) {
  for (int i = 0; i < count; ++i) Set(offset + i, value);
}

void ShowMemory::Read(int offset, std::span<std::uint8_t> out) const {
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = Get(offset + static_cast<int>(i));
}

void ShowMemory::Write(int offset, std::span<const std::uint8_t> in) {
  for (std::size_t i = 0; i < in.size(); ++i) Set(offset + static_cast<int>(i), in[i]);
}

void ShowMemory::Move(int from, int to, int count) {
  if (from == to || count <= 0) return;
  if (to < from) {
    for (int i = 0; i < count; ++i) Set(to + i, Get(from + i));
  } else {
    for (int i = count - 1; i >= 0; --i) Set(to + i, Get(from + i));
  }
}

void ShowMemory::CopyFrom(const ShowMemory& other) {
  for (int i = 0; i < kShowMemorySize; ++i) Set(i, other.Get(i));
}

}  // namespace kalvetro
