// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "editing/ChannelNames.h"
#include "playback/ui/AutomatsPage.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

// A started console with the automat timers held: tests run the automat ticks by hand and the
// output ticks with Tick().
class AutomatsPageTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    page = form->findChild<AutomatsPage*>(QStringLiteral("AutomatsPage"));
    ASSERT_NE(page, nullptr);
    Runner().AutomatTimer(1).stop();
    Runner().AutomatTimer(2).stop();
  }

  void ShowAutomatsTab() {
    auto* input = Find<QTabWidget>("PageControlInput");
    input->setCurrentWidget(Find<QWidget>("TabSheetAvtomaty"));
    form->RefreshAll();
  }
  // Bright and dark levels through their sliders (level = 255 - position).
  void SetLevels(int a, int bright, int dark) {
    page->Ui(a).brightSlider->setValue(255 - bright);
    page->Ui(a).darkSlider->setValue(255 - dark);
  }
  std::array<int, 4> Slots(int first) {
    return {Out(first), Out(first + 1), Out(first + 2), Out(first + 3)};
  }
  QColor Fill(QFrame* frame) { return frame->palette().color(QPalette::Window); }

  AutomatsPage* page = nullptr;
};

TEST_F(AutomatsPageTest, ControlsStartAsTheConsoleOpens) {
  auto* tab = Find<QWidget>("TabSheetAvtomaty");
  for (int a = 1; a <= 2; ++a) {
    AutomatWidgets& ui = page->Ui(a);
    EXPECT_TRUE(tab->isAncestorOf(ui.automatGroup));
    EXPECT_EQ(ui.automatGroup->title(), QStringLiteral("Автомат %1  четырех канальный ").arg(a));
    EXPECT_EQ(ui.firstChannelSlider->minimum(), 0);
    EXPECT_EQ(ui.firstChannelSlider->maximum(), 250);
    EXPECT_EQ(ui.firstChannelSlider->value(), 0);
    EXPECT_EQ(
        ui.firstChannelSlider->toolTip(),
        QStringLiteral("Установка первого канала, с которого будет работать автомат бегушки"));
    EXPECT_EQ(ui.channelsLabel->text(), QStringLiteral("Каналы  1+2+3+4"));
    EXPECT_EQ(ui.channelNameLabel->text(), QStringLiteral("Каналы  1+2+3+4"));
    EXPECT_EQ(ui.tempoSlider->minimum(), 5);
    EXPECT_EQ(ui.tempoSlider->maximum(), 50);
    EXPECT_EQ(ui.tempoSlider->value(), 10);
    EXPECT_EQ(ui.tempoSlider->toolTip(), QStringLiteral("Скорость переключения автомата"));
    EXPECT_EQ(ui.tempoLabel->text(), QStringLiteral("Скорость переключения"));
    EXPECT_EQ(ui.stepLabel->text(), QStringLiteral("Step = 1"));
    EXPECT_EQ(Runner().AutomatTimer(a).interval(), 100);
    EXPECT_EQ(Runner().AutomatTimer(a).timerType(), Qt::PreciseTimer);
    EXPECT_TRUE(ui.programButtons[0]->isChecked());
    EXPECT_FALSE(ui.programButtons[1]->isChecked());
    EXPECT_EQ(ui.programButtons[0]->toolTip(), QStringLiteral("Выбор эффекта один бегущий огонек"));
    EXPECT_EQ(ui.programButtons[1]->toolTip(), QStringLiteral("Выбор эффекта два бегущих огонька"));
    EXPECT_EQ(ui.programButtons[2]->toolTip(), QStringLiteral("Выбор эффекта бегущая тень"));
    EXPECT_EQ(ui.programButtons[3]->toolTip(), QStringLiteral("Выбор эффекта код с наполнением"));
    EXPECT_EQ(Fill(ui.lampFrames[0]), QColor(128, 128, 128));
    EXPECT_EQ(Fill(ui.lampFrames[2]), QColor(128, 128, 128));
    EXPECT_EQ(Fill(ui.lampFrames[3]), QColor(0, 0, 255));
    EXPECT_EQ(ui.brightSlider->orientation(), Qt::Vertical);
    EXPECT_EQ(ui.brightSlider->value(), 127);
    EXPECT_EQ(ui.brightSlider->maximum(), 255);
    EXPECT_EQ(ui.brightSlider->toolTip(), QStringLiteral("Максимальная яркость автомата"));
    EXPECT_EQ(ui.darkSlider->value(), 127);
    EXPECT_EQ(ui.darkSlider->toolTip(), QStringLiteral("Минимальная яркость автомата"));
    EXPECT_EQ(ui.runAlwaysBox->text(), QStringLiteral("Пуск самостоятельно"));
    EXPECT_FALSE(ui.runAlwaysBox->isChecked());
    EXPECT_EQ(ui.runAlwaysBox->toolTip(), QStringLiteral("Запусить автомат постоянно"));
    EXPECT_EQ(ui.withShowBox->text(), QStringLiteral("С основным"));
    EXPECT_FALSE(ui.withShowBox->isChecked());
    EXPECT_EQ(ui.withShowBox->toolTip(),
              QStringLiteral("Установленный флажок будет запускать автомат вместе с секвенсером %1")
                  .arg(a));
  }
  // Start-up set both tempo bytes to 10.
  EXPECT_EQ(Memory().Get(145), 10);
  EXPECT_EQ(Memory().Get(150), 10);
}

TEST_F(AutomatsPageTest, RunningAlwaysLaysTheFourSlotsOverTheSceneStepByStep) {
  // Scene 0 holds 50 on channels 11..14; the rate row of a new show jumps in one tick.
  for (int n = 11; n <= 14; ++n) Show().DataWrite(0, static_cast<std::uint8_t>(n), 50);
  ShowAutomatsTab();
  AutomatWidgets& ui = page->Ui(1);
  SetLevels(1, 255, 0);
  EXPECT_EQ(Memory().Get(148), 255);
  EXPECT_EQ(Memory().Get(149), 0);
  ui.firstChannelSlider->setValue(10);
  EXPECT_EQ(Memory().Get(146), 10);
  EXPECT_EQ(ui.channelsLabel->text(), QStringLiteral(" Каналы 11  12  13  14"));

  // Not ticked: the automat tick leaves the channels to the scene.
  Runner().AutomatTick(1);
  Tick();
  EXPECT_EQ(Slots(11), (std::array<int, 4>{50, 50, 50, 50}));
  EXPECT_EQ(ui.stepLabel->text(), QStringLiteral("Step = 1"));

  QTest::mouseClick(ui.runAlwaysBox, Qt::LeftButton);
  ASSERT_TRUE(ui.runAlwaysBox->isChecked());
  // Program 1 "один бегущий огонек": one channel bright, moving one channel per step.
  const std::array<std::array<int, 4>, 4> expected{
      {{0, 255, 0, 0}, {0, 0, 255, 0}, {0, 0, 0, 255}, {255, 0, 0, 0}}};
  for (int i = 0; i < 4; ++i) {
    Runner().AutomatTick(1);
    Tick();
    EXPECT_EQ(Slots(11), expected[i]) << "automat tick " << i + 1;
    EXPECT_EQ(ui.stepLabel->text(), QStringLiteral("Step = %1").arg(i + 2));
    // The channels beside the automat keep the scene.
    EXPECT_EQ(Out(10), 0);
    EXPECT_EQ(Out(15), 0);
  }
  // The lamps show the last step's levels as grey shades: step 4 is B D D D.
  EXPECT_EQ(Fill(ui.lampFrames[0]), QColor(255, 255, 255));
  EXPECT_EQ(Fill(ui.lampFrames[1]), QColor(0, 0, 0));

  // Program 4 "код с наполнением" from step 4 on: step 5 is D D B B.
  QTest::mouseClick(ui.programButtons[3], Qt::LeftButton);
  EXPECT_EQ(Memory().Get(147), 4);
  Runner().AutomatTick(1);
  Tick();
  EXPECT_EQ(Slots(11), (std::array<int, 4>{0, 0, 255, 255}));

  // Unticked, the next automat tick gives the channels back to the scene at once.
  QTest::mouseClick(ui.runAlwaysBox, Qt::LeftButton);
  Runner().AutomatTick(1);
  Tick();
  EXPECT_EQ(Slots(11), (std::array<int, 4>{50, 50, 50, 50}));
  EXPECT_FALSE(Controls().automats[0].active.load());
}

TEST_F(AutomatsPageTest, WithTheShowRunsOnlyWhilePlaying) {
  AutomatWidgets& ui = page->Ui(2);
  SetLevels(2, 200, 20);
  QTest::mouseClick(ui.withShowBox, Qt::LeftButton);
  Runner().AutomatTick(2);
  Tick();
  EXPECT_FALSE(Controls().automats[1].active.load());
  EXPECT_EQ(Slots(1), (std::array<int, 4>{0, 0, 0, 0}));
  Core().Runner().Play();
  Runner().AutomatTick(2);
  Tick();
  EXPECT_TRUE(Controls().automats[1].active.load());
  EXPECT_EQ(Slots(1), (std::array<int, 4>{20, 200, 20, 20}));
  EXPECT_EQ(ui.stepLabel->text(), QStringLiteral("Step = 2"));
}

TEST_F(AutomatsPageTest, BlackoutStopsBothAutomatsWhileTheStripsKeepBlinking) {
  for (int a = 1; a <= 2; ++a) {
    SetLevels(a, 255, 0);
    QTest::mouseClick(page->Ui(a).runAlwaysBox, Qt::LeftButton);
    Runner().AutomatTick(a);
    Runner().AutomatTick(a);
    EXPECT_TRUE(Controls().automats[a - 1].active.load());
    EXPECT_EQ(page->Ui(a).stepLabel->text(), QStringLiteral("Step = 3"));
  }
  Core().Runner().SetBlackOut(true);
  for (int a = 1; a <= 2; ++a) {
    QFrame* strip = page->Ui(a).tickStrip;
    const QColor before = Fill(strip);
    Runner().AutomatTick(a);
    const QColor once = Fill(strip);
    Runner().AutomatTick(a);
    EXPECT_NE(once, before);
    EXPECT_EQ(Fill(strip), before);
    EXPECT_TRUE(once == QColor(255, 0, 0) || once == QColor(0, 255, 0));
    EXPECT_FALSE(Controls().automats[a - 1].active.load());
    EXPECT_EQ(page->Ui(a).stepLabel->text(), QStringLiteral("Step = 3"));
    EXPECT_EQ(Runner().AutomatState(a).Step(), 2);
  }
  // Back from blackout the automats go on where they stopped.
  Core().Runner().SetBlackOut(false);
  Runner().AutomatTick(1);
  EXPECT_EQ(page->Ui(1).stepLabel->text(), QStringLiteral("Step = 4"));
  Tick();
  EXPECT_EQ(Slots(1), (std::array<int, 4>{0, 0, 0, 255}));
}

TEST_F(AutomatsPageTest, OnOverlappingChannelsAutomatTwoWins) {
  // Automat 1 on channels 1..4, program 4 (B B D D at step 1), bright 200, dark 0.
  SetLevels(1, 200, 0);
  QTest::mouseClick(page->Ui(1).programButtons[3], Qt::LeftButton);
  // Automat 2 on channels 3..6, program 1 (D B D D at step 1), bright 100, dark 10.
  SetLevels(2, 100, 10);
  page->Ui(2).firstChannelSlider->setValue(2);
  for (int a = 1; a <= 2; ++a) {
    QTest::mouseClick(page->Ui(a).runAlwaysBox, Qt::LeftButton);
    Runner().AutomatTick(a);
  }
  Tick();
  EXPECT_EQ(Out(1), 200);
  EXPECT_EQ(Out(2), 200);
  EXPECT_EQ(Out(3), 10);  // automat 1 says 0 here, automat 2 says 10
  EXPECT_EQ(Out(4), 100);
  EXPECT_EQ(Out(5), 10);
  EXPECT_EQ(Out(6), 10);
  EXPECT_EQ(Out(7), 0);
}

TEST_F(AutomatsPageTest, TempoSliderSetsTimerAndLabel) {
  AutomatWidgets& ui = page->Ui(1);
  ui.tempoSlider->setValue(5);
  EXPECT_EQ(Memory().Get(145), 5);
  EXPECT_EQ(Runner().AutomatTimer(1).interval(), 25);
  EXPECT_EQ(ui.tempoLabel->text(), QStringLiteral("2400 Flash/мин "));
  ui.tempoSlider->setValue(50);
  EXPECT_EQ(Runner().AutomatTimer(1).interval(), 2500);
  EXPECT_EQ(ui.tempoLabel->text(), QStringLiteral("24 Flash/мин "));
  // Automat 2 keeps its own tempo.
  EXPECT_EQ(Runner().AutomatTimer(2).interval(), 100);
  EXPECT_EQ(Memory().Get(150), 10);
}

// The page is hidden, as during a conveyor load at the end of a pass: the automats still take
// the new show's settings at once.
TEST_F(AutomatsPageTest, OpeningAShowPutsItsAutomatsOnThePageShownOrNot) {
  // A show whose automat 2 has program 3, tempo byte 0, first channel 7 and a named channel 8
  // (names are stored with their blanks as 0 bytes, so a name ends at its first blank).
  Memory().Set(150, 0);
  Memory().Set(151, 7);
  Memory().Set(152, 3);
  Memory().Set(153, 255 - 40);
  Memory().Set(154, 255 - 200);
  Memory().Set(147, 9);  // no program of automat 1: its buttons stay as they are
  ASSERT_TRUE(SaveName(Memory(), 8, "Пушка-2").stored);
  BlanksToZero(Memory());
  const QString path = PathIn(QStringLiteral("automats.klv"));
  ASSERT_TRUE(Core().Files().SaveShowAs(path).ok);

  // Another show in memory, program 1 of automat 2 pressed.
  Core().ClearAll();
  Memory().Set(151, 0);
  QTest::mouseClick(page->Ui(2).programButtons[0], Qt::LeftButton);
  ASSERT_TRUE(page->Ui(2).programButtons[0]->isChecked());

  ASSERT_FALSE(IsShownPage(page));
  ASSERT_TRUE(form->GetConsole().Files().OpenShow(path).ok);
  form->GetConsole().RefreshAll();

  AutomatWidgets& ui = page->Ui(2);
  EXPECT_TRUE(ui.programButtons[2]->isChecked());
  EXPECT_FALSE(ui.programButtons[0]->isChecked());
  EXPECT_TRUE(page->Ui(1).programButtons[0]->isChecked());
  EXPECT_EQ(ui.firstChannelSlider->value(), 7);
  EXPECT_EQ(ui.channelsLabel->text(), QStringLiteral(" Каналы 8  9  10  11"));
  EXPECT_EQ(ui.channelNameLabel->text(), QStringLiteral(" Начиная от - Пушка-2"));
  EXPECT_EQ(ui.brightSlider->value(), 40);
  EXPECT_EQ(ui.darkSlider->value(), 200);
  // Tempo byte 0 runs as 20: 400 ms, 150 flashes a minute, and the show keeps its byte.
  EXPECT_EQ(Runner().AutomatTimer(2).interval(), 400);
  EXPECT_EQ(ui.tempoLabel->text(), QStringLiteral("150 Flash/мин "));
  EXPECT_EQ(ui.tempoSlider->value(), 20);
  EXPECT_EQ(Memory().Get(150), 0);
  EXPECT_EQ(Memory().Get(147), 9);

  // The loaded program runs: program 3 "бегущая тень" at step 1 is D D B B on channels 8..11.
  QTest::mouseClick(ui.runAlwaysBox, Qt::LeftButton);
  Runner().AutomatTick(2);
  Tick();
  EXPECT_EQ(Slots(8), (std::array<int, 4>{55, 55, 215, 215}));
}

// An automat that cannot run, on a hidden page, would only flash a lamp nobody sees: its timer
// rests. Whatever lets it run again, or showing the page, starts the timer, and the automat
// then steps and reaches the output as before.
TEST_F(AutomatsPageTest, TimerRestsWhileTheAutomatCannotRunOnAHiddenPage) {
  AutomatWidgets& ui = page->Ui(1);
  QTimer* timer = &Runner().AutomatTimer(1);
  SetLevels(1, 255, 0);
  timer->start();
  QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 2000);
  EXPECT_EQ(ui.stepLabel->text(), QStringLiteral("Step = 1"));

  // "Пуск самостоятельно": the timer runs and the automat steps by itself.
  ui.runAlwaysBox->setChecked(true);
  EXPECT_TRUE(timer->isActive());
  QTRY_COMPARE_WITH_TIMEOUT(ui.stepLabel->text(), QStringLiteral("Step = 3"), 2000);
  EXPECT_TRUE(timer->isActive());
  Tick();
  EXPECT_EQ(std::ranges::count(Slots(1), 255), 1);

  // Back to "with the show" only: it rests while the show is stopped, runs when it plays, and
  // rests again under a blackout, which it obeys.
  ui.withShowBox->setChecked(true);
  ui.runAlwaysBox->setChecked(false);
  QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 2000);
  Core().Runner().Play();
  EXPECT_TRUE(timer->isActive());
  const QString before = ui.stepLabel->text();
  QTRY_VERIFY_WITH_TIMEOUT(ui.stepLabel->text() != before, 2000);
  Core().Runner().SetBlackOut(true);
  QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 2000);
  Core().Runner().SetBlackOut(false);
  EXPECT_TRUE(timer->isActive());

  // Stopped and resting again, the page coming into view starts the lamp flashing.
  QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 2000);
  form->show();
  ShowAutomatsTab();
  EXPECT_TRUE(timer->isActive());
  const QColor lamp = Fill(ui.tickStrip);
  QTRY_VERIFY_WITH_TIMEOUT(Fill(ui.tickStrip) != lamp, 2000);
  EXPECT_TRUE(timer->isActive());
}

}  // namespace
}  // namespace kalvetro::testing
