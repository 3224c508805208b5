// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "show/Result.h"

namespace kalvetro {

// File operations fail with the runtime-style message of the failure ("Read beyond end of
// file", "File access denied", "Disk full", "I/O error 5", ...).

// The runtime-style message of an errno value.
std::string IoErrorMessage(int error);

// Reads exactly out.size() bytes from the start of the file into out. A shorter file fails
// with "Read beyond end of file"; a longer one gives its first out.size() bytes. Needs read
// access only. On failure out may hold part of the file: callers read into a scratch buffer.
Result ReadFileImage(const std::string& path, std::span<std::uint8_t> out);

// Replaces the file with data without ever destroying the previous file: the bytes go to a
// temporary file in the same folder, which is flushed to disk and renamed over the old one.
// On failure the old file is untouched and the temporary file removed. The new file keeps the
// permissions of the one it replaces (a new one gets 0666 less the umask), unless `mode` is
// given: then it has exactly that mode, whatever the old file had.
Result WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                           int mode = -1);

// The system write call that WriteFileAtomically uses. A test that cannot mount a small file
// system to stand for a full disk puts a failing call in place; nullptr puts ::write back.
// Same signature and errno convention as ::write.
using FileWriteCall = long (*)(int fd, const void* data, std::size_t count);
void SetFileWriteCall(FileWriteCall call);

}  // namespace kalvetro
