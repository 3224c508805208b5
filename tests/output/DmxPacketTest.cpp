// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/DmxPacket.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kalvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Build(const OutputFrames& frames) {
  std::array<std::uint8_t, 10004> buffer{};
  buffer.fill(0xAA);  // whatever the buffer held before must not leak into the packet
  const std::size_t n = BuildDmxPacket(frames, buffer);
  return Bytes(buffer.begin(), buffer.begin() + static_cast<long>(n));
}

// The header as a DMX interface expects it on the wire, written out here byte by byte and not
// taken from the encoder's own constant, so that a wrong header byte cannot pass unseen.
Bytes Header() {
  return Bytes{0xFF, 0xF0, 0xFF, 0xFF, 0xF1, 0x00};
}

std::vector<DmxFrame> Decode(DmxStreamDecoder& decoder, const Bytes& bytes, std::int64_t t = 0) {
  std::vector<DmxFrame> frames;
  decoder.Feed(bytes, t, [&](const DmxFrame& f) { frames.push_back(f); });
  return frames;
}

TEST(DmxPacketTest, FramesBecomePacketsOfTheWireFormat) {
  // All zeros: header and 256 zero bytes.
  OutputFrames zeros;
  Bytes expected = Header();
  expected.resize(262, 0x00);
  EXPECT_EQ(Build(zeros), expected);

  // Slot 10 at 0xFF, slots 1..255 otherwise 0x01, slot 256 zero: 263 bytes.
  OutputFrames one;
  for (int s = 1; s <= 255; ++s) one.SetOutput(s, 0x01);
  one.SetOutput(10, 0xFF);
  expected = Header();
  expected.insert(expected.end(), 9, 0x01);
  expected.insert(expected.end(), {0xFF, 0xFE});
  expected.insert(expected.end(), 245, 0x01);
  expected.push_back(0x00);
  EXPECT_EQ(Build(one), expected);
  EXPECT_EQ(expected.size(), 263u);

  // Slots 0..255 at 0xFF: slot 0 is never sent, 255 escaped pairs and a final zero.
  OutputFrames full;
  for (int s = 0; s <= 255; ++s) full.SetOutput(s, 0xFF);
  expected = Header();
  for (int s = 1; s <= 255; ++s) expected.insert(expected.end(), {0xFF, 0xFE});
  expected.push_back(0x00);
  EXPECT_EQ(Build(full), expected);
  EXPECT_EQ(expected.size(), 517u);

  // Slot 256 is sent too; with it at 0xFF the packet reaches its largest size.
  full.SetOutput(256, 0xFF);
  EXPECT_EQ(Build(full).size(), kDmxMaxPacket);

  // A buffer that could not hold the largest packet is refused.
  std::array<std::uint8_t, 517> small{};
  EXPECT_EQ(BuildDmxPacket(full, small), 0u);
}

TEST(DmxPacketTest, AShortPacketIsExactlyTheBytesTheInterfaceReads) {
  OutputFrames frames;
  frames.SetOutput(0, 0x77);  // slot 0 is never sent
  frames.SetOutput(1, 0x12);
  frames.SetOutput(2, 0xFF);
  frames.SetOutput(3, 0xFE);  // 254 is a plain level: only 255 is escaped
  frames.SetOutput(256, 0x34);
  Bytes expected{0xFF, 0xF0, 0xFF, 0xFF, 0xF1, 0x00, 0x12, 0xFF, 0xFE, 0xFE};
  expected.insert(expected.end(), 252, 0x00);  // channels 4..255
  expected.push_back(0x34);                    // channel 256
  const Bytes packet = Build(frames);
  ASSERT_EQ(packet.size(), 263u);
  EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 6), (Bytes{0xFF, 0xF0, 0xFF, 0xFF, 0xF1, 0x00}));
  EXPECT_EQ(packet, expected);
}

TEST(DmxPacketTest, LineBudgetAdmitsOnlyPacketsThatLeaveWithinTheTick) {
  // 262 bytes at 115,200 baud take 22.7 ms; 518 bytes 45 ms.
  EXPECT_NEAR(LineTimeMicros(262, kDmxLinkBaud) / 1000.0, 22.7, 0.1);
  EXPECT_NEAR(LineTimeMicros(518, kDmxLinkBaud) / 1000.0, 45.0, 0.1);
  EXPECT_TRUE(PacketFitsPeriod(0, 518, kDmxLinkBaud, 50000));
  // 576 bytes fill a 50 ms tick exactly; one more does not fit.
  EXPECT_TRUE(PacketFitsPeriod(314, 262, kDmxLinkBaud, 50000));
  EXPECT_FALSE(PacketFitsPeriod(315, 262, kDmxLinkBaud, 50000));
  // A previous largest packet still on the line leaves no room for another.
  EXPECT_FALSE(PacketFitsPeriod(518, 262, kDmxLinkBaud, 50000));
  EXPECT_FALSE(PacketFitsPeriod(0, 262, 9600, 50000));
}

TEST(DmxPacketTest, DecoderRestoresEveryFrameFromChunksOfAnySize) {
  OutputFrames frames;
  for (int s = 1; s <= 256; ++s) frames.SetOutput(s, static_cast<std::uint8_t>(s * 37 % 256));
  frames.SetOutput(1, 0xFF);
  frames.SetOutput(256, 0xFF);
  frames.SetOutput(100, 0xFE);
  const Bytes packet = Build(frames);

  // Three packets in one stream, fed one byte, then 7 bytes, then everything at a time.
  Bytes stream;
  for (int i = 0; i < 3; ++i) stream.insert(stream.end(), packet.begin(), packet.end());
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, stream.size()}) {
    DmxStreamDecoder decoder;
    std::vector<DmxFrame> got;
    for (std::size_t i = 0; i < stream.size(); i += chunk) {
      const std::size_t n = std::min(chunk, stream.size() - i);
      decoder.Feed(std::span<const std::uint8_t>(stream.data() + i, n),
                   static_cast<std::int64_t>(i), [&](const DmxFrame& f) { got.push_back(f); });
    }
    ASSERT_EQ(got.size(), 3u) << "chunk " << chunk;
    for (int s = 1; s <= 256; ++s) EXPECT_EQ(got[2].levels[s - 1], frames.Output(s));
    EXPECT_EQ(decoder.Malformed(), 0);
    EXPECT_EQ(decoder.SkippedBytes(), 0);
    if (chunk == 1) {
      // Each frame is stamped with the arrival of its header's first byte.
      EXPECT_EQ(got[0].timeNs, 0);
      EXPECT_EQ(got[1].timeNs, static_cast<std::int64_t>(packet.size()));
    }
  }
}

TEST(DmxPacketTest, DecoderCountsMalformedPacketsAndResynchronises) {
  OutputFrames frames;
  for (int s = 1; s <= 256; ++s) frames.SetOutput(s, 0x10);
  const Bytes good = Build(frames);

  // Joining a stream in the middle is not a fault: the tail of a packet is skipped.
  DmxStreamDecoder joined;
  Bytes tail(good.begin() + 100, good.end());
  tail.insert(tail.end(), good.begin(), good.end());
  EXPECT_EQ(Decode(joined, tail).size(), 1u);
  EXPECT_EQ(joined.Malformed(), 0);
  EXPECT_GT(joined.SkippedBytes(), 0);

  // A packet cut short by the next header, an escape that is not FF FE, garbage between
  // packets: each counts once and the following good packet still decodes.
  DmxStreamDecoder decoder;
  Bytes stream = good;
  stream.insert(stream.end(), good.begin(), good.begin() + 50);  // cut short
  stream.insert(stream.end(), good.begin(), good.end());
  Bytes badEscape = good;
  badEscape[20] = 0xFF;
  badEscape[21] = 0x33;
  stream.insert(stream.end(), badEscape.begin(), badEscape.end());
  stream.insert(stream.end(), good.begin(), good.end());
  stream.insert(stream.end(), {0x01, 0x02, 0x03});  // garbage
  stream.insert(stream.end(), good.begin(), good.end());
  const auto got = Decode(decoder, stream);
  EXPECT_EQ(got.size(), 4u);
  EXPECT_EQ(decoder.Malformed(), 3);
  for (const auto& f : got) EXPECT_EQ(f.levels[0], 0x10);

  // A cut just after an escape byte: FF then the next header's FF F0.
  DmxStreamDecoder escapeCut;
  OutputFrames withFf;
  withFf.SetOutput(5, 0xFF);
  const Bytes ffPacket = Build(withFf);
  Bytes cut(ffPacket.begin(), ffPacket.begin() + 6 + 5);  // up to the FF of slot 5
  cut.insert(cut.end(), good.begin(), good.end());
  EXPECT_EQ(Decode(escapeCut, cut).size(), 1u);
  EXPECT_EQ(escapeCut.Malformed(), 1);

  // A header whose prefix repeats (FF F0 FF + FF F0 FF FF F1 00) is still found.
  DmxStreamDecoder overlap;
  Bytes tricky = {0xFF, 0xF0, 0xFF};
  tricky.insert(tricky.end(), good.begin(), good.end());
  EXPECT_EQ(Decode(overlap, tricky).size(), 1u);

  // Random noise never crashes the decoder and yields no frame.
  DmxStreamDecoder noise;
  Bytes random(5000);
  std::uint32_t x = 12345;
  for (auto& b : random) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  EXPECT_TRUE(Decode(noise, random).empty());
}

}  // namespace
}  // namespace kalvetro
