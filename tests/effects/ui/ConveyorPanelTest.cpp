// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/ui/ConveyorPanel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "app/ShowRunner.h"
#include "show/Settings.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

class ConveyorPanelTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    ASSERT_TRUE(ShowAtLaptopSize());
    panel = Find<ConveyorPanel>("GroupBoxKonveyr");
    ASSERT_NE(panel, nullptr);
  }
  void TearDown() override { form.reset(); }

  QToolButton* Slot(int k) { return Button(QStringLiteral("SpeedButton%1").arg(k)); }
  // Writes a one-scene show whose channel 1 of scene 0 holds `level`, and empties the show.
  QString MakeShow(const QString& name, int level) {
    Show().DataWrite(0, 1, level);
    Show().memory.Set(kLastScene, 0);
    const QString path = PathIn(name);
    EXPECT_TRUE(Core().Files().SaveShowAs(path).ok);
    Core().ClearAll();
    return path;
  }
  void Assign(int k, const QString& path) {
    dialogs.openReplies.push_back(path);
    QTest::mouseClick(Slot(k), Qt::RightButton);
  }
  bool Bold(int k) { return Slot(k)->font().bold(); }
  QColor TextColour(int k) { return Slot(k)->palette().color(QPalette::ButtonText); }
  // Ends a pass: one sequencer tick of a playing one-scene show.
  void EndPass() {
    Core().Runner().Play();
    Runner().SequencerTick();
  }

  ConveyorPanel* panel = nullptr;
};

TEST_F(ConveyorPanelTest, StartsEmptyAndAssignsByRightClick) {
  EXPECT_EQ(Slot(1)->text(), QStringLiteral("Q пусто"));
  EXPECT_EQ(Slot(19)->text(), QStringLiteral("L пусто"));
  EXPECT_EQ(Slot(20)->text(), QStringLiteral("пусто"));
  EXPECT_EQ(TextColour(1), QColor(255, 0, 0));
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("No job"));
  EXPECT_TRUE(Button(QStringLiteral("SpeedButtonKonvHand"))->isChecked());

  // Cancelling the dialog leaves the slot as it was.
  dialogs.openReplies.push_back(std::nullopt);
  QTest::mouseClick(Slot(3), Qt::RightButton);
  EXPECT_EQ(dialogs.openRequests.size(), 1);
  EXPECT_EQ(Slot(3)->text(), QStringLiteral("E пусто"));
  EXPECT_FALSE(Bold(3));
  EXPECT_TRUE(Core().Files().ConveyorFiles()[2].empty());

  Assign(3, QStringLiteral("/shows/show1.klv"));
  EXPECT_EQ(Slot(3)->text(), QStringLiteral("E=show1"));
  EXPECT_TRUE(Bold(3));
  EXPECT_EQ(TextColour(3), QColor(0, 0, 128));
  EXPECT_EQ(Core().Files().ConveyorFiles()[2], "/shows/show1.klv");
  Assign(20, QStringLiteral("/shows/concert12.klv"));
  EXPECT_EQ(Slot(20)->text(), QStringLiteral(" concert"));
  // The right button loads nothing and ticks nothing.
  EXPECT_FALSE(Slot(3)->isChecked());
  EXPECT_TRUE(dialogs.errors.isEmpty());

  // The names go to the settings file at shutdown.
  const QString settings = PathIn(QStringLiteral("config/Kalvo.ini"));
  Stop();
  const Settings read = ReadSettings(settings.toStdString());
  EXPECT_EQ(read.conveyorFiles[2], "/shows/show1.klv");
  EXPECT_EQ(read.conveyorFiles[19], "/shows/concert12.klv");
  EXPECT_TRUE(read.conveyorFiles[0].empty());
}

TEST_F(ConveyorPanelTest, HandModeLoadsAtOnceAndAnEmptySlotKeyOnlyTicks) {
  const QString a = MakeShow(QStringLiteral("alpha.klv"), 33);
  Assign(2, a);
  Slot(5)->setChecked(true);

  // The key of an empty slot ticks it alone and loads nothing.
  Core().Runner().ConveyorSlotKey(4);
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(Slot(k)->isChecked(), k == 4) << k;
  EXPECT_EQ(Level(0, 1), 0);
  EXPECT_TRUE(dialogs.errors.isEmpty());

  // The key of an assigned slot loads its show from scene 0; playback is not started.
  Show().memory.Set(kCurrentStep, 0);
  Core().Runner().ConveyorSlotKey(2);
  EXPECT_EQ(Level(0, 1), 33);
  EXPECT_EQ(Show().CurrentStep(), 0);
  EXPECT_TRUE(Slot(2)->isChecked());
  EXPECT_FALSE(Slot(4)->isChecked());
  EXPECT_FALSE(Core().Playing());
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("alpha"));
  EXPECT_TRUE(Caption().endsWith(a)) << Caption().toStdString();

  // A left click on a slot does the same as its key.
  Core().ClearAll();
  QTest::mouseClick(Slot(2), Qt::LeftButton);
  EXPECT_EQ(Level(0, 1), 33);
  EXPECT_TRUE(Slot(2)->isChecked());

  // With the keyboard box unticked the keys do nothing.
  Core().ClearAll();
  QTest::mouseClick(Box(QStringLiteral("CheckBoxKeyKonveyr")), Qt::LeftButton);
  EXPECT_FALSE(Core().ConveyorKeys());
  Core().Runner().ConveyorSlotKey(2);
  EXPECT_EQ(Level(0, 1), 0);
  // Switching the keys off elsewhere unticks the box.
  Core().SetConveyorKeys(true);
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxKeyKonveyr"))->isChecked());
  Core().SetConveyorKeys(false);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxKeyKonveyr"))->isChecked());
}

TEST_F(ConveyorPanelTest, ListModePlaysTheTickedShowsOneAfterAnother) {
  const QString three = MakeShow(QStringLiteral("three.klv"), 30);
  const QString seven = MakeShow(QStringLiteral("seven.klv"), 70);
  Assign(3, three);
  Assign(7, seven);
  // Composing: left clicks only tick; a ticked empty slot is skipped later.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvOff")), Qt::LeftButton);
  for (int k : {3, 5, 7}) QTest::mouseClick(Slot(k), Qt::LeftButton);
  EXPECT_EQ(Level(0, 1), 0);
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(Slot(k)->isChecked(), k == 3 || k == 5 || k == 7);
  // A key in composing mode does nothing.
  Core().Runner().ConveyorSlotKey(3);
  EXPECT_TRUE(Slot(7)->isChecked());
  EXPECT_EQ(Level(0, 1), 0);

  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvSpis")), Qt::LeftButton);
  EXPECT_EQ(Level(0, 1), 30);
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("3 three"));
  EXPECT_TRUE(Core().Playing());
  EXPECT_EQ(Runner().ConveyorState().Position(), 4);

  // The end of the pass loads slot 7 and the show keeps playing towards its levels.
  EndPass();
  EXPECT_EQ(Level(0, 1), 70);
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("7 seven"));
  EXPECT_TRUE(Core().Playing());
  EXPECT_EQ(Show().CurrentStep(), 0);
  Tick(300);
  EXPECT_EQ(Out(1), 70);

  // Nothing after slot 7: the show stays, the label stays, the search starts again at 1.
  EndPass();
  EXPECT_EQ(Level(0, 1), 70);
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("7 seven"));
  EXPECT_EQ(Runner().ConveyorState().Position(), 1);
  EndPass();
  EXPECT_EQ(Level(0, 1), 30);
  EXPECT_TRUE(Core().Playing());

  // Hand mode stops the show and the passes no longer load anything.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvHand")), Qt::LeftButton);
  EXPECT_FALSE(Core().Playing());
  Core().Runner().Play();
  EndPass();
  EXPECT_EQ(Level(0, 1), 30);

  // From the current position slot 7 comes next; from the first, slot 3 again.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvSpis")), Qt::LeftButton);
  EXPECT_EQ(Level(0, 1), 70);
  EXPECT_EQ(Runner().ConveyorState().Position(), 8);
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvSpisBegin")), Qt::LeftButton);
  EXPECT_EQ(Level(0, 1), 30);
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("3 three"));
  EXPECT_EQ(Runner().ConveyorState().Position(), 4);
  EXPECT_TRUE(Core().Playing());
}

TEST_F(ConveyorPanelTest, AFileThatCannotBeOpenedIsReportedAndTheListGoesOn) {
  const QString good = MakeShow(QStringLiteral("good.klv"), 44);
  Show().DataWrite(2, 1, 12);
  Assign(2, PathIn(QStringLiteral("gone.klv")));
  Assign(4, good);
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvOff")), Qt::LeftButton);
  QTest::mouseClick(Slot(2), Qt::LeftButton);
  QTest::mouseClick(Slot(4), Qt::LeftButton);
  Show().memory.Set(kLastScene, 3);
  Show().memory.Set(kCurrentStep, 2);

  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvSpisBegin")), Qt::LeftButton);
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_EQ(dialogs.errors.front(), QStringLiteral("Файл не существует !"));
  EXPECT_EQ(Status(), QStringLiteral("2 gone: Файл не существует !"));
  EXPECT_EQ(Level(2, 1), 12);
  EXPECT_EQ(Show().CurrentStep(), 2);
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("No job"));
  // The output keeps running on the show in memory.
  Tick(300);
  EXPECT_EQ(Out(1), 12);
  // The list has moved past the slot: the end of this pass loads slot 4, with no new message.
  EndPass();
  EndPass();
  EXPECT_EQ(dialogs.errors.size(), 1);
  EXPECT_EQ(Level(0, 1), 44);
  EXPECT_EQ(Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("4 good"));

  // In hand mode the same: a message, the show unchanged.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvHand")), Qt::LeftButton);
  Core().Runner().ConveyorSlotKey(2);
  EXPECT_EQ(dialogs.errors.size(), 2);
  EXPECT_EQ(Level(0, 1), 44);
}

TEST_F(ConveyorPanelTest, ClearingAsksAndEmptiesEverySlot) {
  Assign(1, QStringLiteral("/s/a.klv"));
  Assign(20, QStringLiteral("/s/b.klv"));
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvOff")), Qt::LeftButton);
  QTest::mouseClick(Slot(1), Qt::LeftButton);
  dialogs.answers.push_back(false);
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvNew")), Qt::LeftButton);
  EXPECT_EQ(dialogs.questions.back(), QStringLiteral("Удалить все файлы конвейра ? "));
  EXPECT_EQ(Slot(1)->text(), QStringLiteral("Q=a"));
  dialogs.answers.push_back(true);
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonKonvNew")), Qt::LeftButton);
  EXPECT_EQ(Slot(1)->text(), QStringLiteral("Q (пусто)"));
  EXPECT_EQ(Slot(20)->text(), QStringLiteral("(пусто)"));
  EXPECT_FALSE(Slot(1)->isChecked());
  EXPECT_FALSE(Bold(1));
  EXPECT_EQ(TextColour(20), QColor(255, 0, 0));
  for (const auto& file : Core().Files().ConveyorFiles()) EXPECT_TRUE(file.empty());
}

TEST(ConveyorStartup, SlotsAreLabelledFromTheSettingsFile) {
  TestConsole c;
  Settings settings;
  settings.conveyorFiles[0] = "C:\\Shows\\Concert.klv";
  settings.conveyorFiles[4] = "/shows/Unit_001.klv";
  settings.conveyorFiles[19] = "/shows/finale.klv";
  const QString path = c.PathIn(QStringLiteral("config/Kalvo.ini"));
  QDir().mkpath(QFileInfo(path).absolutePath());
  ASSERT_TRUE(WriteSettings(path.toStdString(), settings).ok);
  c.Start();
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButton1"))->text(), QStringLiteral("Q=Concert"));
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButton5"))->text(), QStringLiteral("T=Unit_001"));
  EXPECT_TRUE(c.Button(QStringLiteral("SpeedButton5"))->font().bold());
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButton2"))->text(), QStringLiteral("W пусто"));
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButton20"))->text(), QStringLiteral(" finale"));
  // The label keeps the short name of the last slot labelled with a file.
  EXPECT_EQ(c.Text(QStringLiteral("LabelKonveyr"))->text(), QStringLiteral("finale"));
}

}  // namespace
}  // namespace kalvetro::testing
