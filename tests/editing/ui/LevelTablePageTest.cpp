// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <cstring>

#include "editing/ChannelNames.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

class LevelTablePageTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override { Start(); }
  void ShowPage() { Find<QTabWidget>("PageControlInput")->setCurrentIndex(1); }  // "Дамп"
  QString LevelLabelText(int n) {
    return Text(QStringLiteral("LabelDamp%1").arg(n, 3, 10, QLatin1Char('0')))->text();
  }
};

TEST_F(LevelTablePageTest, EditsTheChosenSceneOnlyWithTheBoxTickedAlsoWhilePlaying) {
  ShowPage();
  Core().Runner().Play();
  QCheckBox* box = Box(QStringLiteral("CheckBoxDampScena"));
  QScrollBar* sceneBar = Bar(QStringLiteral("ScrollBarDampScena"));
  QScrollBar* channelBar = Bar(QStringLiteral("ScrollBarDampChanell"));
  QScrollBar* levelBar = Bar(QStringLiteral("ScrollBarDampLevel"));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(sceneBar->isEnabled());
  EXPECT_EQ(sceneBar->value(), 1);
  EXPECT_EQ(channelBar->value(), 32);

  // Box off: the level bar is only a display.
  channelBar->setValue(10);
  levelBar->setValue(99);
  for (int s = 0; s < kSceneCount; ++s) ASSERT_EQ(Level(s, 10), 0) << s;
  EXPECT_EQ(LevelLabelText(10), QStringLiteral("0"));

  box->click();
  EXPECT_TRUE(sceneBar->isEnabled());
  EXPECT_EQ(Text(QStringLiteral("LabelDampScena"))->text(), QStringLiteral(" Сцена = 2"));
  EXPECT_EQ(levelBar->value(), 0);  // the bar shows the level of the shown scene

  sceneBar->setValue(4);
  levelBar->setValue(200);
  EXPECT_EQ(Level(4, 10), 200);
  EXPECT_EQ(Level(0, 10), 0);  // the playing scene is not touched
  EXPECT_EQ(Level(4, 11), 0);
  EXPECT_EQ(LevelLabelText(10), QStringLiteral("200"));
  EXPECT_EQ(Text(QStringLiteral("LabelDampScena"))->text(), QStringLiteral(" Сцена = 5"));
  EXPECT_EQ(Text(QStringLiteral("LabelDampChanell"))->text(), QStringLiteral(" Канал = 10"));
  EXPECT_EQ(Text(QStringLiteral("LabelDampLevel"))->text(), QStringLiteral(" Уровень = 200"));
  EXPECT_EQ(Find<QProgressBar>("ProgressBarDampLevel")->value(), 200);
  EXPECT_TRUE(Core().Playing());

  // Switching the box off returns the page to the current scene (1).
  box->click();
  EXPECT_FALSE(sceneBar->isEnabled());
  EXPECT_EQ(Text(QStringLiteral("LabelDampScena"))->text(), QStringLiteral(" Сцена = 1"));
  EXPECT_EQ(LevelLabelText(10), QStringLiteral("0"));
  EXPECT_EQ(levelBar->value(), 0);
  levelBar->setValue(50);
  EXPECT_EQ(Level(0, 10), 0);
  EXPECT_EQ(Level(4, 10), 200);

  // Edited while stopped, the current scene reaches the output.
  Core().Runner().Stop();
  Memory().Set(kCurrentStep, 4);
  Tick(2);
  EXPECT_EQ(Out(10), 200);
}

TEST_F(LevelTablePageTest, LabelsShowLevelsAndFollowTheCurrentScene) {
  Show().DataWrite(0, 1, 0);
  Show().DataWrite(0, 2, 7);
  Show().DataWrite(0, 3, 255);
  Show().DataWrite(0, 255, 12);
  Show().DataWrite(6, 1, 42);
  EXPECT_EQ(LevelLabelText(1), QStringLiteral(" 000 "));  // not refreshed while hidden
  ShowPage();
  EXPECT_EQ(LevelLabelText(1), QStringLiteral("0"));
  EXPECT_EQ(LevelLabelText(2), QStringLiteral("7"));
  EXPECT_EQ(LevelLabelText(3), QStringLiteral("255"));
  EXPECT_EQ(LevelLabelText(255), QStringLiteral("12"));
  EXPECT_EQ(Text(QStringLiteral("LabelDamp017"))->toolTip(), QStringLiteral("Уровень канала N 17"));

  // Sixteen to a line: channel 17 stands under channel 1, channel 16 at the end of line one.
  form->resize(1366, 768);
  form->show();
  QCoreApplication::processEvents();
  QLabel* one = Text(QStringLiteral("LabelDamp001"));
  QLabel* sixteen = Text(QStringLiteral("LabelDamp016"));
  QLabel* seventeen = Text(QStringLiteral("LabelDamp017"));
  EXPECT_EQ(seventeen->x(), one->x());
  EXPECT_GT(seventeen->y(), one->y());
  EXPECT_EQ(sixteen->y(), one->y());
  EXPECT_GT(sixteen->x(), one->x());

  // A step of the sequencer: the page follows by the next display tick at the latest.
  Memory().Set(kCurrentStep, 6);
  Core().RefreshAll();
  for (int waited = 0; waited < 1000 && LevelLabelText(1) != QStringLiteral("42"); waited += 20)
    QTest::qWait(20);
  EXPECT_EQ(LevelLabelText(1), QStringLiteral("42"));
  EXPECT_EQ(LevelLabelText(2), QStringLiteral("0"));
  EXPECT_EQ(Text(QStringLiteral("LabelDampScena"))->text(), QStringLiteral(" Сцена = 7"));
}

TEST_F(LevelTablePageTest, NameBoxShowsTheSelectedChannelsName) {
  const Cp1251Text name = EncodeCp1251("Пушка", 16);
  ASSERT_TRUE(name.Ok());
  // "Пушка", a 0 byte inside, "2", then 0 padding: shown with a blank for the inner 0.
  for (int i = 0; i < 5; ++i)
    Memory().Set(NameOffset(32) + i, static_cast<std::uint8_t>(name.bytes[i]));
  Memory().Set(NameOffset(32) + 6, '2');
  ShowPage();
  auto* edit = Find<QLineEdit>("EditDampName");
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->text(), QStringLiteral("Пушка 2"));
  EXPECT_EQ(Memory().Get(NameOffset(32) + 5), 0);  // showing the name rewrites nothing

  Bar(QStringLiteral("ScrollBarDampChanell"))->setValue(33);
  EXPECT_EQ(edit->text(), QString());
}

}  // namespace
}  // namespace kalvetro::testing
