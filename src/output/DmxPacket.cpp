// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/DmxPacket.h"

#include <algorithm>

namespace kalvetro {

std::size_t BuildDmxPacket(const OutputFrames& frames, std::span<std::uint8_t> out) {
  if (out.size() < kDmxMaxPacket) return 0;
  // One whole frame, read in words as the tick published it.
  std::uint8_t frame[kFrameBytes];
  frames.ReadFrame(frame);
  std::uint8_t* p = out.data();
  for (std::uint8_t b : kDmxHeader) *p++ = b;
  for (int slot = 1; slot <= kDmxDataSlots; ++slot) {
    const std::uint8_t level = frame[slot];
    *p++ = level;
    if (level == kDmxEscape) *p++ = kDmxEscapeNext;
  }
  return static_cast<std::size_t>(p - out.data());
}

long long LineTimeMicros(std::size_t bytes, long baud) {
  if (baud <= 0) return 0;
  return static_cast<long long>(bytes) * kLineBitsPerByte * 1000000LL / baud;
}

bool PacketFitsPeriod(std::size_t queued, std::size_t packet, long baud, long long periodMicros) {
  return LineTimeMicros(queued + packet, baud) <= periodMicros;
}

void DmxStreamDecoder::Feed(std::span<const std::uint8_t> bytes, std::int64_t timeNs,
                            const FrameHandler& onFrame) {
  for (std::uint8_t b : bytes) {
    switch (state_) {
      case State::Header:
        MatchHeader(b, timeNs);
        break;
      case State::Data:
        if (b == kDmxEscape)
          state_ = State::Escape;
        else
          Store(b, onFrame);
        break;
      case State::Escape:
        if (b == kDmxEscapeNext) {
          state_ = State::Data;
          Store(kDmxEscape, onFrame);
        } else {
          // 0xFF without 0xFE: the packet is broken. The 0xFF may be the start of the next
          // header (a packet cut short), so it is matched again together with this byte.
          BrokenPacket();
          skipped_ -= 1;  // the 0xFF is taken back as a header byte
          state_ = State::Header;
          matched_ = 1;
          headerTime_ = timeNs;
          MatchHeader(b, timeNs);
        }
        break;
    }
  }
}

void DmxStreamDecoder::MatchHeader(std::uint8_t b, std::int64_t timeNs) {
  if (b == kDmxHeader[static_cast<std::size_t>(matched_)]) {
    if (matched_ == 0) headerTime_ = timeNs;
    if (++matched_ == static_cast<int>(kDmxHeader.size())) {
      state_ = State::Data;
      matched_ = 0;
      slot_ = 0;
      inGarbage_ = false;
    }
    return;
  }
  // The matched bytes plus b are not a header; keep the longest tail of them that still
  // begins one (as with FF F0 FF FF F0 ...).
  std::array<std::uint8_t, 6> window{};
  std::copy_n(kDmxHeader.begin(), matched_, window.begin());
  window[static_cast<std::size_t>(matched_)] = b;
  const int length = matched_ + 1;
  int keep = 0;
  for (int k = std::min(length - 1, 5); k > 0; --k) {
    if (std::equal(window.begin() + (length - k), window.begin() + length, kDmxHeader.begin())) {
      keep = k;
      break;
    }
  }
  skipped_ += length - keep;
  // Garbage before the first packet is a stream joined in the middle, not a fault.
  if (!inGarbage_ && frames_ + malformed_ > 0) ++malformed_;
  inGarbage_ = true;
  matched_ = keep;
  if (keep == 1) headerTime_ = timeNs;  // the header may start with this very byte
}

void DmxStreamDecoder::Store(std::uint8_t level, const FrameHandler& onFrame) {
  current_.levels[static_cast<std::size_t>(slot_++)] = level;
  if (slot_ < kDmxDataSlots) return;
  current_.timeNs = headerTime_;
  ++frames_;
  state_ = State::Header;
  slot_ = 0;
  if (onFrame) onFrame(current_);
}

void DmxStreamDecoder::BrokenPacket() {
  ++malformed_;
  skipped_ += 6 + slot_ + 1;
  inGarbage_ = true;
  slot_ = 0;
}

}  // namespace kalvetro
