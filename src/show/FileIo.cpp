// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kalvetro {

std::string IoErrorMessage(int error) {
  switch (error) {
    case ENOENT:
      return "File not found";
    case ENOTDIR:
      return "Path not found";
    case EACCES:
    case EPERM:
    case EROFS:
      return "File access denied";
    case ENOSPC:
    case EDQUOT:
      return "Disk full";
    case EISDIR:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(error);
  }
}

Result ReadFileImage(const std::string& path, std::span<std::uint8_t> out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Result::Fail(IoErrorMessage(errno));
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Result::Fail(IoErrorMessage(EISDIR));
  }
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return Result::Fail(IoErrorMessage(error));
    }
    if (n == 0) {
      ::close(fd);
      return Result::Fail("Read beyond end of file");
    }
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return Result::Ok();
}

namespace {

long SystemWrite(int fd, const void* data, std::size_t count) {
  return static_cast<long>(::write(fd, data, count));
}

FileWriteCall writeCall = SystemWrite;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void SetFileWriteCall(FileWriteCall call) {
  writeCall = call != nullptr ? call : SystemWrite;
}

Result WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data, int mode) {
  // The temporary file lives in the target's folder so that the rename never crosses devices.
  std::string pattern = path + ".tmpXXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    // A missing folder is a missing path, not a missing file.
    return Result::Fail(errno == ENOENT ? "Path not found" : IoErrorMessage(errno));
  }
  auto fail = [&](int error) {
    ::close(fd);
    ::unlink(pattern.c_str());
    return Result::Fail(IoErrorMessage(error));
  };
  // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
  struct stat old {};
  if (mode >= 0) {
    ::fchmod(fd, static_cast<mode_t>(mode) & 07777);
  } else if (::stat(path.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  std::size_t done = 0;
  while (done < data.size()) {
    const long n = writeCall(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    // A write that makes no progress would loop for ever: the device takes nothing more.
    if (n == 0) return fail(ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(pattern.c_str());
    return Result::Fail(IoErrorMessage(error));
  }
  if (::rename(pattern.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(pattern.c_str());
    return Result::Fail(IoErrorMessage(error));
  }
  // Make the rename itself durable.
  const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return Result::Ok();
}

}  // namespace kalvetro
