// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "playback/AudioLevel.h"
#include "playback/PcmSamples.h"

namespace kalvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutTag(Bytes& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}
// A chunk with its id, length and body (padded to an even length).
void Chunk(Bytes& b, const char* tag, const Bytes& body, std::uint32_t length) {
  PutTag(b, tag);
  Put(b, length, 4);
  for (std::uint8_t v : body) b.push_back(v);
  if (body.size() % 2) b.push_back(0);
}
void Chunk(Bytes& b, const char* tag, const Bytes& body) {
  Chunk(b, tag, body, static_cast<std::uint32_t>(body.size()));
}
Bytes Fmt(int tag, int channels, int rate, int bits, int subTag = 0) {
  Bytes f;
  Put(f, tag, 2);
  Put(f, channels, 2);
  Put(f, rate, 4);
  Put(f, rate * channels * bits / 8, 4);
  Put(f, channels * bits / 8, 2);
  Put(f, bits, 2);
  if (subTag) {
    Put(f, 22, 2);    // extension size
    Put(f, bits, 2);  // valid bits
    Put(f, 0, 4);     // channel mask
    Put(f, subTag, 2);
    for (int i = 0; i < 14; ++i) f.push_back(0);
  }
  return f;
}
Bytes Riff(const Bytes& chunks) {
  Bytes b;
  PutTag(b, "RIFF");
  Put(b, static_cast<std::uint32_t>(chunks.size() + 4), 4);
  PutTag(b, "WAVE");
  for (std::uint8_t v : chunks) b.push_back(v);
  return b;
}

TEST(PcmSamples, DecodesEveryFormatToFullScaleOne) {
  std::vector<float> out;
  DecodePcm(Bytes{128, 0, 255, 192}, PcmFormat::kUInt8, out);
  EXPECT_EQ(out, (std::vector<float>{0.0F, -1.0F, 127.0F / 128.0F, 0.5F}));

  // 16 bit: -32768, 32767, 16384; the odd last byte is no sample.
  DecodePcm(Bytes{0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40, 0x12}, PcmFormat::kInt16, out);
  EXPECT_EQ(out, (std::vector<float>{-1.0F, 32767.0F / 32768.0F, 0.5F}));

  // 24 bit: -8388608, 4194304, -1.
  DecodePcm(Bytes{0x00, 0x00, 0x80, 0x00, 0x00, 0x40, 0xFF, 0xFF, 0xFF}, PcmFormat::kInt24, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_FLOAT_EQ(out[0], -1.0F);
  EXPECT_FLOAT_EQ(out[1], 0.5F);
  EXPECT_FLOAT_EQ(out[2], -1.0F / 8388608.0F);

  DecodePcm(Bytes{0, 0, 0, 0x40, 0, 0, 0, 0x80}, PcmFormat::kInt32, out);
  EXPECT_EQ(out, (std::vector<float>{0.5F, -1.0F}));

  Bytes floats;
  for (float v : {0.25F, -0.75F}) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof(v));
    Put(floats, bits, 4);
  }
  DecodePcm(floats, PcmFormat::kFloat32, out);
  EXPECT_EQ(out, (std::vector<float>{0.25F, -0.75F}));

  DecodePcm(Bytes{}, PcmFormat::kInt16, out);
  EXPECT_TRUE(out.empty());
}

TEST(PcmSamples, ReadsWavFilesWithTheirChunksInAnyOrder) {
  // 16-bit stereo at 8000 Hz, an odd-sized chunk before the format, three frames.
  Bytes data;
  for (int v : {0, 16384, -16384, 32767, -32768, 8192}) Put(data, static_cast<std::uint16_t>(v), 2);
  Bytes chunks;
  Chunk(chunks, "LIST", Bytes{1, 2, 3});
  Chunk(chunks, "fmt ", Fmt(1, 2, 8000, 16));
  Chunk(chunks, "data", data);
  std::string error;
  auto wav = ParseWav(Riff(chunks), &error);
  ASSERT_TRUE(wav) << error;
  EXPECT_EQ(wav->rate, 8000);
  EXPECT_EQ(wav->channels, 2);
  EXPECT_EQ(wav->Frames(), 3u);
  EXPECT_EQ(wav->samples,
            (std::vector<float>{0.0F, 0.5F, -0.5F, 32767.0F / 32768.0F, -1.0F, 0.25F}));
  // Half of full scale is -6.02 dBFS: (40 - 6.02) / 40 * 99 = 84.1.
  EXPECT_EQ(AudioLevel(std::span<const float>(wav->samples.data(), 2)), 84);

  // Data before the format, float samples in the extensible layout.
  Bytes floats;
  for (float v : {0.125F, -1.0F}) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof(v));
    Put(floats, bits, 4);
  }
  chunks.clear();
  Chunk(chunks, "data", floats);
  Chunk(chunks, "fmt ", Fmt(0xFFFE, 1, 44100, 32, 3));
  wav = ParseWav(Riff(chunks), &error);
  ASSERT_TRUE(wav) << error;
  EXPECT_EQ(wav->rate, 44100);
  EXPECT_EQ(wav->samples, (std::vector<float>{0.125F, -1.0F}));

  // A data chunk that claims more than the file holds is cut at the end of the file, to whole
  // frames: 5 bytes of 8-bit stereo are two frames.
  chunks.clear();
  Chunk(chunks, "fmt ", Fmt(1, 2, 22050, 8));
  PutTag(chunks, "data");
  Put(chunks, 1000, 4);
  for (std::uint8_t v : {128, 0, 255, 128, 64}) chunks.push_back(v);
  wav = ParseWav(Riff(chunks), &error);
  ASSERT_TRUE(wav) << error;
  EXPECT_EQ(wav->Frames(), 2u);
  EXPECT_EQ(wav->samples.size(), 4u);
}

TEST(PcmSamples, RefusesWhatIsNoReadableWav) {
  std::string error;
  EXPECT_FALSE(ParseWav(Bytes{}, &error));
  EXPECT_EQ(error, "not a WAV file");
  Bytes notWave = Riff({});
  std::memcpy(notWave.data() + 8, "AVI ", 4);
  EXPECT_FALSE(ParseWav(notWave, &error));
  EXPECT_EQ(error, "not a WAV file");

  Bytes chunks;
  Chunk(chunks, "fmt ", Fmt(1, 1, 8000, 16));
  EXPECT_FALSE(ParseWav(Riff(chunks), &error));
  EXPECT_EQ(error, "no data chunk");

  chunks.clear();
  Chunk(chunks, "data", Bytes{0, 0});
  EXPECT_FALSE(ParseWav(Riff(chunks), &error));
  EXPECT_EQ(error, "no format chunk");

  for (const Bytes& format : {Fmt(1, 1, 8000, 12), Fmt(3, 1, 8000, 64), Fmt(2, 1, 8000, 4)}) {
    chunks.clear();
    Chunk(chunks, "fmt ", format);
    Chunk(chunks, "data", Bytes{0, 0, 0, 0});
    EXPECT_FALSE(ParseWav(Riff(chunks), &error));
    EXPECT_EQ(error, "unsupported sample format (PCM 8/16/24/32 bit or float 32 bit)");
  }

  chunks.clear();
  Chunk(chunks, "fmt ", Fmt(1, 0, 8000, 16));
  Chunk(chunks, "data", Bytes{0, 0});
  EXPECT_FALSE(ParseWav(Riff(chunks), &error));
  EXPECT_EQ(error, "no sample rate or no channels");
}

}  // namespace
}  // namespace kalvetro
