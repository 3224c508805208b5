// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "output/ui/FadeRatePage.h"
#include "output/ui/LevelPage.h"
#include "output/ui/OutputFixture.h"

namespace kalvetro::testing {
namespace {

TEST(FadeRates, StartUpMovesEveryStripRateToJumpAndShowsNo) {
  OutputFixture c;
  for (int k = 1; k <= kStripCount; ++k) {
    const QString name = QStringLiteral("ScrollBarRate%1").arg(k, 2, 10, QLatin1Char('0'));
    ASSERT_NE(c.Bar(name), nullptr) << name.toStdString();
    EXPECT_EQ(c.Bar(name)->value(), 7);
    EXPECT_EQ(c.Bar(name)->toolTip(), QStringLiteral("Время изменения уровня DMX канала"));
  }
  EXPECT_EQ(c.Text(QStringLiteral("LabelRate"))->text(), QStringLiteral("no"));
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRateLeuel"))->value(), 7);
  for (int n = 1; n <= 255; ++n) EXPECT_EQ(c.Memory().Get(kRateRow + n), 255);
}

TEST(FadeRates, StripRateSliderSetsItsChannelAndTheLabel) {
  OutputFixture c;
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(10);
  c.Bar(QStringLiteral("ScrollBarRate04"))->setValue(0);  // channel 14
  EXPECT_EQ(c.Memory().Get(kRateRow + 14), 1);
  EXPECT_EQ(c.Text(QStringLiteral("LabelRate"))->text(), QStringLiteral("15"));
  c.Bar(QStringLiteral("ScrollBarRate04"))->setValue(5);
  EXPECT_EQ(c.Memory().Get(kRateRow + 14), 50);
  EXPECT_EQ(c.Text(QStringLiteral("LabelRate"))->text(), QStringLiteral("0,5"));

  // Position 0 moves the channel by one level per tick.
  c.Bar(QStringLiteral("ScrollBarRate04"))->setValue(0);
  c.Show().DataWrite(0, 14, 255);
  c.Tick(3);
  EXPECT_EQ(c.Out(14), 3);
}

TEST(FadeRates, GroupRateActsOnTheSelectedChannels) {
  OutputFixture c;
  c.Box(QStringLiteral("CheckBox2"))->setChecked(true);
  c.Box(QStringLiteral("CheckBox5"))->setChecked(true);
  c.Bar(QStringLiteral("ScrollBarRateLeuel"))->setValue(3);
  for (int n = 1; n <= 255; ++n)
    EXPECT_EQ(c.Memory().Get(kRateRow + n), n == 2 || n == 5 ? 8 : 255) << n;
  EXPECT_EQ(c.Memory().Get(kRateStep), 8);
  EXPECT_EQ(c.Text(QStringLiteral("LabelRate"))->text(), QStringLiteral("2"));
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRate02"))->value(), 3);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRate05"))->value(), 3);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRate03"))->value(), 7);
}

TEST(FadeRates, RefreshTurnsALoadedStepBetweenTableValuesIntoTheTableStep) {
  OutputFixture c;
  c.Memory().Set(kRateRow + 1, 3);
  c.Memory().Set(kRateRow + 2, 60);
  c.Memory().Set(kRateRow + 28, 3);  // not shown: left as loaded
  c.form->RefreshAll();
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRate01"))->value(), 2);
  EXPECT_EQ(c.Memory().Get(kRateRow + 1), 4);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRate02"))->value(), 6);
  EXPECT_EQ(c.Memory().Get(kRateRow + 2), 100);
  EXPECT_EQ(c.Memory().Get(kRateRow + 28), 3);
}

TEST(CrossfadeMode, RadioGroupDrivesTheTickAndCanBeCleared) {
  OutputFixture c;
  auto* group = c.Find<QGroupBox>(QStringLiteral("RadioGroupRate"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->title(), QStringLiteral("Плавность перехода  сцен "));
  auto* sliders = c.Find<QRadioButton>(QStringLiteral("RadioGroupRateItem0"));
  auto* automat = c.Find<QRadioButton>(QStringLiteral("RadioGroupRateItem1"));
  auto* off = c.Find<QRadioButton>(QStringLiteral("RadioGroupRateItem2"));
  EXPECT_EQ(sliders->text(), QStringLiteral("Ползунки"));
  EXPECT_EQ(automat->text(), QStringLiteral("Автомат"));
  EXPECT_EQ(off->text(), QStringLiteral("Выкл"));
  EXPECT_TRUE(sliders->isChecked());

  c.Bar(QStringLiteral("ScrollBarRate01"))->setValue(0);  // channel 1 fades by 1
  c.Show().DataWrite(0, 1, 200);
  c.Tick();
  EXPECT_EQ(c.Out(1), 1);
  QTest::mouseClick(off, Qt::LeftButton);
  EXPECT_EQ(c.Controls().crossfade.mode.load(), kCrossfadeOff);
  c.Tick();
  EXPECT_EQ(c.Out(1), 200);

  auto* page = c.Find<FadeRatePage>(QStringLiteral("FadeRatePage"));
  page->SetItemIndex(-1);
  EXPECT_EQ(page->ItemIndex(), -1);
  EXPECT_FALSE(off->isChecked());
  c.Show().DataWrite(0, 1, 0);
  c.Tick();
  EXPECT_EQ(c.Out(1), 200);  // no item: the frame holds
  page->SetItemIndex(1);
  EXPECT_TRUE(automat->isChecked());
  c.Tick();
  EXPECT_EQ(c.Out(1), 0);  // "Автомат" while stopped jumps
}

TEST(LevelAll, WritesTheSelectedChannelsOfTheSceneAlsoWhilePlaying) {
  OutputFixture c;
  auto* level = c.Bar(QStringLiteral("ScrollBarLevelAll"));
  EXPECT_EQ(level->value(), 127);
  EXPECT_EQ(level->toolTip(), QStringLiteral("Общий абсолютный уровень каналов"));

  // Nothing selected: the scene stays as it is.
  c.Show().DataWrite(0, 4, 33);
  level->setValue(200);
  for (int n = 0; n <= 255; ++n) EXPECT_EQ(c.Level(0, n), n == 4 ? 33 : 0) << n;

  c.Memory().Set(kCurrentStep, 2);
  c.Box(QStringLiteral("CheckBox4"))->setChecked(true);
  c.Box(QStringLiteral("CheckBox9"))->setChecked(true);
  c.Show().playing = true;
  level->setValue(90);
  EXPECT_EQ(c.Level(2, 4), 90);
  EXPECT_EQ(c.Level(2, 9), 90);
  EXPECT_EQ(c.Level(2, 5), 0);
  EXPECT_EQ(c.Level(0, 4), 33);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar4"))->value(), 90);  // faders refreshed
}

TEST(BlackOut, BoxAndButtonsKeepOneModeDownAndStopTheShow) {
  OutputFixture c;
  auto* box = c.Box(QStringLiteral("CheckBoxBlackOut"));
  auto* normal = c.Button(QStringLiteral("SpeedButtonOnScena"));
  auto* macro = c.Button(QStringLiteral("SpeedButtonMacrosOut"));
  auto* dark = c.Button(QStringLiteral("SpeedButtonBlackOut"));
  EXPECT_EQ(box->text(), QStringLiteral("BlackOut"));
  EXPECT_EQ(box->toolTip(), QStringLiteral("Выключает все каналы DMX  Горячая кнопка = O = "));
  EXPECT_EQ(dark->toolTip(), box->toolTip());
  EXPECT_EQ(normal->toolTip(), QStringLiteral("Разрешить нормальную работу "));
  EXPECT_EQ(macro->toolTip(),
            QStringLiteral("Выключает все каналы  и включает  каналы статической каркинки =M= "));
  EXPECT_TRUE(normal->isChecked());
  EXPECT_FALSE(box->isChecked());

  for (int n = 1; n <= 255; ++n) c.Show().DataWrite(0, n, 150);
  c.Memory().Set(PictureOffset(kMacroPicture) + 7, 1);
  c.Memory().Set(PictureOffset(kMacroPicture) + kPictureLevels + 7, 66);

  // Ticking the box while the show plays: dark at the next tick, the show stops, the button
  // blinks.
  c.Show().playing = true;
  box->setChecked(true);
  EXPECT_FALSE(c.Show().playing.load());
  EXPECT_TRUE(dark->isChecked());
  c.Tick();
  EXPECT_EQ(c.Out(1), 0);
  c.Strips()->ApplyBlackOutBlink();
  EXPECT_TRUE(dark->isHidden());
  c.Tick();
  c.Strips()->ApplyBlackOutBlink();
  EXPECT_FALSE(dark->isHidden());

  // Macro: only picture "M" lights, through the blackout.
  QTest::mouseClick(macro, Qt::LeftButton);
  EXPECT_TRUE(macro->isChecked());
  EXPECT_TRUE(box->isChecked());
  c.Tick();
  EXPECT_EQ(c.Out(7), 66);
  EXPECT_EQ(c.Out(8), 0);
  // Unticking the box by hand in macro mode keeps the macro button down: scene with "M".
  box->setChecked(false);
  EXPECT_TRUE(macro->isChecked());
  c.Tick();
  EXPECT_EQ(c.Out(7), 66);
  EXPECT_EQ(c.Out(8), 150);
  EXPECT_FALSE(dark->isHidden());

  // Normal work restores the frame.
  QTest::mouseClick(dark, Qt::LeftButton);
  EXPECT_TRUE(box->isChecked());
  QTest::mouseClick(normal, Qt::LeftButton);
  EXPECT_TRUE(normal->isChecked());
  EXPECT_FALSE(box->isChecked());
  c.Tick();
  EXPECT_EQ(c.Out(7), 150);
  EXPECT_EQ(c.Out(8), 150);
}

TEST(StaticPictures, SixteenBoxesInKeyOrderWithTheirHints) {
  OutputFixture c;
  const char* names[] = {"1",     "2", "3", "4", "5", "6", "7", "8",
                         "Space", "Z", "X", "C", "V", "B", "N", "M"};
  auto* group = c.Find<QGroupBox>(QStringLiteral("GroupBoxChasers"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->title(), QStringLiteral(" Статические картинки "));
  for (int k = 0; k < kPictureCount; ++k) {
    auto* box = c.Box(QStringLiteral("CheckBoxChs") + QString::fromLatin1(names[k]));
    ASSERT_NE(box, nullptr) << names[k];
    const QString key = k == 8 ? QStringLiteral("прбел") : QString::fromLatin1(names[k]);
    EXPECT_EQ(box->toolTip(),
              QStringLiteral("Запрограммированая статическая картинка - Горячая кнопка =") + key +
                  QStringLiteral("= "));
    // Each box lays its own picture: the later one wins on channel 30.
    c.Memory().Set(PictureOffset(k) + 30, 1);
    c.Memory().Set(PictureOffset(k) + kPictureLevels + 30, static_cast<std::uint8_t>(10 + k));
    box->setChecked(true);
    c.Tick();
    EXPECT_EQ(c.Out(30), 10 + k);
  }
  EXPECT_EQ(c.Box(QStringLiteral("CheckBoxChsSpace"))->text(), QStringLiteral("=="));
  c.Box(QStringLiteral("CheckBoxChsM"))->setChecked(false);
  c.Tick();
  EXPECT_EQ(c.Out(30), 10 + 14);  // "N"
}

TEST(LevelsTab, ManualBoxIsOnTheLevelsTab) {
  OutputFixture c;
  auto* manual = c.Box(QStringLiteral("CheckBoxManual"));
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(manual->text(), QStringLiteral("Ручное управление"));
  EXPECT_TRUE(c.form->findChild<QWidget*>(QStringLiteral("TabSheetLevel"))->isAncestorOf(manual));
  EXPECT_TRUE(c.form->findChild<QWidget*>(QStringLiteral("TabSheetLevel"))
                  ->isAncestorOf(c.Box(QStringLiteral("CheckBoxBlackOut"))));
  EXPECT_TRUE(c.form->findChild<QWidget*>(QStringLiteral("TabSheetRate"))
                  ->isAncestorOf(c.Bar(QStringLiteral("ScrollBarRateLeuel"))));
  EXPECT_TRUE(c.form->findChild<QWidget*>(QStringLiteral("TabSheetSttica"))
                  ->isAncestorOf(c.Box(QStringLiteral("CheckBoxChsM"))));
}

}  // namespace
}  // namespace kalvetro::testing
