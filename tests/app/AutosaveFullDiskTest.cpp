// SPDX-License-Identifier: GPL-3.0-or-later
// The autosave onto a file system that is full: the error is reported and the autosave file
// written before stays exactly as it was. A small tmpfs stands for the full disk where the
// test may mount one (root in CI); elsewhere the file layer's write call is replaced by one
// that fails the way a full disk does.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/Console.h"
#include "app/ShowFiles.h"

namespace kalvetro {
namespace {

// A tmpfs of `kilobytes` mounted on a folder of its own for the life of the object.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(int kilobytes) {
    if (!dir_.isValid()) return;
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    mounted_ =
        ::mount("tmpfs", dir_.path().toLocal8Bit().constData(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(dir_.path().toLocal8Bit().constData(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  QString Folder() const { return dir_.path(); }
  QString FilePath(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  // Fills the free space with one file; true when the file system refused more.
  bool Fill() {
    QFile filler(FilePath("filler"));
    if (!filler.open(QIODevice::WriteOnly)) return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
      if (!filler.flush()) break;
    }
    return true;
  }
  void Unfill() { QFile::remove(FilePath("filler")); }

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
};

// Stands for a full disk: the first 8192 bytes of a file go, then no more space.
long FullDiskWrite(int fd, const void* data, std::size_t count) {
  static_cast<void>(fd);
  static_cast<void>(data);
  static thread_local std::size_t taken = 0;
  if (taken >= 8192) {
    taken = 0;
    errno = ENOSPC;
    return -1;
  }
  const std::size_t n = std::min<std::size_t>(count, 8192 - taken);
  taken += n;
  return static_cast<long>(n);  // counted as written; the bytes are never looked at
}

StartOptions OptionsWithAutosave(const QTemporaryDir& settingsDir, const QString& autosave) {
  StartOptions options;
  options.port = QStringLiteral("/dev/kalvetro-no-such-port");
  options.settingsFile = settingsDir.filePath(QStringLiteral("Kalvo.ini"));
  options.autosaveFile = autosave;
  return options;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// Names in the autosave's folder other than the autosave and the filler: leftovers.
QStringList Leftovers(const QString& folder) {
  QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  names.removeAll(QStringLiteral("ShouTemp.klv"));
  names.removeAll(QStringLiteral("filler"));
  return names;
}

TEST(AutosaveFullDisk, TheErrorIsReportedAndThePreviousAutosaveStaysWhole) {
  QTemporaryDir settingsDir;
  SmallFileSystem disk(256);
  QTemporaryDir plainDir;  // for the fault seam when no file system can be mounted
  const QString folder = disk.Mounted() ? disk.Folder() : plainDir.path();
  const QString autosave = folder + QStringLiteral("/ShouTemp.klv");
  Console console(OptionsWithAutosave(settingsDir, autosave));
  console.ClearAll();
  console.Show().DataWrite(0, 1, 111);
  console.Show().DataWrite(255, 255, 222);

  const Result first = console.Files().Autosave();
  ASSERT_TRUE(first.ok) << first.error;
  const QByteArray before = ReadAll(autosave);
  ASSERT_EQ(before.size(), kShowFileSize);
  EXPECT_EQ(static_cast<std::uint8_t>(before[SceneRowOffset(0) + 1]), 111);

  // The show changes, and the disk is full when the next autosave comes.
  console.Show().DataWrite(0, 1, 5);
  console.Show().DataWrite(255, 255, 6);
  if (disk.Mounted()) {
    ASSERT_TRUE(disk.Fill());
  } else {
    SetFileWriteCall(FullDiskWrite);
  }
  const Result full = console.Files().Autosave();
  SetFileWriteCall(nullptr);
  EXPECT_FALSE(full.ok);
  EXPECT_EQ(full.error, "Disk full");
  EXPECT_EQ(ReadAll(autosave), before);  // every byte of the previous autosave
  EXPECT_TRUE(Leftovers(folder).isEmpty()) << Leftovers(folder).join(' ').toStdString();
  // The show in memory is what the operator made, not what was on disk.
  EXPECT_EQ(console.Show().DataRead(0, 1), 5);

  // Room again: the next autosave writes the show as it is now.
  disk.Unfill();
  const Result again = console.Files().Autosave();
  ASSERT_TRUE(again.ok) << again.error;
  const QByteArray after = ReadAll(autosave);
  ASSERT_EQ(after.size(), kShowFileSize);
  EXPECT_EQ(static_cast<std::uint8_t>(after[SceneRowOffset(0) + 1]), 5);
  EXPECT_EQ(static_cast<std::uint8_t>(after[SceneRowOffset(255) + 255]), 6);
  if (!disk.Mounted()) std::fputs("no tmpfs could be mounted: the fault seam stood in\n", stderr);
}

}  // namespace
}  // namespace kalvetro
