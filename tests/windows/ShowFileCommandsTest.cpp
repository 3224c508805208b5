// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "show/IniFile.h"
#include "show/Settings.h"
#include "windows/ConsoleFixture.h"

namespace kalvetro::testing {
namespace {

using ShowFileCommandsTest = ConsoleFixture;

TEST_F(ShowFileCommandsTest, MenuItemsAndToolButtonsCarryTheirShortcutsAndHints) {
  MainWindow& w = Start();
  const struct {
    const char* name;
    const char* text;
    const char* key;
  } items[] = {{"NewItem", "Создать новое Шоу", "Ctrl+N"},
               {"OpenItem", "Открыть Шоу", "Ctrl+O"},
               {"SaveItem", "Сохранить Шоу", "Ctrl+S"},
               {"SaveAsItem", "Сохранить Шоу как ...", "Ctrl+W"},
               {"ExitItem", "Выход", "Ctrl+Q"}};
  for (const auto& item : items) {
    auto* action = w.findChild<QAction*>(item.name);
    ASSERT_NE(action, nullptr) << item.name;
    EXPECT_EQ(action->text(), QString::fromUtf8(item.text));
    EXPECT_EQ(action->shortcut(), QKeySequence(item.key));
  }
  const struct {
    const char* name;
    const char* hint;
  } buttons[] = {{"SpeedButtonNEW", "Новое Шоу"},
                 {"SpeedButtonOPEN", "Открыть Шоу"},
                 {"SpeedButtonSAVE", "Сохранить существующее Шоу "},
                 {"SpeedButtonSAVEAS", "Записать Шоу под новым Именем "}};
  for (const auto& button : buttons) {
    auto* b = w.findChild<QToolButton*>(button.name);
    ASSERT_NE(b, nullptr) << button.name;
    EXPECT_EQ(b->toolTip(), QString::fromUtf8(button.hint));
    EXPECT_FALSE(b->icon().isNull());
  }
}

TEST_F(ShowFileCommandsTest, SaveAsksForANameOnceThenWritesSilently) {
  MainWindow& w = Start();
  w.Show().DataWrite(0, 1, 200);
  const QString path = PathIn("first.klv");
  dialogs.saveReplies.push_back(path);
  QTest::mouseClick(w.findChild<QToolButton*>("SpeedButtonSAVE"), Qt::LeftButton);
  EXPECT_EQ(dialogs.saveRequests, QStringList{"Unit_001"});
  EXPECT_EQ(dialogs.lastFilter, "Файлы DMX Kalvetro  (*.klv)");
  QByteArray bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), kShowFileSize);
  EXPECT_TRUE(bytes.startsWith("it is DMX512 File KALVETRO USB Ver 3.1"));
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[kSceneRows + 1]), 200);
  EXPECT_EQ(w.windowTitle(), " Demo Mode:  " + path);

  w.Show().DataWrite(0, 1, 10);
  w.findChild<QAction*>("SaveItem")->trigger();
  EXPECT_EQ(dialogs.saveRequests.size(), 1);  // no second dialog
  EXPECT_EQ(static_cast<std::uint8_t>(ReadAll(path)[kSceneRows + 1]), 10);
}

TEST_F(ShowFileCommandsTest, OpeningCopiesTheNameToTheSaveDialog) {
  const QString path = WriteShow("opened.klv", [](int i) { return i % 13; });
  MainWindow& w = Start();
  w.TakeUndoCopy();
  dialogs.openReplies.push_back(path);
  w.findChild<QAction*>("OpenItem")->trigger();
  for (int i = 0; i < kShowFileSize; i += 97) ASSERT_EQ(w.Show().memory.Get(i), i % 13) << i;
  EXPECT_EQ(w.SaveDialogFileName(), path);
  EXPECT_TRUE(w.Show().showNamed);
  EXPECT_FALSE(w.findChild<QToolButton*>("SpeedButtonUndo2")->isEnabled());

  w.Show().DataWrite(5, 5, 99);
  w.SaveShow();  // writes back to the file just opened, without a dialog
  EXPECT_TRUE(dialogs.saveRequests.isEmpty());
  EXPECT_EQ(static_cast<std::uint8_t>(ReadAll(path)[SceneRowOffset(5) + 5]), 99);
}

TEST_F(ShowFileCommandsTest, AShortOrUnreadableFileChangesNothing) {
  const QString shortFile = WriteShow(
      "short.klv", [](int) { return 0x33; }, 5000);
  MainWindow& w = Start();
  w.Show().DataWrite(0, 1, 123);
  w.TakeUndoCopy();
  const QString title = w.windowTitle();
  dialogs.openReplies.push_back(shortFile);
  w.ChooseAndOpenShow();
  EXPECT_EQ(dialogs.errors, QStringList{"Read beyond end of file"});
  EXPECT_EQ(w.Show().DataRead(0, 1), 123);
  EXPECT_EQ(w.Show().memory.Get(0), 'i');
  EXPECT_EQ(w.windowTitle(), title);
  EXPECT_FALSE(w.Show().showNamed);
  EXPECT_EQ(w.SaveDialogFileName(), "Unit_001");
  EXPECT_TRUE(w.findChild<QToolButton*>("SpeedButtonUndo3")->isEnabled());

  dialogs.openReplies.push_back(PathIn("missing.klv"));
  w.ChooseAndOpenShow();
  EXPECT_EQ(dialogs.errors.last(), "Файл не существует !");
  EXPECT_EQ(w.Show().DataRead(0, 1), 123);
  EXPECT_FALSE(w.Show().showNamed);
}

TEST_F(ShowFileCommandsTest, AReadOnlyShowOpens) {
  const QString path = WriteShow("ro.klv", [](int i) { return i >= kSceneRows ? 44 : 0; });
  ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0444), 0);
  MainWindow& w = Start();
  dialogs.openReplies.push_back(path);
  w.ChooseAndOpenShow();
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_EQ(w.Show().DataRead(3, 3), 44);
}

TEST_F(ShowFileCommandsTest, NewShowAsksFirstAndKeepsChannelNames) {
  MainWindow& w = Start();
  w.Show().memory.Set(kChannelNames + 16 + 0, 'A');
  w.Show().DataWrite(0, 1, 50);
  w.Show().memory.Set(kRateRow + 3, 8);
  w.Show().memory.Set(kCurrentStep, 5);

  dialogs.answers.push_back(false);
  w.findChild<QAction*>("NewItem")->trigger();
  EXPECT_EQ(dialogs.questions, QStringList{"Создать новое ШОУ?"});
  EXPECT_TRUE(dialogs.saveRequests.isEmpty());
  EXPECT_EQ(w.Show().DataRead(0, 1), 50);

  dialogs.answers.push_back(true);
  QTest::mouseClick(w.findChild<QToolButton*>("SpeedButtonNEW"), Qt::LeftButton);
  EXPECT_EQ(dialogs.saveRequests.size(), 1);  // the save dialog was offered (and cancelled)
  EXPECT_EQ(w.Show().memory.Get(kChannelNames + 16), 'A');
  EXPECT_EQ(w.Show().memory.Get(kRateRow + 3), 255);
  EXPECT_EQ(w.Show().DataRead(0, 1), 0);
  EXPECT_EQ(w.Show().memory.Get(kCurrentStep), 0);
  EXPECT_EQ(w.Show().memory.Get(kLastScene), 1);
  EXPECT_EQ(w.Show().memory.Get(kTempo), 44);
  EXPECT_FALSE(w.Show().showNamed);
}

TEST_F(ShowFileCommandsTest, AutosaveWritesTheShowAndNamesItOnTheStatusLine) {
  MainWindow& w = Start();
  w.Show().DataWrite(2, 2, 222);
  w.Show().memory.Set(0, 'X');  // the autosave does not rewrite the identification text
  w.AutosaveShow();
  const QByteArray bytes = ReadAll(w.AutosavePath());
  ASSERT_EQ(bytes.size(), kShowFileSize);
  EXPECT_EQ(bytes[0], 'X');
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[SceneRowOffset(2) + 2]), 222);
  EXPECT_EQ(w.findChild<QLabel*>("LabelStatus")->text(), "Автосохранение файла Unit_001");
  EXPECT_FALSE(w.Show().showNamed);
  EXPECT_EQ(w.SaveDialogFileName(), "Unit_001");
}

TEST_F(ShowFileCommandsTest, AFailedSaveReportsItAndKeepsTheShowUnnamed) {
  MainWindow& w = Start();
  dialogs.saveReplies.push_back(PathIn("no-such-folder/show.klv"));
  w.ChooseAndSaveShowAs();
  EXPECT_EQ(dialogs.errors, QStringList{"Path not found"});
  EXPECT_FALSE(w.Show().showNamed);
  EXPECT_EQ(w.windowTitle(), " Demo Mode:  Unit_001");
}

TEST_F(ShowFileCommandsTest, ClosingOffersTheSaveDialogOnceAndWritesSettings) {
  MainWindow& w = Start(/*withTick=*/true);
  w.close();
  EXPECT_FALSE(w.Ticker().Running());
  EXPECT_EQ(dialogs.saveRequests.size(), 1);
  w.close();
  EXPECT_EQ(dialogs.saveRequests.size(), 1);
  // Written although the dialog was cancelled; a show without a name is not remembered.
  const IniFile ini = IniFile::Load(PathIn("config/Kalvo.ini").toStdString());
  EXPECT_EQ(ini.Value("LastFile", "Path"), "");
  EXPECT_TRUE(QFile::exists(PathIn("config/Kalvo.ini")));
}

TEST_F(ShowFileCommandsTest, ClosingRemembersASavedShow) {
  MainWindow& w = Start();
  const QString path = PathIn("kept.klv");
  dialogs.saveReplies.push_back(path);
  w.close();
  EXPECT_TRUE(QFile::exists(path));
  const Settings settings = ReadSettings(PathIn("config/Kalvo.ini").toStdString());
  EXPECT_EQ(QString::fromStdString(settings.lastPath), path);
}

}  // namespace
}  // namespace kalvetro::testing
