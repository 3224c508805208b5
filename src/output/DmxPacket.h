// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The byte stream of the DMX interface: one packet per output tick, a fixed six-byte header
// followed by the 256 levels of OutputFrame slots 1..256, each level 0xFF sent as 0xFF 0xFE.
// No length, terminator or checksum follows; the next packet starts with the header again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "output/OutputFrames.h"

namespace kalvetro {

inline constexpr std::array<std::uint8_t, 6> kDmxHeader = {0xFF, 0xF0, 0xFF, 0xFF, 0xF1, 0x00};
inline constexpr int kDmxDataSlots = 256;
inline constexpr std::uint8_t kDmxEscape = 0xFF;           // a level 0xFF ...
inline constexpr std::uint8_t kDmxEscapeNext = 0xFE;       // ... is followed by this byte
inline constexpr std::size_t kDmxMinPacket = 6 + 256;      // no level 0xFF
inline constexpr std::size_t kDmxMaxPacket = 6 + 2 * 256;  // every level 0xFF
inline constexpr long kDmxLinkBaud = 115200;
inline constexpr int kLineBitsPerByte = 10;  // start bit, 8 data bits, stop bit

// Writes the packet of OutputFrame slots 1..256 into out in one pass and returns its length;
// slot 0 is never sent. Returns 0 when out is shorter than kDmxMaxPacket.
std::size_t BuildDmxPacket(const OutputFrames& frames, std::span<std::uint8_t> out);

// Time that bytes take on a line of the given rate, in microseconds.
long long LineTimeMicros(std::size_t bytes, long baud);

// Whether a packet written behind `queued` bytes that still wait in the driver leaves the
// line within one period. A packet that does not is dropped rather than queued behind the
// last one, so the output never falls further and further behind the show.
bool PacketFitsPeriod(std::size_t queued, std::size_t packet, long baud, long long periodMicros);

// One decoded packet. levels[n - 1] is the level of channel n (n = 1..256); timeNs is the
// arrival time of the chunk in which the packet's header began.
struct DmxFrame {
  std::array<std::uint8_t, kDmxDataSlots> levels{};
  std::int64_t timeNs = 0;
};

// Decodes the packet stream as it arrives, in chunks of any size. Bytes that do not fit the
// format (a missing header, 0xFF followed by anything but 0xFE, a packet cut short by the next
// header, bytes between packets) are counted and skipped until the next header; bytes before
// the first header (a stream joined in the middle) are skipped without counting as malformed.
class DmxStreamDecoder {
 public:
  using FrameHandler = std::function<void(const DmxFrame&)>;

  void Feed(std::span<const std::uint8_t> bytes, std::int64_t timeNs, const FrameHandler& onFrame);

  long Frames() const { return frames_; }
  long Malformed() const { return malformed_; }
  long SkippedBytes() const { return skipped_; }

 private:
  enum class State { Header, Data, Escape };
  // Header state: takes byte b, keeping the longest header prefix that ends with it.
  void MatchHeader(std::uint8_t b, std::int64_t timeNs);
  void Store(std::uint8_t level, const FrameHandler& onFrame);
  void BrokenPacket();

  State state_ = State::Header;
  int matched_ = 0;         // header bytes matched so far
  bool inGarbage_ = false;  // inside a run of skipped bytes already counted
  int slot_ = 0;
  DmxFrame current_;
  std::int64_t headerTime_ = 0;
  long frames_ = 0;
  long malformed_ = 0;
  long skipped_ = 0;
};

}  // namespace kalvetro
