// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "show/FileIo.h"
#include "show/ShowMemory.h"

namespace kalvetro {

// Reads a show file into bytes 0..81919 of the store. The whole image is read and checked
// first: on any failure (missing, too short, no access) the store is left exactly as it was.
Result LoadShowFile(const std::string& path, ShowMemory& memory);

// Writes bytes 0..81919 of the store as a show file, replacing any previous file only once
// the new one is complete on disk.
Result SaveShowFile(const std::string& path, const ShowMemory& memory);

}  // namespace kalvetro
