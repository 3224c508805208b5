// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "show/FileIo.h"
#include "show/ShowFile.h"
#include "show/ShowState.h"

namespace kalvetro {
namespace {

namespace fs = std::filesystem;

class ShowFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kalvetro-showfile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }
  static std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Fills a show with a recognisable pattern in every area.
  static void FillPattern(ShowMemory& m) {
    for (int i = 0; i < kShowMemorySize; ++i)
      m.Set(i, static_cast<std::uint8_t>((i * 7 + 3) & 0xFF));
  }
  static bool IsRoot() { return ::geteuid() == 0; }

  fs::path dir_;
};

TEST_F(ShowFileTest, SaveAndReopenIsIdenticalToTheByte) {
  ShowState show;
  FillPattern(show.memory);
  WriteIdentificationText(show.memory);
  const std::string path = Path("show.klv");
  ASSERT_TRUE(SaveShowFile(path, show.memory).ok);

  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 81920u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 38),
            "it is DMX512 File KALVETRO USB Ver 3.1");
  for (int i = 0; i < kShowFileSize; ++i) ASSERT_EQ(bytes[i], show.memory.Get(i)) << i;

  ShowState reopened;
  reopened.memory.Set(kSpareByte, 42);
  ASSERT_TRUE(LoadShowFile(path, reopened.memory).ok);
  for (int i = 0; i < kShowFileSize; ++i)
    ASSERT_EQ(reopened.memory.Get(i), show.memory.Get(i)) << i;
  EXPECT_EQ(reopened.memory.Get(kSpareByte), 42);  // the spare byte is never loaded
}

TEST_F(ShowFileTest, ShortMissingAndDirectoryFilesLeaveTheShowUntouched) {
  ShowState show;
  FillPattern(show.memory);
  const std::string shortFile = Path("short.klv");
  WriteBytes(shortFile, std::vector<std::uint8_t>(81919, 0x11));
  Result result = LoadShowFile(shortFile, show.memory);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Read beyond end of file");

  result = LoadShowFile(Path("missing.klv"), show.memory);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "File not found");

  result = LoadShowFile(dir_.string(), show.memory);
  EXPECT_FALSE(result.ok);

  ShowMemory expected;
  FillPattern(expected);
  for (int i = 0; i < kShowMemorySize; ++i) ASSERT_EQ(show.memory.Get(i), expected.Get(i)) << i;
}

TEST_F(ShowFileTest, LongFileLoadsItsFirstImageAndReadOnlyFileOpens) {
  std::vector<std::uint8_t> bytes(81920 + 500);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
  const std::string path = Path("long.klv");
  WriteBytes(path, bytes);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ShowState show;
  ASSERT_TRUE(LoadShowFile(path, show.memory).ok);
  EXPECT_EQ(show.memory.Get(81919), 81919 % 251);
  EXPECT_EQ(show.memory.Get(kSpareByte), 0);
}

// A write call that puts the first 40,000 bytes on disk and then fails, as a disk error
// halfway through the file would.
long WriteHalfThenFail(int fd, const void* data, std::size_t count) {
  static constexpr std::size_t kHalf = 40000;
  const off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (at >= static_cast<off_t>(kHalf)) {
    errno = EIO;
    return -1;
  }
  return static_cast<long>(
      ::write(fd, data, std::min(count, kHalf - static_cast<std::size_t>(at))));
}

TEST_F(ShowFileTest, FailedSaveKeepsThePreviousFileAndLeavesNoTemporary) {
  ShowState show;
  FillPattern(show.memory);
  const std::string path = Path("keep.klv");
  const std::vector<std::uint8_t> old(81920, 0x5A);
  WriteBytes(path, old);

  // The write fails partway: the old bytes stay, and so does nothing else.
  SetFileWriteCall(WriteHalfThenFail);
  Result result = SaveShowFile(path, show.memory);
  SetFileWriteCall(nullptr);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "I/O error " + std::to_string(EIO));
  EXPECT_EQ(ReadBytes(path), old);

  // A folder that does not exist.
  result = SaveShowFile(Path("nowhere/show.klv"), show.memory);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Path not found");

  if (!IsRoot()) {
    // No permission to write in the folder: the old file stays as it was.
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    result = SaveShowFile(path, show.memory);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "File access denied");
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
  }
  // The target is a folder (the rename cannot replace it), which fails even for root.
  fs::create_directory(dir_ / "folder.klv");
  result = SaveShowFile(Path("folder.klv"), show.memory);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "File access denied");
  fs::remove(dir_ / "folder.klv");

  EXPECT_EQ(ReadBytes(path), old);
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);

  // A successful save replaces the old file and keeps its permissions.
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(SaveShowFile(path, show.memory).ok);
  EXPECT_EQ(ReadBytes(path).size(), 81920u);
  EXPECT_EQ(ReadBytes(path)[1000], show.memory.Get(1000));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace kalvetro
