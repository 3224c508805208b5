// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "show/Settings.h"
#include "windows/ConsoleFixture.h"

namespace kalvetro::testing {
namespace {

using StartupTest = ConsoleFixture;

TEST_F(StartupTest, StartsMaximisedInDemoModeWithAnEmptyShow) {
  MainWindow& w = Start(/*withTick=*/true);
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(w.windowTitle(), " Demo Mode:  Unit_001");
  auto* demo = w.findChild<QCheckBox*>("CheckBoxDemo");
  ASSERT_NE(demo, nullptr);
  EXPECT_TRUE(demo->isChecked());
  EXPECT_FALSE(demo->isEnabled());
  auto* status = w.findChild<QLabel*>("LabelStatus");
  EXPECT_FALSE(status->isHidden());
  EXPECT_EQ(status->text(), " Инициализация ");
  EXPECT_EQ(QApplication::clipboard()->text(), "1111111");
  EXPECT_TRUE(w.Ticker().Running());
  EXPECT_EQ(w.Show().memory.Get(kTempo), 44);
  EXPECT_EQ(w.Show().memory.Get(kRateRow + 1), 255);
  EXPECT_EQ(w.Show().memory.Get(kAutomat1 + kAutomatTempo), 10);
  EXPECT_EQ(w.Show().memory.Get(kAutomat2 + kAutomatTempo), 10);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_TRUE(w.findChild<QLabel*>("LabelDiskFree")->text().startsWith("Свободно на диске"));
  EXPECT_TRUE(w.findChild<QLabel*>("LabelDiskSize")->text().endsWith(" Mb"));
  for (int k = 2; k <= 5; ++k) {
    auto* undo = w.findChild<QToolButton*>(QStringLiteral("SpeedButtonUndo%1").arg(k));
    ASSERT_NE(undo, nullptr) << k;
    EXPECT_FALSE(undo->isEnabled());
  }
  // Page controls and their tabs, in order.
  auto* input = w.findChild<QTabWidget*>("PageControlInput");
  const QStringList captions = {"Фэйдера",     "Дамп",     "График Канала", "Редактор луча",
                                "Копирование", "Автоматы", "Опции",         "Приборы"};
  ASSERT_EQ(input->count(), captions.size());
  for (int i = 0; i < captions.size(); ++i) EXPECT_EQ(input->tabText(i), captions[i]);
  EXPECT_EQ(w.findChild<QTabWidget*>("PageControlUst")->currentIndex(), 2);
}

TEST_F(StartupTest, ReopensTheLastShowAndThenTheCommandLineShow) {
  const QString last = WriteShow("last.klv", [](int i) { return i >= kSceneRows ? 7 : 0; });
  const QString other = WriteShow("other.klv", [](int i) { return i >= kSceneRows ? 9 : 0; });
  QDir().mkpath(PathIn("config"));
  Settings settings;
  settings.lastPath = last.toStdString();
  ASSERT_TRUE(WriteSettings(PathIn("config/Kalvo.ini").toStdString(), settings).ok);

  MainWindow& w = Start(false);
  EXPECT_EQ(w.Show().DataRead(0, 1), 7);
  EXPECT_EQ(w.windowTitle(), " Demo Mode:  " + last);
  EXPECT_TRUE(w.Show().showNamed);
  window.reset();

  MainWindow& w2 = Start(false, other);
  EXPECT_EQ(w2.Show().DataRead(0, 1), 9);  // the command line show comes after the last show
  EXPECT_EQ(w2.SaveDialogFileName(), other);
  EXPECT_EQ(w2.windowTitle(), " Demo Mode:  " + other);
}

TEST_F(StartupTest, MissingLastShowIsReportedOnceAndTheShowStaysEmpty) {
  QDir().mkpath(PathIn("config"));
  Settings settings;
  settings.lastPath = PathIn("gone.klv").toStdString();
  settings.conveyorFiles[4] = "/shows/five.klv";
  ASSERT_TRUE(WriteSettings(PathIn("config/Kalvo.ini").toStdString(), settings).ok);

  MainWindow& w = Start(false);
  EXPECT_EQ(dialogs.errors, QStringList{"Файл не существует !"});
  EXPECT_EQ(w.Show().DataRead(0, 1), 0);
  EXPECT_EQ(w.Show().memory.Get(kRateRow + 5), 255);
  EXPECT_EQ(w.ConveyorFiles()[4], "/shows/five.klv");
}

TEST_F(StartupTest, StatusMessageIsNotExtendedByASecondMessage) {
  MainWindow& w = Start(false);
  auto* timer = w.findChild<QTimer*>("TimerStatus");
  auto* status = w.findChild<QLabel*>("LabelStatus");
  ASSERT_TRUE(timer->isActive());
  QTest::qWait(300);
  const int before = timer->remainingTime();
  w.ShowStatus("second");
  EXPECT_EQ(status->text(), "second");
  EXPECT_LE(timer->remainingTime(), before);  // the count was not restarted
  w.HideStatusLine();
  EXPECT_TRUE(status->isHidden());
  EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace kalvetro::testing
