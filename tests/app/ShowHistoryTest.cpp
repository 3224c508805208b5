// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history of the console without a window: steps over the show bytes, their names,
// drags as one step, the played scene left out, the limits; and the recovery files.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <random>
#include <vector>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowFiles.h"
#include "app/ShowHistory.h"
#include "app/ShowRunner.h"
#include "editing/BlockCopy.h"
#include "output/DmxLink.h"
#include "output/DmxPacket.h"
#include "serial/SerialTestSupport.h"
#include "support/ConsoleOptionsIn.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using Image = std::vector<std::uint8_t>;
using testing::OptionsIn;
using testing::Pty;

Image ImageOf(const Console& console) {
  Image image(kShowFileSize);
  console.Show().memory.Read(0, image);
  return image;
}

QString Name(const char* step) {
  return QString::fromUtf8(step);
}

// One edit as a page makes it: the bytes written, then the step recorded.
void SetLevel(Console& console, int scene, int channel, int level, const char* step = kStepFader) {
  console.Edit(UndoCopy::Keep, step, [&](ShowState& show) {
    show.DataWrite(static_cast<std::uint8_t>(scene), static_cast<std::uint8_t>(channel), level);
    return ShowEdit(ShowArea::Levels);
  });
}

TEST(ShowHistory, UndoAndRedoPutBackEveryKindOfChangeByteForByteAndNameIt) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QString()));
  console.ClearAll();
  ShowHistory& history = console.History();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_TRUE(history.UndoName().isEmpty());
  const Image empty = ImageOf(console);

  SetLevel(console, 3, 7, 200);
  console.Edit(UndoCopy::Take, kStepBlockCopy, [](ShowState& show) {
    CopyChannelsOfAllScenes(show, {1, 20, 100});
    return ShowEdit(ShowArea::Levels);
  });
  const Image copied = ImageOf(console);
  console.SetSelected(40, true);
  // A change written outside an edit takes the name of the bytes it changed.
  console.Show().memory.Set(kChannelNames + 16 * 5, 'A');
  console.RecordStep();
  console.Show().memory.Set(kColourRed, 99);
  console.RecordStep();
  console.Runner().SetTempo(120);
  EXPECT_EQ(history.Steps(), 6);
  EXPECT_EQ(history.UndoName(), Name(kStepTempo));
  const Image end = ImageOf(console);

  const std::vector<const char*> names = {kStepTempo,     kStepColour,    kStepChannelName,
                                          kStepSelection, kStepBlockCopy, kStepFader};
  for (const char* name : names) {
    EXPECT_EQ(history.UndoName(), Name(name));
    ASSERT_TRUE(console.UndoStep());
    EXPECT_EQ(history.RedoName(), Name(name));
    if (name == kStepBlockCopy) {
      EXPECT_EQ(console.Show().DataRead(3, 106), 0);
      EXPECT_EQ(console.Show().DataRead(3, 7), 200);
    }
  }
  EXPECT_EQ(ImageOf(console), empty);
  EXPECT_FALSE(console.UndoStep());

  ASSERT_TRUE(console.RedoStep());
  ASSERT_TRUE(console.RedoStep());
  EXPECT_EQ(ImageOf(console), copied);
  EXPECT_EQ(console.Show().DataRead(3, 106), 200);
  while (console.RedoStep()) {
  }
  EXPECT_EQ(ImageOf(console), end);
  EXPECT_EQ(console.Runner().Tempo(), 120);

  // A new change after an undo takes the place of the steps undone.
  console.UndoStep();
  console.UndoStep();
  SetLevel(console, 0, 1, 9);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.Steps(), 5);

  // Another show starts a history of its own.
  console.ClearAll();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
}

// The levels of the last whole packet the console sent within a few ticks.
std::vector<int> OnTheWire(Pty& pty) {
  pty.Receive(4 * 262, 400);  // what was already on its way
  DmxStreamDecoder decoder;
  std::vector<DmxFrame> frames;
  decoder.Feed(pty.Receive(3 * 262, 1000), 0, [&](const DmxFrame& f) { frames.push_back(f); });
  if (frames.empty()) return {};
  return std::vector<int>(frames.back().levels.begin(), frames.back().levels.end());
}

// The show stopped on scene 0: a fader, a block copy into the scene and a latched picture's
// level each change the packets, and their undo puts the packets back as they were.
TEST(ShowHistory, UndoOfEachEditThatReachesTheOutputPutsThePacketsBack) {
  QTemporaryDir dir;
  Pty pty;
  Console console(OptionsIn(dir, QString::fromStdString(pty.Path())));
  ASSERT_TRUE(console.Link().OpenAtStart().ok);
  console.ClearAll();
  console.Controls().crossfade.mode = kCrossfadeOff;
  console.Runner().LatchPicture(2, true);
  console.StartOutput();
  const std::vector<int> before = OnTheWire(pty);
  ASSERT_EQ(before.size(), static_cast<std::size_t>(kDmxDataSlots));

  struct Kind {
    const char* step;
    std::function<void()> edit;
    int channel;  // a channel whose level it changes on the wire
  };
  const std::vector<Kind> kinds = {
      {kStepFader, [&] { SetLevel(console, 0, 5, 180); }, 5},
      {kStepBlockCopy,
       [&] {
         console.Show().DataWrite(0, 1, 90);
         console.RecordStep(kStepFader);
         console.Edit(UndoCopy::Take, kStepBlockCopy, [](ShowState& show) {
           CopyChannelsOfAllScenes(show, {1, 1, 60});
           return ShowEdit(ShowArea::Levels);
         });
       },
       60},
      {kStepPicture,
       [&] {
         console.Show().memory.Set(PictureOffset(2) + 30, 1);
         console.Show().memory.Set(PictureOffset(2) + kPictureLevels + 30, 222);
         console.RecordStep(kStepPicture);
       },
       30},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.step);
    const std::vector<int> start = OnTheWire(pty);
    kind.edit();
    const std::vector<int> edited = OnTheWire(pty);
    ASSERT_EQ(edited.size(), static_cast<std::size_t>(kDmxDataSlots));
    EXPECT_NE(edited[kind.channel - 1], start[kind.channel - 1]);
    ASSERT_TRUE(console.UndoStep());
    EXPECT_EQ(console.History().RedoName(), Name(kind.step));
    const std::vector<int> undone = OnTheWire(pty);
    if (kind.step == kStepBlockCopy) {
      ASSERT_TRUE(console.UndoStep());  // the fader step before the copy too
      EXPECT_EQ(OnTheWire(pty), start);
    } else {
      EXPECT_EQ(undone, start);
    }
    ASSERT_TRUE(console.RedoStep());
    if (kind.step == kStepBlockCopy) {
      ASSERT_TRUE(console.RedoStep());
    }
    EXPECT_EQ(OnTheWire(pty), edited);
  }
  console.StopOutput();
}

TEST(ShowHistory, ADragIsOneStepFromPressToReleaseAndScenesChosenInARowAreOne) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QString()));
  console.ClearAll();
  ShowHistory& history = console.History();
  const Image start = ImageOf(console);

  history.Hold();
  for (int level = 1; level <= 60; ++level) SetLevel(console, 0, 5, level);
  history.Release();
  // The next drag of the same fader is a step of its own.
  history.Hold();
  for (int level = 61; level <= 90; ++level) SetLevel(console, 0, 5, level);
  history.Release();
  EXPECT_EQ(history.Steps(), 2);
  console.UndoStep();
  EXPECT_EQ(console.Show().DataRead(0, 5), 60);
  console.UndoStep();
  EXPECT_EQ(ImageOf(console), start);
  console.RedoStep();
  EXPECT_EQ(console.Show().DataRead(0, 5), 60);

  // Without a button held, each change is a step.
  SetLevel(console, 0, 6, 1);
  SetLevel(console, 0, 6, 2);
  EXPECT_EQ(history.Steps(), 3);
  // Scenes chosen one after another are one step, and one that comes back where it began is
  // none.
  console.Show().memory.Set(kLastScene, 9);
  console.RecordStep(kStepSceneList);
  const int steps = history.Steps();
  for (int scene = 1; scene <= 5; ++scene) console.Runner().GoToScene(scene);
  EXPECT_EQ(history.Steps(), steps + 1);
  EXPECT_EQ(history.UndoName(), Name(kStepScene));
  console.Runner().GoToScene(0);
  EXPECT_EQ(history.Steps(), steps);
}

// A remote's commands are recorded in bursts: the commands within a quarter of a second are
// one step, a burst of the same kind soon after joins it, a flood of levels costs the operator
// none of the steps made before it, and undo takes a burst back whole.
TEST(ShowHistory, ARemotesCommandsAreStepsByTheBurst) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QString()));
  console.ClearAll();
  RemoteControl door(console);
  ShowHistory& history = console.History();
  const auto afterTheBurst = [] { QTest::qWait(ShowHistory::kRemoteStepMs + 150); };

  SetLevel(console, 0, 1, 77);  // the operator's own step before the remote's
  EXPECT_TRUE(door.Run({RemoteCommandKind::Channel, 9, 201}).isEmpty());
  EXPECT_TRUE(door.Run({RemoteCommandKind::Channel, 10, 202}).isEmpty());
  // Blackout changes what goes out, not the show.
  EXPECT_TRUE(door.Run({RemoteCommandKind::BlackOut, 1, 0}).isEmpty());
  EXPECT_EQ(history.Steps(), 1);  // not yet: the burst may go on
  afterTheBurst();
  EXPECT_EQ(history.Steps(), 2);
  EXPECT_EQ(history.UndoName(), Name(kStepLevels));

  // A flood of levels soon after: the same step, and the operator's step is still there.
  for (int n = 0; n < 5000; ++n) door.Run({RemoteCommandKind::Channel, 11 + n % 200, n % 256});
  afterTheBurst();
  EXPECT_EQ(history.Steps(), 2);
  // Another kind is a step of its own; a window edit records the waiting burst first.
  EXPECT_TRUE(door.Run({RemoteCommandKind::Tempo, 150, 0}).isEmpty());
  SetLevel(console, 0, 2, 66);
  EXPECT_EQ(history.Steps(), 4);
  EXPECT_EQ(history.UndoName(), Name(kStepFader));

  console.UndoStep();
  EXPECT_EQ(history.UndoName(), Name(kStepTempo));
  console.UndoStep();
  EXPECT_EQ(console.Show().memory.Get(kTempo), 44);
  console.UndoStep();  // the levels and the flood, whole
  EXPECT_EQ(console.Show().DataRead(0, 9), 0);
  EXPECT_EQ(console.Show().DataRead(0, 50), 0);
  EXPECT_EQ(console.Show().DataRead(0, 1), 77);
}

TEST(ShowHistory, ThePlayedSceneMovingIsNoStepWhileEditsDuringPlayAre) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QString()));
  console.ClearAll();
  console.Show().memory.Set(kLastScene, 5);
  console.RecordStep();
  ShowHistory& history = console.History();
  const int before = history.Steps();

  console.Runner().Play();
  for (int step = 1; step <= 4; ++step) {
    console.Show().memory.Set(kCurrentStep, static_cast<std::uint8_t>(step));
    console.RecordStep();
  }
  EXPECT_EQ(history.Steps(), before);
  // A rate changed while the show plays is a step, and only the rate.
  console.Show().memory.Set(kRateRow + 3, 17);
  console.RecordStep();
  console.Runner().Stop();
  console.RecordStep();
  EXPECT_EQ(history.Steps(), before + 1);
  EXPECT_EQ(history.UndoName(), Name(kStepRate));
  console.UndoStep();
  EXPECT_EQ(console.Show().memory.Get(kRateRow + 3), 255);  // every rate of an empty show
  EXPECT_EQ(console.Show().CurrentStep(), 4);
}

TEST(ShowHistory, KeepsAThousandStepsAndTwoHundredWholeBlockCopiesStayUnderTwentyFourMegabytes) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QString()));
  console.ClearAll();
  ShowHistory& history = console.History();
  for (int k = 0; k < ShowHistory::kMaxSteps + 50; ++k) SetLevel(console, k % 256, 1 + k % 255, k);
  EXPECT_EQ(history.Steps(), ShowHistory::kMaxSteps);
  int undone = 0;
  while (console.UndoStep()) ++undone;
  EXPECT_EQ(undone, ShowHistory::kMaxSteps);

  // 200 copies of all 255 channels of every scene, each of other levels.
  console.ClearAll();
  std::mt19937 random(7);
  for (int k = 0; k < 200; ++k) {
    const int level = 1 + k % 250;
    for (int s = 0; s < kSceneCount; ++s)
      for (int c = 1; c <= kChannelCount; ++c)
        console.Show().DataWrite(static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(c),
                                 level + static_cast<int>(random() % 2));
    console.RecordStep(kStepBlockCopy);
  }
  EXPECT_GE(history.Steps(), 200);
  EXPECT_LT(history.KeptBytes(), std::size_t{24} << 20);
}

TEST(ShowHistory, ARecoveryFileFollowsTheChangesAndASaveRemovesIt) {
  QTemporaryDir dir;
  Console console(OptionsIn(dir, QString()));
  console.ClearAll();
  ShowFiles& files = console.Files();
  const QString recovery = files.RecoveryPath();
  EXPECT_EQ(QFileInfo(recovery).dir(), QFileInfo(files.AutosavePath()).dir());
  EXPECT_EQ(QFileInfo(recovery).fileName(), QStringLiteral("Kalvo.recovery.klv"));
  // An opened or emptied show is no change.
  QTest::qWait(ShowFiles::kRecoveryDelayMs + 300);
  EXPECT_FALSE(QFile::exists(recovery));

  SetLevel(console, 2, 2, 77);
  EXPECT_TRUE(files.Unsaved());
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recovery); }, 2000));
  QFile file(recovery);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_EQ(bytes.size(), kShowFileSize);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[SceneRowOffset(2) + 2]), 77);
  file.close();
  EXPECT_TRUE(files.RecoveryWaiting());

  const QString show = dir.filePath(QStringLiteral("show.klv"));
  ASSERT_TRUE(files.SaveShowAs(show).ok);
  EXPECT_FALSE(QFile::exists(recovery));
  EXPECT_FALSE(files.Unsaved());

  // The next change names the show; a recovery newer than it waits, and is opened with the
  // name it keeps.
  QTest::qWait(20);
  SetLevel(console, 2, 3, 88);
  ASSERT_TRUE(files.WriteRecovery().ok);
  ASSERT_TRUE(files.RecoveryWaiting());
  console.ClearAll();
  ASSERT_TRUE(files.OpenRecovery().ok);
  EXPECT_EQ(console.Show().DataRead(2, 3), 88);
  EXPECT_EQ(files.SaveDialogFileName(), show);
  EXPECT_TRUE(console.Show().showNamed);
  EXPECT_TRUE(files.Unsaved());

  // Kept aside under its time: the image and its name.
  const QString aside = files.SetRecoveryAside();
  EXPECT_FALSE(QFile::exists(recovery));
  EXPECT_TRUE(QFile::exists(aside));
  EXPECT_TRUE(QFileInfo(aside).fileName().startsWith(QStringLiteral("Kalvo.recovery-20")));
  EXPECT_TRUE(QFileInfo(aside).fileName().endsWith(QStringLiteral(".klv")));
  EXPECT_FALSE(files.RecoveryWaiting());
}

}  // namespace
}  // namespace kalvetro
