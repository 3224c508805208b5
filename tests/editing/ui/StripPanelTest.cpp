// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "editing/ui/LevelLabel.h"
#include "output/ui/OutputFixture.h"

namespace kalvetro::testing {
namespace {

QString Two(int k) {
  return QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'));
}
QString Strip(const char* kind, int k) {
  return QString::fromLatin1(kind) + QString::number(k);
}

TEST(StripPanel, PageHoldsTwentySevenStripsHeadingsAndTheButtonColumn) {
  OutputFixture c;
  QWidget* page = c.Find<QWidget>(QStringLiteral("TabSheetScroll"));
  for (int k = 1; k <= kStripCount; ++k) {
    auto* number = c.Text(QStringLiteral("Label%1c").arg(Two(k)));
    ASSERT_NE(number, nullptr) << k;
    EXPECT_EQ(number->text(), Two(k));  // start captions until the first scroll
    EXPECT_EQ(c.Find<LevelLabel>(Strip("Label", k))->text(), QStringLiteral("255"));
    auto* fader = c.Bar(Strip("ScrollBar", k));
    EXPECT_EQ(fader->maximum(), 255);
    EXPECT_EQ(fader->pageStep(), 10);
    auto* name = c.Find<QLineEdit>(Strip("Edit", k));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->maxLength(), 16);
    EXPECT_FALSE(c.Box(Strip("CheckBox", k))->isChecked());
    EXPECT_TRUE(page->isAncestorOf(fader));
  }
  QStringList headings;
  for (auto* label : c.form->findChildren<QLabel*>(QStringLiteral("LabelOpis")))
    headings << label->text();
  EXPECT_EQ(headings,
            (QStringList{"Канал", "Уровень", "На выходе", "Время изменения", "Имя", "Выбор"}));
  auto* scroll = c.Bar(QStringLiteral("ScrolbarVertPos"));
  EXPECT_EQ(scroll->maximum(), kMaxStripOffset);
  EXPECT_EQ(scroll->pageStep(), 20);

  const std::pair<const char*, const char*> hints[] = {
      {"SpeedButtonOffAllCheck", "Сбросить все флажки в столбце Выбор "},
      {"SpeedButtonOffVisCheck", "Сбросить все видимые флажки в столбце Выбор "},
      {"SpeedButtonOnVisCheck", "Включить все видимые флажки в столбце Выбор "},
      {"SpeedButtonInv1", "Инвертирует состояние флажков в поле  Выбор "},
      {"SpeedButtonInv21", "Инвертирует состояние флажков в поле  Выбор "},
      {"SpeedButtonAllScrl0", "Установить уровни все каналов сцены  в '0'"},
      {"SpeedButtonVis0", "Установить уровни видимых каналов в '0' "},
      {"SpeedButtonVis127", "Установить уровни видимых каналов в '127' "},
      {"SpeedButtonVis255", "Установить уровни видимых каналов в '255' "},
      {"SpeedButtonOutLevel255", "Уровень в стандарте DMX512  0-255"},
      {"SpeedButtonOutLevel100", "Уровень в процентах"},
      {"SpeedButtonLevel255", "Скорость презаписи данных на мониторе"},
  };
  for (auto [name, hint] : hints) {
    auto* button = c.Button(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint)) << name;
    EXPECT_TRUE(page->isAncestorOf(button)) << name;
  }
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButtonOutLevel255"))->text(), QStringLiteral("Ур"));
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButtonOutLevel100"))->text(), QStringLiteral("%"));
  EXPECT_TRUE(c.Button(QStringLiteral("SpeedButtonOutLevel255"))->isChecked());
  EXPECT_TRUE(c.Button(QStringLiteral("SpeedButtonLevel255"))->isChecked());
  for (const char* name : {"SpeedButtonMem1", "SpeedButtonUndo1", "SpeedButtonOnScena",
                           "SpeedButtonMacrosOut", "SpeedButtonBlackOut"})
    EXPECT_TRUE(page->isAncestorOf(c.Button(QString::fromLatin1(name)))) << name;
  EXPECT_EQ(c.Button(QStringLiteral("SpeedButtonInv26")), nullptr);
}

TEST(StripPanel, FaderEditsTheCurrentSceneOnlyWhileStopped) {
  OutputFixture c;
  c.Memory().Set(kCurrentStep, 4);
  c.Bar(QStringLiteral("ScrollBar3"))->setValue(120);
  EXPECT_EQ(c.Level(4, 3), 120);
  EXPECT_EQ(c.Level(0, 3), 0);
  c.Tick();
  EXPECT_EQ(c.Out(3), 120);

  // While playing the fader changes neither the show nor the output.
  c.Show().playing = true;
  c.Bar(QStringLiteral("ScrollBar3"))->setValue(30);
  c.Tick();
  EXPECT_EQ(c.Level(4, 3), 120);
  EXPECT_EQ(c.Out(3), 120);
  // ... unless the strip is selected and manual mode is on: then it overrides the output.
  c.Box(QStringLiteral("CheckBox3"))->setChecked(true);
  c.Box(QStringLiteral("CheckBoxManual"))->setChecked(true);
  c.Tick();
  EXPECT_EQ(c.Out(3), 30);
  EXPECT_EQ(c.Level(4, 3), 120);
}

TEST(StripPanel, ScrollingToTheEndShowsChannels229To255) {
  OutputFixture c;
  c.Show().DataWrite(0, 229, 11);
  c.Show().DataWrite(0, 255, 99);
  c.Memory().Set(kSelectFlags + 254, 1);
  c.Memory().Set(kRateRow + 255, 20);
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(228);
  EXPECT_EQ(c.Strips()->StripOffset(), 228);
  EXPECT_EQ(c.Text(QStringLiteral("Label01c"))->text(), QStringLiteral("229"));
  EXPECT_EQ(c.Text(QStringLiteral("Label27c"))->text(), QStringLiteral("255"));
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar1"))->value(), 11);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar27"))->value(), 99);
  EXPECT_TRUE(c.Box(QStringLiteral("CheckBox26"))->isChecked());
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox27"))->isChecked());
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBarRate27"))->value(), 4);

  c.Bar(QStringLiteral("ScrollBar27"))->setValue(7);
  EXPECT_EQ(c.Level(0, 255), 7);
  EXPECT_EQ(c.Level(1, 0), 0);                              // nothing past channel 255
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(240);  // the bar stops at 228
  EXPECT_EQ(c.Strips()->StripOffset(), 228);

  // Back at the top the numbers lose their leading zeros.
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(0);
  EXPECT_EQ(c.Text(QStringLiteral("Label01c"))->text(), QStringLiteral("1"));
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar1"))->value(), 0);
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox26"))->isChecked());
}

TEST(StripPanel, ManualModeHoldsSelectedFadersAcrossASceneChange) {
  OutputFixture c;
  for (int n = 1; n <= 27; ++n) {
    c.Show().DataWrite(0, n, n);
    c.Show().DataWrite(1, n, 100 + n);
  }
  c.form->RefreshAll();
  c.Box(QStringLiteral("CheckBoxManual"))->setChecked(true);
  c.Box(QStringLiteral("CheckBox3"))->setChecked(true);
  c.Bar(QStringLiteral("ScrollBar3"))->setValue(222);  // also writes scene 0

  // The scene changes (as the sequencer or the step slider do) and the page is refreshed.
  c.Memory().Set(kCurrentStep, 1);
  c.form->RefreshAll();
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar1"))->value(), 101);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar3"))->value(), 222);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar27"))->value(), 127);
  // The held fader is not written into the new scene by the reload, and the scene keeps
  // the levels it had; only the output follows the fader.
  EXPECT_EQ(c.Level(1, 3), 103);
  EXPECT_EQ(c.Level(1, 1), 101);
  c.Tick();
  EXPECT_EQ(c.Out(3), 222);
  EXPECT_EQ(c.Out(2), 102);

  // With manual mode off the next refresh loads every fader again.
  c.Box(QStringLiteral("CheckBoxManual"))->setChecked(false);
  c.form->RefreshAll();
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar3"))->value(), 103);
  c.Tick();
  EXPECT_EQ(c.Out(3), 103);
}

TEST(StripPanel, SelectionBoxesButtonsAndInvert) {
  OutputFixture c;
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(5);
  c.Box(QStringLiteral("CheckBox2"))->setChecked(true);  // channel 7
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 7), 1);
  c.Box(QStringLiteral("CheckBox2"))->setChecked(false);
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 7), 0);

  // Invert twice restores the selection and never touches strips 26 and 27.
  c.Box(QStringLiteral("CheckBox3"))->setChecked(true);
  c.Box(QStringLiteral("CheckBox27"))->setChecked(true);
  auto selection = [&c] {
    std::vector<int> flags;
    for (int k = 1; k <= kStripCount; ++k)
      flags.push_back(c.Box(Strip("CheckBox", k))->isChecked());
    return flags;
  };
  const auto before = selection();
  for (int first : {1, 6, 11, 16, 21})
    QTest::mouseClick(c.Button(Strip("SpeedButtonInv", first)), Qt::LeftButton);
  for (int k = 1; k <= 25; ++k) EXPECT_EQ(selection()[k - 1], before[k - 1] ? 0 : 1) << k;
  EXPECT_EQ(selection()[25], 0);
  EXPECT_EQ(selection()[26], 1);
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 8), 0);  // strip 3 was selected
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 6), 1);
  for (int first : {1, 6, 11, 16, 21})
    QTest::mouseClick(c.Button(Strip("SpeedButtonInv", first)), Qt::LeftButton);
  EXPECT_EQ(selection(), before);

  // Visible on and off act on the 27 channels shown; the status line stays quiet.
  c.Memory().Set(kSelectFlags + 100, 1);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonOnVisCheck")), Qt::LeftButton);
  for (int n = 6; n <= 32; ++n) EXPECT_EQ(c.Memory().Get(kSelectFlags + n), 1) << n;
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 5), 0);
  EXPECT_TRUE(c.Box(QStringLiteral("CheckBox1"))->isChecked());
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonOffVisCheck")), Qt::LeftButton);
  for (int n = 6; n <= 32; ++n) EXPECT_EQ(c.Memory().Get(kSelectFlags + n), 0) << n;
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox27"))->isChecked());
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 100), 1);
  EXPECT_FALSE(c.Text(QStringLiteral("LabelStatus"))->text().contains(QStringLiteral("флажки")));

  // All off clears every flag, channel 0 included, with its status text; also while playing.
  c.Show().playing = true;
  c.Memory().Set(kSelectFlags + 0, 1);
  c.Box(QStringLiteral("CheckBox1"))->setChecked(true);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonOffAllCheck")), Qt::LeftButton);
  for (int n = 0; n <= 255; ++n) EXPECT_EQ(c.Memory().Get(kSelectFlags + n), 0) << n;
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox1"))->isChecked());
  EXPECT_EQ(c.Status(), QStringLiteral(" Все флажки Установлены "));
}

TEST(StripPanel, FlagOtherThanOneShowsUnselectedAndIsStoredAsZero) {
  OutputFixture c;
  c.Memory().Set(kSelectFlags + 4, 2);
  c.Strips()->LoadSelectionBoxes();
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox4"))->isChecked());
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 4), 2);
  c.Strips()->StoreSelectionBoxes();
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 4), 0);
}

TEST(StripPanel, LevelButtonsWriteTheSceneWithStatusButNotWhilePlaying) {
  OutputFixture c;
  c.Memory().Set(kCurrentStep, 3);
  c.Show().memory.Fill(SceneRowOffset(3), 256, 50);
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(100);

  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonVis255")), Qt::LeftButton);
  EXPECT_EQ(c.Status(), QStringLiteral(" Установлено в 255"));
  EXPECT_EQ(c.Level(3, 100), 50);
  for (int n = 101; n <= 127; ++n) EXPECT_EQ(c.Level(3, n), 255) << n;
  EXPECT_EQ(c.Level(3, 128), 50);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar1"))->value(), 255);

  c.form->HideStatusLine();  // the status line goes out
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonVis127")), Qt::LeftButton);
  EXPECT_EQ(c.Status(), QStringLiteral(" Установлено в 127"));
  EXPECT_EQ(c.Level(3, 127), 127);
  c.form->HideStatusLine();
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonVis0")), Qt::LeftButton);
  EXPECT_EQ(c.Status(), QStringLiteral(" Установлено в 0 "));
  EXPECT_EQ(c.Level(3, 101), 0);
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar27"))->value(), 0);

  // Whole scene to zero: all 256 cells of the row, byte 0 included; other scenes untouched.
  c.form->HideStatusLine();
  c.Show().DataWrite(4, 1, 9);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonAllScrl0")), Qt::LeftButton);
  EXPECT_EQ(c.Status(), QStringLiteral(" Вся сцена установлена в 0"));
  for (int n = 0; n <= 255; ++n) EXPECT_EQ(c.Level(3, n), 0) << n;
  EXPECT_EQ(c.Level(4, 1), 9);

  // While playing: nothing, and no status text either.
  c.form->HideStatusLine();
  c.Show().playing = true;
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonVis255")), Qt::LeftButton);
  EXPECT_EQ(c.Level(3, 101), 0);
  EXPECT_TRUE(c.Text(QStringLiteral("LabelStatus"))->isHidden());
}

TEST(StripPanel, OutputDisplayInLevelsPercentAndSlowGroups) {
  OutputFixture c;
  const int levels[] = {0, 1, 2, 127, 128, 254, 255};
  const int percent[] = {0, 1, 1, 50, 51, 100, 100};
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(10);
  for (int i = 0; i < 7; ++i)
    c.form->Frames().SetOutput(11 + i, static_cast<std::uint8_t>(levels[i]));
  c.Display();
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(c.Find<LevelLabel>(Strip("Label", 1 + i))->text(), QString::number(levels[i])) << i;
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonOutLevel100")), Qt::LeftButton);
  EXPECT_FALSE(c.Button(QStringLiteral("SpeedButtonOutLevel255"))->isChecked());
  c.Display();
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(c.Find<LevelLabel>(Strip("Label", 1 + i))->text(), QString::number(percent[i])) << i;

  // Slow mode: three strips per period, starting with strips 4..6.
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonLevel255")), Qt::LeftButton);
  EXPECT_FALSE(c.Button(QStringLiteral("SpeedButtonLevel255"))->isChecked());
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonOutLevel255")), Qt::LeftButton);
  for (int k = 1; k <= kStripCount; ++k) c.form->Frames().SetOutput(10 + k, 200);
  c.Display();
  for (int k = 1; k <= kStripCount; ++k)
    EXPECT_EQ(c.Find<LevelLabel>(Strip("Label", k))->text() == QStringLiteral("200"),
              k >= 4 && k <= 6)
        << k;
  for (int period = 0; period < 8; ++period) c.Display();
  for (int k = 1; k <= kStripCount; ++k)
    EXPECT_EQ(c.Find<LevelLabel>(Strip("Label", k))->text(), QStringLiteral("200")) << k;

  // Another page in front: the labels rest. The main window's display timer drives them.
  c.form->Frames().SetOutput(11, 5);
  c.form->findChild<QTabWidget*>(QStringLiteral("PageControlInput"))->setCurrentIndex(1);
  for (int period = 0; period < 9; ++period) c.Display();
  EXPECT_EQ(c.Find<LevelLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("200"));
  c.form->findChild<QTabWidget*>(QStringLiteral("PageControlInput"))->setCurrentIndex(0);
  QTest::mouseClick(c.Button(QStringLiteral("SpeedButtonLevel255")), Qt::LeftButton);
  QMetaObject::invokeMethod(c.form->DisplayTimer(), "timeout");
  EXPECT_EQ(c.Find<LevelLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("5"));
}

TEST(StripPanel, ClearAllReloadsTheBoxesAndScrollsToTheTop) {
  OutputFixture c;
  c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue(50);
  c.Box(QStringLiteral("CheckBox1"))->setChecked(true);
  c.Bar(QStringLiteral("ScrollBar1"))->setValue(77);
  c.form->ClearAll();
  EXPECT_EQ(c.Bar(QStringLiteral("ScrolbarVertPos"))->value(), 0);
  EXPECT_EQ(c.Strips()->StripOffset(), 0);
  EXPECT_FALSE(c.Box(QStringLiteral("CheckBox1"))->isChecked());
  EXPECT_EQ(c.Controls().strips.offset.load(), 0);
  EXPECT_EQ(c.Memory().Get(kSelectFlags + 1), 0);
  c.form->RefreshAll();
  EXPECT_EQ(c.Bar(QStringLiteral("ScrollBar1"))->value(), 0);
}

}  // namespace
}  // namespace kalvetro::testing
