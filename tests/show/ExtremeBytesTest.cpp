// SPDX-License-Identifier: GPL-3.0-or-later
// A show file may come from anywhere, so every byte with a meaning must be safe at its
// extremes. Each case writes a show file with bytes set to 0, 1, 254 or 255, opens it through
// the console, plays it (output ticks, the sequencer's core, both automats, every overlay) and
// saves and reopens it. Nothing may crash or divide by zero (the sanitizer build turns either
// into a failure), the open must keep the image byte for byte, playing may change only the
// current step, and the saved file must be the image with the identification text in front.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/Console.h"
#include "app/ShowFiles.h"
#include "output/DmxLink.h"
#include "playback/Automats.h"
#include "playback/Sequencer.h"
#include "support/ShowWorkout.h"

namespace kalvetro {
namespace {

using Image = std::vector<std::uint8_t>;
constexpr std::array<std::uint8_t, 4> kExtremes{0, 1, 254, 255};

// A plain show to start every case from: a few scenes with levels, rates and names.
Image BaseImage() {
  Image image(kShowFileSize, 0);
  std::memcpy(image.data(), kIdentificationText, std::strlen(kIdentificationText));
  image[kCurrentStep] = 0;
  image[kLastScene] = 3;
  image[kTempo] = 44;
  image[kColourOn] = 1;
  for (int n = 1; n <= 255; ++n) image[kRateRow + n] = static_cast<std::uint8_t>(1 + n % 100);
  for (int s = 0; s < 4; ++s)
    for (int n = 1; n <= 255; ++n)
      image[SceneRowOffset(s) + n] = static_cast<std::uint8_t>((s * 60 + n * 3) % 256);
  image[kChannelNames + kChannelNameLength * 1] = 'A';
  return image;
}

bool WriteFile(const std::string& path, const Image& image) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(out);
}

Image ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Image(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Image MemoryImage(const ShowMemory& memory) {
  Image image(kShowFileSize);
  memory.Read(0, image);
  return image;
}

// The first offset where two images differ, or -1.
int FirstDifference(const Image& a, const Image& b) {
  if (a.size() != b.size()) return 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return static_cast<int>(i);
  return -1;
}

// Over a thousand saves: where a memory file system is at hand, the files live there, since
// each save flushes its file to the disk.
QString TempFolderPattern() {
  const QString shm = QStringLiteral("/dev/shm");
  if (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable())
    return shm + QStringLiteral("/kalvetro-extreme-XXXXXX");
  return QDir::tempPath() + QStringLiteral("/kalvetro-extreme-XXXXXX");
}

class ExtremeBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    StartOptions options;
    options.settingsFile = dir_.filePath(QStringLiteral("Kalvo.ini"));
    options.autosaveFile = dir_.filePath(QStringLiteral("ShouTemp.klv"));
    console_ = std::make_unique<Console>(options);
    console_->Link().SetDemo(true);
  }

  // Runs one case; an empty result means it passed, else it says what went wrong.
  std::string RunCase(const Image& image, int ticks = 48) {
    const std::string in = dir_.filePath(QStringLiteral("in.klv")).toStdString();
    const std::string out = dir_.filePath(QStringLiteral("out.klv")).toStdString();
    if (!WriteFile(in, image)) return "could not write the case file";

    Result opened = console_->Files().OpenShow(QString::fromStdString(in));
    if (!opened.ok) return "open failed: " + opened.error;
    if (int at = FirstDifference(MemoryImage(console_->Show().memory), image); at >= 0)
      return "open changed byte " + std::to_string(at);

    const testing::WorkoutReport report = testing::PlayShowWorkout(*console_, ticks);
    if (report.advances == 0) return "the sequencer never advanced";
    if (!report.stepWithinShow) return "the step left the show";
    if (!report.automatLevelsAreBrightOrDark) return "an automat gave a level of neither kind";

    // Playing moves the current step only.
    Image played = image;
    played[kCurrentStep] = console_->Show().CurrentStep();
    if (int at = FirstDifference(MemoryImage(console_->Show().memory), played); at >= 0)
      return "playing changed byte " + std::to_string(at);

    Result saved = console_->Files().SaveShowAs(QString::fromStdString(out));
    if (!saved.ok) return "save failed: " + saved.error;
    Image expected = played;
    std::fill(expected.begin(), expected.begin() + kHeaderTextLength, 0);
    std::memcpy(expected.data(), kIdentificationText, std::strlen(kIdentificationText));
    const Image file = ReadFile(out);
    if (int at = FirstDifference(file, expected); at >= 0)
      return "saved file differs at byte " + std::to_string(at);

    Result reopened = console_->Files().OpenShow(QString::fromStdString(out));
    if (!reopened.ok) return "reopen failed: " + reopened.error;
    if (int at = FirstDifference(MemoryImage(console_->Show().memory), file); at >= 0)
      return "reopen differs at byte " + std::to_string(at);
    return {};
  }

  // Runs a table of cases and reports the first few failures by name.
  void RunTable(const std::vector<std::pair<std::string, Image>>& table) {
    std::vector<std::string> failures;
    for (const auto& [name, image] : table) {
      const std::string problem = RunCase(image);
      if (!problem.empty()) failures.push_back(name + ": " + problem);
    }
    std::string listed;
    for (std::size_t i = 0; i < failures.size() && i < 10; ++i) listed += failures[i] + "\n";
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << table.size() << " cases failed:\n"
                                  << listed;
  }

  // Every layer of the frame off except the static pictures, and no crossfade: the next tick
  // lays the pictures straight over the scene.
  static void OnlyPicturesAndScene(OutputControls& c) {
    for (auto& automat : c.automats) automat.active.store(false);
    c.strips.manual.store(false);
    c.pad.priority.store(false);
    c.blackout.on.store(false);
    c.pictures.macroOut.store(false);
    c.crossfade.mode.store(kCrossfadeOff);
  }

  static Image WithBytes(int first, int count, std::uint8_t value) {
    Image image = BaseImage();
    std::fill(image.begin() + first, image.begin() + first + count, value);
    return image;
  }

  QTemporaryDir dir_{TempFolderPattern()};
  std::unique_ptr<Console> console_;
};

TEST_F(ExtremeBytes, EveryHeaderByteAlone) {
  std::vector<std::pair<std::string, Image>> table;
  for (int b = 0; b < 256; ++b)
    for (std::uint8_t v : kExtremes)
      table.emplace_back("header byte " + std::to_string(b) + " = " + std::to_string(v),
                         WithBytes(b, 1, v));
  ASSERT_EQ(table.size(), 1024u);
  RunTable(table);
}

TEST_F(ExtremeBytes, WholeAreasAtOnce) {
  struct Area {
    std::string name;
    int first;
    int count;
  };
  std::vector<Area> areas = {
      {"header", 0, 256},
      {"show parameters", kHeaderParams, 128},
      {"automat 1", kAutomat1, 5},
      {"automat 2", kAutomat2, 5},
      {"both automats", kAutomat1, 10},
      {"window colour", kColourOn, 4},
      {"rate row", kRateRow, kRowSize},
      {"all pictures", kStaticPictures, kPictureCount * kPictureSize},
      {"selection", kSelectFlags, kRowSize},
  };
  for (int k = 0; k < kPictureCount; ++k) {
    const std::string picture = "picture " + std::to_string(k + 1);
    areas.push_back({picture + " flags", PictureOffset(k), kPictureLevels});
    areas.push_back(
        {picture + " levels", PictureOffset(k) + kPictureLevels, kPictureSize - kPictureLevels});
  }

  std::vector<std::pair<std::string, Image>> table;
  for (const Area& area : areas)
    for (std::uint8_t v : kExtremes)
      table.emplace_back(area.name + " = " + std::to_string(v),
                         WithBytes(area.first, area.count, v));
  // Header, automats, colour and pictures all at the same extreme at once.
  for (std::uint8_t v : kExtremes) {
    Image image = BaseImage();
    std::fill(image.begin(), image.begin() + 256, v);
    std::fill(image.begin() + kStaticPictures,
              image.begin() + kStaticPictures + kPictureCount * kPictureSize, v);
    table.emplace_back("header and pictures = " + std::to_string(v), image);
  }
  RunTable(table);
}

TEST_F(ExtremeBytes, PicturesOfLevelOneCoverTheFrame) {
  // Every include flag 1 and every level 1: with all sixteen pictures on and nothing laid
  // after them, every slot 0..255 goes out at level 1 whatever the scene holds.
  Image image = WithBytes(kStaticPictures, kPictureCount * kPictureSize, 1);
  ASSERT_EQ(RunCase(image), "");
  OutputControls& c = console_->Controls();
  OnlyPicturesAndScene(c);
  for (int k = 0; k < kPictureCount; ++k) c.pictures.SetPicture(k, true);
  console_->Engine().Tick();
  int wrong = 0;
  for (int n = 0; n < 256; ++n) wrong += console_->Frames().Output(n) != 1;
  EXPECT_EQ(wrong, 0);

  // Flags of 255 leave every channel out: the frame is the scene itself.
  ASSERT_EQ(RunCase(WithBytes(kStaticPictures, kPictureCount * kPictureSize, 255)), "");
  OnlyPicturesAndScene(c);
  console_->Engine().Tick();
  const std::uint8_t step = console_->Show().CurrentStep();
  wrong = 0;
  for (int n = 1; n < 256; ++n)
    wrong += console_->Frames().Output(n) != console_->Show().DataRead(step, n);
  EXPECT_EQ(wrong, 0);
}

TEST(ExtremeTimings, TempoBytesGiveSaneIntervals) {
  // The sequencer tempo byte is held to 10..170: t * t ms.
  EXPECT_EQ(SequencerInterval(0), 100);
  EXPECT_EQ(SequencerInterval(1), 100);
  EXPECT_EQ(SequencerInterval(254), 28900);
  EXPECT_EQ(SequencerInterval(255), 28900);
  EXPECT_EQ(ScenesPerMinute(SequencerInterval(0)), 600);
  EXPECT_EQ(ScenesPerMinute(SequencerInterval(255)), 2);  // 60000 div 28900
  EXPECT_EQ(FadeTicks(SequencerInterval(0)), 2);
  EXPECT_EQ(FadeTicks(SequencerInterval(255)), 255);  // 578 ticks, held to 255
  EXPECT_EQ(ScenesPerMinute(0), 60000);

  // The automat tempo byte: 0 runs as 20, others are held to 5..50.
  EXPECT_EQ(AutomatTempoOf(0).intervalMs, 400);
  EXPECT_EQ(AutomatTempoOf(0).flashesPerMinute, 150);
  EXPECT_EQ(AutomatTempoOf(1).intervalMs, 25);
  EXPECT_EQ(AutomatTempoOf(1).flashesPerMinute, 2400);
  EXPECT_EQ(AutomatTempoOf(254).intervalMs, 2500);
  EXPECT_EQ(AutomatTempoOf(255).flashesPerMinute, 24);

  // The step table for a jump from 0 to 255 over the longest and the shortest period.
  ShowMemory memory;
  memory.Set(SceneRowOffset(1) + 7, 255);
  std::array<std::atomic<std::uint8_t>, 256> table{};
  FillStepTable(memory, 1, SequencerInterval(255), table);
  EXPECT_EQ(table[7].load(), 1);  // 255 div 255
  EXPECT_EQ(table[8].load(), 1);  // no change still moves by 1
  FillStepTable(memory, 1, SequencerInterval(0), table);
  EXPECT_EQ(table[7].load(), 127);  // 255 div 2
}

}  // namespace
}  // namespace kalvetro
