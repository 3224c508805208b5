// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/JpegPicture.h"

// clang-format off
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <csetjmp>
#include <jpeglib.h>
// clang-format on

#include <QFile>
#include <vector>

namespace kalvetro {

namespace {

// Pictures larger than this are refused rather than decoded (a damaged header could ask for
// gigabytes).
constexpr unsigned kMaxSide = 8192;
constexpr std::size_t kMaxFileBytes = 32u * 1024u * 1024u;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  int warnings;
};

void ErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(manager->jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
  // Level -1 is a warning about corrupt data (for instance a file cut short); the picture
  // would come out partly grey, so it counts as damaged.
  if (level < 0) reinterpret_cast<ErrorManager*>(info->err)->warnings++;
}

void OutputMessage(j_common_ptr) {}

struct Decoded {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<unsigned char> rgb;
};

// The decoding itself; no object with a destructor lives in this frame, so the jump back on
// a libjpeg error skips nothing that must be cleaned up (out->rgb lives in the caller).
bool Decode(const unsigned char* data, unsigned long size, Decoded* out) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ErrorExit;
  errors.base.emit_message = EmitMessage;
  errors.base.output_message = OutputMessage;
  errors.warnings = 0;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_width == 0 || info.output_height == 0 || info.output_width > kMaxSide ||
      info.output_height > kMaxSide || info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  out->width = info.output_width;
  out->height = info.output_height;
  const std::size_t stride = static_cast<std::size_t>(out->width) * 3;
  out->rgb.resize(stride * out->height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out->rgb.data() + stride * info.output_scanline;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
  }
  const bool complete = info.output_scanline == info.output_height;
  if (complete) jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return complete && errors.warnings == 0;
}

}  // namespace

QImage DecodeJpegFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  if (file.size() <= 0 || static_cast<std::size_t>(file.size()) > kMaxFileBytes) return {};
  const QByteArray bytes = file.readAll();
  Decoded decoded;
  if (!Decode(reinterpret_cast<const unsigned char*>(bytes.constData()),
              static_cast<unsigned long>(bytes.size()), &decoded))
    return {};
  QImage image(static_cast<int>(decoded.width), static_cast<int>(decoded.height),
               QImage::Format_RGB888);
  const std::size_t stride = static_cast<std::size_t>(decoded.width) * 3;
  for (unsigned y = 0; y < decoded.height; ++y)
    std::memcpy(image.scanLine(static_cast<int>(y)), decoded.rgb.data() + stride * y, stride);
  return image;
}

}  // namespace kalvetro
