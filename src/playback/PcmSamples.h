// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kalvetro {

// Raw sample formats of audio inputs and WAV files, little-endian, interleaved channels.
enum class PcmFormat {
  kUInt8,    // 8-bit unsigned, 128 is silence
  kInt16,    // 16-bit signed
  kInt24,    // 24-bit signed, three bytes
  kInt32,    // 32-bit signed
  kFloat32,  // 32-bit float, full scale 1.0
};

int PcmBytesPerSample(PcmFormat format);

// Decodes raw samples into floats with full scale 1.0. A trailing part of a sample is ignored.
// `out` is resized to the number of whole samples (it keeps its storage between calls).
void DecodePcm(std::span<const std::uint8_t> bytes, PcmFormat format, std::vector<float>& out);

// The samples of a WAV file.
struct WavSamples {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved, full scale 1.0
  std::size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads a WAV file image: RIFF/WAVE with a "fmt " chunk (PCM 8, 16, 24 or 32 bit, or 32-bit
// float, also in the extensible layout) and a "data" chunk. Chunks may come in any order;
// unknown chunks are skipped; a data chunk longer than the file is cut at the end of the file.
// Anything else gives no samples and a reason in `error`.
std::optional<WavSamples> ParseWav(std::span<const std::uint8_t> file, std::string* error);

}  // namespace kalvetro
