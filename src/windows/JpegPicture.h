// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace kalvetro {

// Decodes a JPEG file with libjpeg's decompression interface into an RGB image. A missing,
// damaged or implausibly large file gives a null image; nothing is thrown and nothing crashes.
QImage DecodeJpegFile(const QString& path);

}  // namespace kalvetro
