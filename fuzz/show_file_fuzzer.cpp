// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any byte string is taken as a show file through the console's real open
// path. A failed open must leave the show exactly as it was. A successful one must hold the
// file's first 81,920 bytes; the show is then played (output ticks with every layer, the
// sequencer's core, both automats), saved and reopened, and the saved file and the reopened
// show must be the played image byte for byte. Any difference aborts, so the fuzzer reports it.
#include <unistd.h>

#include <QString>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/Console.h"
#include "app/ShowFiles.h"
#include "output/DmxLink.h"
#include "support/ShowWorkout.h"

namespace {

using Image = std::vector<std::uint8_t>;

std::string& Folder() {
  static std::string folder;
  return folder;
}

void RemoveFolder() {
  if (Folder().empty()) return;
  for (const char* name : {"/in.klv", "/out.klv", "/Kalvo.ini", "/ShouTemp.klv"})
    std::remove((Folder() + name).c_str());
  ::rmdir(Folder().c_str());
}

const std::string& WorkFolder() {
  if (Folder().empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalvetro-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    Folder() = pattern;
    std::atexit(RemoveFolder);
  }
  return Folder();
}

Image MemoryImage(const kalvetro::ShowMemory& memory) {
  Image image(kalvetro::kShowFileSize);
  memory.Read(0, image);
  return image;
}

Image ReadFile(const std::string& path) {
  Image image(kalvetro::kShowFileSize + 1);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  image.resize(std::fread(image.data(), 1, image.size(), file));
  std::fclose(file);
  return image;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "show_file_fuzzer: %s\n", what);
  // abort() skips the exit handlers: the working folder goes now (libFuzzer keeps the input).
  RemoveFolder();
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kalvetro;
  const std::string& folder = WorkFolder();
  const std::string in = folder + "/in.klv";
  const std::string out = folder + "/out.klv";
  {
    std::ofstream file(in, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) Fail("cannot write the input file");
  }

  StartOptions options;
  options.settingsFile = QString::fromStdString(folder + "/Kalvo.ini");
  options.autosaveFile = QString::fromStdString(folder + "/ShouTemp.klv");
  Console console(options);
  console.Link().SetDemo(true);
  console.ClearAll();
  // Only a file too short for a show can fail to open here; the show must then stay as it was.
  const bool whole = size >= static_cast<std::size_t>(kShowFileSize);
  const Image before = whole ? Image() : MemoryImage(console.Show().memory);

  const Result opened = console.Files().OpenShow(QString::fromStdString(in));
  if (!opened.ok) {
    if (whole) Fail("a whole image failed to open");
    if (MemoryImage(console.Show().memory) != before) Fail("a failed open changed the show");
    return 0;
  }
  const Image loaded = MemoryImage(console.Show().memory);
  if (size < static_cast<std::size_t>(kShowFileSize)) Fail("a short file opened");
  if (std::memcmp(loaded.data(), data, kShowFileSize) != 0) Fail("the open changed bytes");

  testing::PlayShowWorkout(console, 300);
  const Image played = MemoryImage(console.Show().memory);
  for (int i = 0; i < kShowFileSize; ++i)
    if (i != kCurrentStep && played[i] != loaded[i]) Fail("playing changed a byte");

  if (!console.Files().SaveShowAs(QString::fromStdString(out)).ok) Fail("the save failed");
  Image expected = played;
  std::fill(expected.begin(), expected.begin() + kHeaderTextLength, 0);
  std::memcpy(expected.data(), kIdentificationText, std::strlen(kIdentificationText));
  const Image saved = ReadFile(out);
  if (saved != expected) Fail("the saved file is not the played show");

  if (!console.Files().OpenShow(QString::fromStdString(out)).ok) Fail("the reopen failed");
  if (MemoryImage(console.Show().memory) != saved) Fail("the reopened show differs");
  return 0;
}
