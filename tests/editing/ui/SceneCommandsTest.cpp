// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "playback/ui/PlaybackFixture.h"

namespace kalvetro::testing {
namespace {

class SceneCommandsTest : public PlaybackFixture {
 protected:
  void SetUp() override {
    PlaybackFixture::SetUp();
    HoldTimers();
  }
  QAction* Action(const char* name) { return Find<QAction>(name); }
  QAbstractButton* Button(const char* name) { return Find<QAbstractButton>(name); }
  // Fills scenes 0..count-1: channel 1 carries the scene number + 1 (up to 255), channel 2 a
  // second mark and channel 3 the row index it started in.
  void MakeShow(int count) {
    for (int s = 0; s < count; ++s) {
      SetLevel(s, 1, s + 1);
      SetLevel(s, 2, 100 + s);
      SetLevel(s, 3, s);
    }
    SetScenes(0, count - 1);
  }
  // The scene-number mark of the row (0: empty row).
  int MarkOf(int row) { return Show().DataRead(static_cast<std::uint8_t>(row), 1); }
  int OriginOf(int row) { return Show().DataRead(static_cast<std::uint8_t>(row), 3); }
  bool UndoEnabled() {
    for (int k = 2; k <= 5; ++k)
      if (!Find<QAbstractButton>(QStringLiteral("SpeedButtonUndo%1").arg(k).toLatin1().constData())
               ->isEnabled())
        return false;
    return true;
  }
  bool AnyUndoEnabled() {
    for (auto* b : form->findChildren<QAbstractButton*>())
      if (b->objectName().startsWith(QStringLiteral("SpeedButtonUndo")) && b->isEnabled())
        return true;
    return false;
  }
};

TEST_F(SceneCommandsTest, MenusToolbarAndPageButtonsCarryTheirTextsShortcutsAndHints) {
  // "Сцены": a separator, then the commands in their order.
  const QList<QAction*> actions = form->Menu(MenuId::Scenes)->actions();
  const int first = actions.indexOf(Action("CopyPredScena"));
  ASSERT_GE(first, 1);
  ASSERT_LE(first + 8, actions.size());
  EXPECT_TRUE(actions[first - 1]->isSeparator());
  struct Item {
    const char* name;
    const char* text;
    const char* key;
  };
  const Item items[] = {
      {"CopyPredScena", "Копировать предыдущую сцену", "Ctrl+P"},
      {"CopyToBufferItem", "Копировать сцену в буфер", "Ctrl+C"},
      {"NewPasteItem", "Создать новую и заменить сценой из буфера", "Ctrl+V"},
      {"PasteFromBufferItem", "Заменить сценой  из буфера", ""},
      {nullptr, nullptr, nullptr},
      {"ClearScenaItem", "Очистить Сцену", "Ctrl+E"},
      {"DeleteScenaItem", "Удалить Сцену из Шоу ", "Ctrl+Del"},
      {"InsertScenaItem", "Создать новую Сцену", "Ctrl+Ins"},
  };
  for (int i = 0; i < 8; ++i) {
    QAction* action = actions[first + i];
    if (!items[i].name) {
      EXPECT_TRUE(action->isSeparator());
      continue;
    }
    EXPECT_EQ(action->objectName(), QString::fromLatin1(items[i].name));
    EXPECT_EQ(action->text(), QString::fromUtf8(items[i].text));
    EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(items[i].key)));
  }
  EXPECT_FALSE(Action("NewPasteItem")->isEnabled());
  EXPECT_FALSE(Action("PasteFromBufferItem")->isEnabled());

  QAction* autoAdd = Action("AvtoDobScenaItem");
  EXPECT_TRUE(form->Menu(MenuId::Options)->actions().contains(autoAdd));
  EXPECT_EQ(autoAdd->text(), QStringLiteral("Разрешить автодобавление сцен"));
  EXPECT_TRUE(autoAdd->isCheckable());
  EXPECT_FALSE(autoAdd->isChecked());

  const std::pair<const char*, const char*> hints[] = {
      {"SpeedButtonCOPYPREDSCEN", "Копировать предыдущую Сцену"},
      {"SpeedButtonCOPY", "Копировать Сцену"},
      {"SpeedButtonCLEAR", "Новая сцена"},
      {"SpeedButtonDELSCEN", "Удалить сцену"},
      {"SpeedButtonAVTOPLUS", "Автодобавление сцен "},
      {"SpeedButtonNewScena", "Создать новую сцену после текущей"},
      {"SpeedButtonScenaCopy", "Копировать текущую сцену в буфер"},
      {"SpeedButtonNewScenaPaste",
       "Создать новую сцену после текущей и скопировать в нее сцену из буфера"},
      {"ButtonScenaPaste", "Заменить текущую сцену Сценой  из буфера"},
      {"SpeedButtonScenaDelete", "Удалить текущую сцену"},
  };
  for (const auto& [name, hint] : hints)
    EXPECT_EQ(Button(name)->toolTip(), QString::fromUtf8(hint));
  for (const char* name : {"SpeedButtonCOPYPREDSCEN", "SpeedButtonCOPY", "SpeedButtonCLEAR",
                           "SpeedButtonDELSCEN", "SpeedButtonAVTOPLUS"}) {
    EXPECT_TRUE(form->findChild<QToolBar*>(QStringLiteral("ToolBar"))->isAncestorOf(Button(name)))
        << name;
    EXPECT_FALSE(Button(name)->icon().isNull()) << name;
  }
  EXPECT_FALSE(Button("SpeedButtonNewScenaPaste")->isEnabled());
  EXPECT_FALSE(Button("ButtonScenaPaste")->isEnabled());

  // The undo pairs of the pages stand ready: restore disabled until the first undo copy.
  for (int k = 2; k <= 5; ++k) {
    const QByteArray mem = QStringLiteral("SpeedButtonMem%1").arg(k).toLatin1();
    EXPECT_EQ(Button(mem.constData())->text(), QStringLiteral("Запомнить Сцену"));
  }
  EXPECT_FALSE(AnyUndoEnabled());
}

TEST_F(SceneCommandsTest, InsertOpensACopyAfterTheCurrentSceneAndUndoTakesItBack) {
  MakeShow(3);
  SetScenes(1, 2);
  QTest::mouseClick(Button("SpeedButtonNewScena"), Qt::LeftButton);
  EXPECT_EQ(Step(), 2);
  EXPECT_EQ(Last(), 3);
  EXPECT_EQ(MarkOf(2), 2);  // a copy of scene 2
  EXPECT_EQ(MarkOf(3), 3);  // the old scene 3 is now scene 4
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("3"));
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("4"));
  EXPECT_EQ(Text("LabelStatus"), QStringLiteral("  данные сохранены "));
  EXPECT_TRUE(UndoEnabled());

  QTest::mouseClick(Button("SpeedButtonUndo2"), Qt::LeftButton);
  EXPECT_EQ(Step(), 1);
  EXPECT_EQ(Last(), 2);
  EXPECT_EQ(MarkOf(2), 3);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("2"));
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("3"));
  EXPECT_FALSE(AnyUndoEnabled());

  // Inserting after scene 256 changes no scene but still takes the undo copy.
  MakeShow(256);
  SetScenes(255, 255);
  Action("InsertScenaItem")->trigger();
  EXPECT_EQ(Step(), 255);
  EXPECT_EQ(Last(), 255);
  EXPECT_EQ(OriginOf(255), 255);
  EXPECT_EQ(OriginOf(254), 254);
  EXPECT_TRUE(UndoEnabled());
}

TEST_F(SceneCommandsTest, DeleteFromTheMenuTheToolbarAndThePage) {
  MakeShow(10);
  SetScenes(2, 9);  // scene 3 of 10
  QTest::mouseClick(Button("SpeedButtonDELSCEN"), Qt::LeftButton);
  EXPECT_EQ(Step(), 2);
  EXPECT_EQ(Last(), 8);
  EXPECT_EQ(MarkOf(2), 4);
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("9"));

  SetScenes(8, 8);  // the last scene
  Action("DeleteScenaItem")->trigger();
  EXPECT_EQ(Step(), 7);
  EXPECT_EQ(Last(), 7);
  EXPECT_EQ(Text("LabelStep"), QStringLiteral("8"));

  SetScenes(0, 0);  // the only scene
  QTest::mouseClick(Button("SpeedButtonScenaDelete"), Qt::LeftButton);
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Last(), 0);
  EXPECT_EQ(MarkOf(0), 2);  // the old scene 2 moved down

  // Restore brings back the deleted scene and the old numbers.
  QTest::mouseClick(Button("SpeedButtonUndo5"), Qt::LeftButton);
  EXPECT_EQ(MarkOf(0), 1);
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Last(), 0);
}

TEST_F(SceneCommandsTest, CopyPreviousClearAndTheirGuardWhilePlaying) {
  MakeShow(4);
  Action("CopyPredScena")->trigger();  // on scene 0: nothing to copy, but an undo copy
  EXPECT_EQ(MarkOf(0), 1);
  EXPECT_TRUE(UndoEnabled());

  SetScenes(2, 3);
  QTest::mouseClick(Button("SpeedButtonCOPYPREDSCEN"), Qt::LeftButton);
  EXPECT_EQ(MarkOf(2), 2);
  EXPECT_EQ(Show().DataRead(2, 2), 101);
  QTest::mouseClick(Button("SpeedButtonCLEAR"), Qt::LeftButton);
  EXPECT_EQ(MarkOf(2), 0);
  EXPECT_EQ(Show().DataRead(2, 2), 0);
  EXPECT_EQ(MarkOf(3), 4);

  // While the show plays the guarded commands do nothing at all.
  QTest::mouseClick(Button("SpeedButtonUndo3"), Qt::LeftButton);
  ASSERT_FALSE(AnyUndoEnabled());
  SetScenes(2, 3);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  for (const char* name : {"CopyPredScena", "ClearScenaItem", "DeleteScenaItem", "InsertScenaItem",
                           "PasteFromBufferItem", "NewPasteItem"})
    Action(name)->trigger();
  for (const char* name : {"SpeedButtonCOPYPREDSCEN", "SpeedButtonCLEAR", "SpeedButtonDELSCEN"})
    QTest::mouseClick(Button(name), Qt::LeftButton);
  EXPECT_EQ(Step(), 2);
  EXPECT_EQ(Last(), 3);
  EXPECT_EQ(MarkOf(2), 2);
  EXPECT_EQ(MarkOf(3), 4);
  EXPECT_FALSE(AnyUndoEnabled());
}

TEST_F(SceneCommandsTest, CopyToBufferWhilePlayingOnlyRenamesThePasteHints) {
  MakeShow(8);
  SetScenes(6, 7);
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  Action("CopyToBufferItem")->trigger();
  EXPECT_EQ(
      Button("SpeedButtonNewScenaPaste")->toolTip(),
      QStringLiteral("Создать новую сцену после текущей и скопировать в нее сцену 7 из буфера"));
  EXPECT_EQ(Button("ButtonScenaPaste")->toolTip(),
            QStringLiteral("Заменить текущую сцену Сценой 7 из буфера"));
  EXPECT_EQ(Show().pasteBuffer[1], 0);
  EXPECT_FALSE(Action("NewPasteItem")->isEnabled());
  EXPECT_FALSE(Action("PasteFromBufferItem")->isEnabled());
  EXPECT_FALSE(Button("SpeedButtonNewScenaPaste")->isEnabled());
  EXPECT_FALSE(Button("ButtonScenaPaste")->isEnabled());
  EXPECT_FALSE(AnyUndoEnabled());

  // Stopped, the copy fills the buffer and opens every paste control; no undo copy.
  QTest::mouseClick(sequencer->stopButton, Qt::LeftButton);
  QTest::mouseClick(Button("SpeedButtonCOPY"), Qt::LeftButton);
  EXPECT_EQ(Show().pasteBuffer[1], 7);
  EXPECT_EQ(Show().pasteBuffer[2], 106);
  EXPECT_EQ(Text("LabelStatus"), QStringLiteral(" Записать в буфер "));
  EXPECT_TRUE(Action("NewPasteItem")->isEnabled());
  EXPECT_TRUE(Action("PasteFromBufferItem")->isEnabled());
  EXPECT_TRUE(Button("SpeedButtonNewScenaPaste")->isEnabled());
  EXPECT_TRUE(Button("ButtonScenaPaste")->isEnabled());
  EXPECT_FALSE(AnyUndoEnabled());
}

TEST_F(SceneCommandsTest, PasteIntoANewSceneAndTheRestoreThatFollows) {
  MakeShow(5);
  SetScenes(1, 4);
  QTest::mouseClick(Button("SpeedButtonScenaCopy"), Qt::LeftButton);  // scene 2
  SetScenes(3, 4);
  QTest::mouseClick(Button("SpeedButtonNewScenaPaste"), Qt::LeftButton);
  EXPECT_EQ(Step(), 4);
  EXPECT_EQ(Last(), 5);
  EXPECT_EQ(MarkOf(4), 2);  // the pasted scene 2
  EXPECT_EQ(MarkOf(5), 5);  // the old scene 5 moved up
  // The paste took its own undo copy after the insertion: a restore keeps the new scene, as a
  // copy of the scene it follows.
  QTest::mouseClick(Button("SpeedButtonUndo4"), Qt::LeftButton);
  EXPECT_EQ(Step(), 4);
  EXPECT_EQ(Last(), 5);
  EXPECT_EQ(MarkOf(4), 4);
  EXPECT_EQ(MarkOf(5), 5);

  // The menu item Ctrl+V runs the same command; "Заменить" replaces the current scene.
  Action("NewPasteItem")->trigger();
  EXPECT_EQ(Step(), 5);
  EXPECT_EQ(Last(), 6);
  EXPECT_EQ(MarkOf(5), 2);
  SetScenes(0, 6);
  QTest::mouseClick(Button("ButtonScenaPaste"), Qt::LeftButton);
  EXPECT_EQ(MarkOf(0), 2);
  EXPECT_EQ(Last(), 6);
  QTest::mouseClick(Button("SpeedButtonUndo2"), Qt::LeftButton);
  EXPECT_EQ(MarkOf(0), 1);
  Action("PasteFromBufferItem")->trigger();
  EXPECT_EQ(MarkOf(0), 2);
  EXPECT_EQ(Show().DataRead(0, 2), 101);
}

TEST_F(SceneCommandsTest, RestoreBringsBackTheWholeShowAndWorksWhilePlaying) {
  MakeShow(6);
  Show().memory.Set(kChannelNames + 16 * 5, 'K');
  Show().memory.Set(kSelectFlags + 12, 1);
  SetScenes(3, 5);
  QTest::mouseClick(Button("SpeedButtonMem3"), Qt::LeftButton);
  EXPECT_TRUE(UndoEnabled());
  EXPECT_EQ(Text("LabelStatus"), QStringLiteral("  данные сохранены "));

  Show().memory.Set(kChannelNames + 16 * 5, 'X');
  Show().memory.Set(kSelectFlags + 12, 0);
  Show().memory.Set(kSelectFlags + 13, 1);
  Action("DeleteScenaItem")->trigger();  // a new undo copy replaces the first one
  QTest::mouseClick(Button("SpeedButtonMem2"), Qt::LeftButton);
  Show().memory.Set(kChannelNames + 16 * 5, 'Y');
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  QTest::mouseClick(Button("SpeedButtonUndo3"), Qt::LeftButton);
  EXPECT_EQ(Show().memory.Get(kChannelNames + 16 * 5), 'X');  // the last copy, not the first
  EXPECT_EQ(Show().memory.Get(kSelectFlags + 13), 1);
  EXPECT_EQ(Last(), 4);
  EXPECT_FALSE(AnyUndoEnabled());
  EXPECT_EQ(Text("LabelStatus"), QStringLiteral(" данные возвращены "));
  EXPECT_EQ(Text("LabelCoda"), QStringLiteral("5"));

  // A fresh copy and a restore bring back names, selection, scenes and numbers together.
  QTest::mouseClick(sequencer->stopButton, Qt::LeftButton);
  QTest::mouseClick(Button("SpeedButtonMem5"), Qt::LeftButton);
  Show().memory.Set(kChannelNames + 16 * 5, 'Z');
  Show().memory.Set(kSelectFlags + 13, 0);
  Action("InsertScenaItem")->trigger();
  QTest::mouseClick(Button("SpeedButtonMem4"), Qt::LeftButton);  // the copy now holds the insert
  const int inserted = MarkOf(Step());
  ASSERT_NE(inserted, 0);
  Action("ClearScenaItem")->trigger();
  ASSERT_EQ(MarkOf(Step()), 0);
  QTest::mouseClick(Button("SpeedButtonUndo5"), Qt::LeftButton);
  EXPECT_EQ(Show().memory.Get(kChannelNames + 16 * 5), 'Z');
  EXPECT_EQ(Show().memory.Get(kSelectFlags + 13), 0);
  EXPECT_EQ(Last(), 5);
  EXPECT_EQ(MarkOf(Step()), inserted);
}

TEST_F(SceneCommandsTest, AutoAddSwitchFromMenuAndToolbar) {
  QAction* autoAdd = Action("AvtoDobScenaItem");
  QTest::mouseClick(Button("SpeedButtonAVTOPLUS"), Qt::LeftButton);
  EXPECT_TRUE(autoAdd->isChecked());
  EXPECT_EQ(Text("LabelStatus"), QStringLiteral(" Автодобавление сцен "));
  autoAdd->trigger();
  EXPECT_FALSE(autoAdd->isChecked());
  // The switch works while playing too.
  QTest::mouseClick(sequencer->playButton, Qt::LeftButton);
  QTest::mouseClick(Button("SpeedButtonAVTOPLUS"), Qt::LeftButton);
  EXPECT_TRUE(autoAdd->isChecked());
}

TEST_F(SceneCommandsTest, ShortcutsReachTheCommands) {
  form->show();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  MakeShow(4);
  SetScenes(2, 3);
  form->setFocus();
  QTest::keyClick(form.get(), Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(Step(), 3);
  EXPECT_EQ(Last(), 4);
  QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(MarkOf(3), 0);
  QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(MarkOf(3), 3);
  QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Show().pasteBuffer[1], 3);
  QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Step(), 4);
  EXPECT_EQ(Last(), 5);
  EXPECT_EQ(MarkOf(4), 3);
  QTest::keyClick(form.get(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Last(), 4);
  EXPECT_EQ(MarkOf(4), 4);
}

}  // namespace
}  // namespace kalvetro::testing
