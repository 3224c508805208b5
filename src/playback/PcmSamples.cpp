// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PcmSamples.h"

#include <algorithm>
#include <cstring>

namespace kalvetro {
namespace {

std::uint32_t Le(const std::uint8_t* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

bool Tag(const std::uint8_t* p, const char* tag) {
  return std::memcmp(p, tag, 4) == 0;
}

}  // namespace

int PcmBytesPerSample(PcmFormat format) {
  switch (format) {
    case PcmFormat::kUInt8:
      return 1;
    case PcmFormat::kInt16:
      return 2;
    case PcmFormat::kInt24:
      return 3;
    case PcmFormat::kInt32:
    case PcmFormat::kFloat32:
      return 4;
  }
  return 1;
}

void DecodePcm(std::span<const std::uint8_t> bytes, PcmFormat format, std::vector<float>& out) {
  const int width = PcmBytesPerSample(format);
  const std::size_t count = bytes.size() / width;
  out.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* s = bytes.data() + i * width;
    switch (format) {
      case PcmFormat::kUInt8:
        out[i] = (static_cast<int>(s[0]) - 128) / 128.0F;
        break;
      case PcmFormat::kInt16:
        out[i] = static_cast<std::int16_t>(Le(s, 2)) / 32768.0F;
        break;
      case PcmFormat::kInt24: {
        // Sign-extend through the top byte of a 32-bit word.
        const auto raw = static_cast<std::int32_t>(Le(s, 3) << 8);
        out[i] = static_cast<float>((raw / 256) / 8388608.0);
        break;
      }
      case PcmFormat::kInt32:
        out[i] = static_cast<float>(static_cast<std::int32_t>(Le(s, 4)) / 2147483648.0);
        break;
      case PcmFormat::kFloat32: {
        const std::uint32_t bits = Le(s, 4);
        float v;
        std::memcpy(&v, &bits, sizeof(v));
        out[i] = v;
        break;
      }
    }
  }
}

std::optional<WavSamples> ParseWav(std::span<const std::uint8_t> file, std::string* error) {
  auto fail = [error](const char* reason) -> std::optional<WavSamples> {
    if (error) *error = reason;
    return std::nullopt;
  };
  const std::uint8_t* p = file.data();
  const std::size_t size = file.size();
  if (size < 12 || !Tag(p, "RIFF") || !Tag(p + 8, "WAVE")) return fail("not a WAV file");

  int tag = 0;
  int bits = 0;
  WavSamples wav;
  std::span<const std::uint8_t> data;
  bool haveFormat = false;
  bool haveData = false;
  for (std::size_t at = 12; at + 8 <= size;) {
    const std::size_t length = Le(p + at + 4, 4);
    const std::size_t body = at + 8;
    const std::size_t available = std::min(length, size - body);
    if (Tag(p + at, "fmt ") && available >= 16) {
      tag = static_cast<int>(Le(p + body, 2));
      wav.channels = static_cast<int>(Le(p + body + 2, 2));
      wav.rate = static_cast<int>(Le(p + body + 4, 4));
      bits = static_cast<int>(Le(p + body + 14, 2));
      // The extensible layout names the real format in its sub-format's first two bytes.
      if (tag == 0xFFFE && available >= 26) tag = static_cast<int>(Le(p + body + 24, 2));
      haveFormat = true;
    } else if (Tag(p + at, "data")) {
      data = file.subspan(body, available);
      haveData = true;
    }
    if (length > size - body) break;    // the last chunk was cut short
    at = body + length + (length & 1);  // chunks are padded to an even length
  }
  if (!haveFormat) return fail("no format chunk");
  if (!haveData) return fail("no data chunk");
  if (wav.rate <= 0 || wav.channels <= 0) return fail("no sample rate or no channels");
  PcmFormat format;
  if (tag == 1 && bits == 8) {
    format = PcmFormat::kUInt8;
  } else if (tag == 1 && bits == 16) {
    format = PcmFormat::kInt16;
  } else if (tag == 1 && bits == 24) {
    format = PcmFormat::kInt24;
  } else if (tag == 1 && bits == 32) {
    format = PcmFormat::kInt32;
  } else if (tag == 3 && bits == 32) {
    format = PcmFormat::kFloat32;
  } else {
    return fail("unsupported sample format (PCM 8/16/24/32 bit or float 32 bit)");
  }
  DecodePcm(data, format, wav.samples);
  // Only whole frames.
  wav.samples.resize(wav.samples.size() / wav.channels * wav.channels);
  return wav;
}

}  // namespace kalvetro
