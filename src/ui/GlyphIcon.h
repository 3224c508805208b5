// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace kalvetro {

// The transport symbols, drawn as shapes at whatever size and pixel density a button shows
// them: sharp on a scaled screen, and dark on every desktop theme.
enum class Glyph { Stop, Play };

QIcon GlyphIcon(Glyph glyph);

}  // namespace kalvetro
