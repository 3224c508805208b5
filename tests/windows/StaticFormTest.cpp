// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QRadioButton>
#include <QTest>

#include "app/PictureEditorSession.h"
#include "effects/StaticPictures.h"
#include "output/RateScale.h"
#include "support/TestConsole.h"
#include "windows/PictureEditorWindow.h"

namespace kalvetro::testing {
namespace {

class StaticForm : public TestConsole, public ::testing::Test {
 protected:
  void SetUp() override {
    Start();
    form->show();
    editor = Find<PictureEditorWindow>("StaticForm");
    ASSERT_NE(editor, nullptr);
  }
  void Click(const char* name) {
    QToolButton* button = editor->findChild<QToolButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  void Open() { QTest::mouseClick(Button(QStringLiteral("SpeedButtonRECORD")), Qt::LeftButton); }
  QCheckBox* Strip(int k) { return Box(QStringLiteral("CheckBox%1").arg(k)); }
  QScrollBar* Fader(int k) { return Bar(QStringLiteral("ScrollBar%1").arg(k)); }
  bool Checked(const char* name) {
    return editor->findChild<QToolButton*>(QString::fromLatin1(name))->isChecked();
  }

  PictureEditorWindow* editor = nullptr;
};

TEST_F(StaticForm, WindowIsMadeOnceAndHoldsItsGroups) {
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Статические картинки"));
  EXPECT_EQ(editor->size(), QSize(250, 192));
  EXPECT_TRUE(editor->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // Read buttons in columns 1 2 3 4 | 5 6 7 8 | -- Z X C | V B N M, the write buttons beside.
  EXPECT_EQ(editor->readButtons[8]->objectName(), QStringLiteral("SpeedButtonSpase"));
  EXPECT_EQ(editor->readButtons[8]->text(), QStringLiteral("--"));
  EXPECT_EQ(editor->writeButtons[3]->objectName(), QStringLiteral("SpeedButton24"));
  EXPECT_EQ(editor->writeButtons[15]->objectName(), QStringLiteral("SpeedButton21"));
  EXPECT_EQ(editor->readButtons[1]->toolTip(),
            QStringLiteral("Редактируемая статическая картинка"));
  EXPECT_EQ(editor->writeButtons[1]->toolTip(), QStringLiteral("Записать в  статическую картинку"));
  EXPECT_EQ(editor->sceneSlider->value(), 1);
  EXPECT_EQ(editor->sceneSlider->maximum(), 255);
  EXPECT_EQ(editor->sceneSlider->pageStep(), 10);
  EXPECT_EQ(editor->sceneLabel->text(), QStringLiteral("1"));
  EXPECT_FALSE(editor->undoEraseButton->isEnabled());
  EXPECT_FALSE(editor->readHiddenButton->isVisible());

  // Opened from the menu item as from the toolbar; closing hides the same window.
  auto* item = form->findChild<QAction*>(QStringLiteral("ChaserItem"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), QStringLiteral("Запись и редактирование Статических картинок"));
  item->trigger();
  EXPECT_TRUE(editor->isVisible());
  EXPECT_LT(editor->readButtons[0]->y(), editor->readButtons[3]->y());
  EXPECT_EQ(editor->readButtons[0]->x(), editor->readButtons[3]->x());
  EXPECT_LT(editor->readButtons[3]->x(), editor->readButtons[4]->x());
  // The write group stands to the right of the read group.
  EXPECT_LT(editor->readButtons[15]->mapTo(editor, QPoint(editor->readButtons[15]->width(), 0)).x(),
            editor->writeButtons[0]->mapTo(editor, QPoint()).x());
  editor->close();
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(Find<PictureEditorWindow>("StaticForm"), editor);
}

TEST_F(StaticForm, OpeningAndClosingPutsSceneZeroRatesStepAndTicksBack) {
  Show().DataWrite(0, 3, 77);
  Show().DataWrite(5, 3, 33);
  Memory().Set(kRateRow + 3, RateStep(2));
  Memory().Set(kCurrentStep, 5);
  Core().RefreshAll();
  Strip(2)->setChecked(true);
  Core().Runner().Play();

  Open();
  EXPECT_TRUE(editor->isVisible());
  EXPECT_FALSE(Core().Playing());
  EXPECT_EQ(Show().CurrentStep(), 0);
  for (int n = 0; n < 256; ++n) ASSERT_EQ(Level(0, n), 0) << n;
  EXPECT_FALSE(Strip(2)->isChecked());
  EXPECT_EQ(Memory().Get(kSelectFlags + 2), 0);
  EXPECT_TRUE(Button(QStringLiteral("SpeedButtonPlay"))->isHidden());
  EXPECT_TRUE(Find<QRadioButton>("RadioGroupRateItem2")->isChecked());  // "Выкл"
  EXPECT_EQ(Controls().crossfade.mode.load(), kCrossfadeOff);

  // The strips edit the working row, their rates and the mask meanwhile.
  Fader(3)->setValue(180);
  Bar(QStringLiteral("ScrollBarRate03"))->setValue(6);
  Strip(4)->setChecked(true);
  Tick();
  EXPECT_EQ(Out(3), 180);  // the output plays the working row
  EXPECT_EQ(Level(5, 3), 33);

  editor->close();
  EXPECT_EQ(Show().CurrentStep(), 5);
  EXPECT_EQ(Level(0, 3), 77);
  EXPECT_EQ(Memory().Get(kRateRow + 3), RateStep(2));
  EXPECT_TRUE(Strip(2)->isChecked());
  EXPECT_FALSE(Strip(4)->isChecked());
  EXPECT_EQ(Memory().Get(kSelectFlags + 4), 0);
  EXPECT_FALSE(Button(QStringLiteral("SpeedButtonPlay"))->isHidden());
  EXPECT_EQ(Fader(3)->value(), 33);  // the faders show the current scene again
  EXPECT_EQ(Controls().crossfade.mode.load(), kCrossfadeOff);  // stays "Выкл"
}

TEST_F(StaticForm, PictureWrittenAndReadBackThroughTheWindowAndFlashedOnTheOutput) {
  Show().DataWrite(0, 3, 77);
  Open();
  Fader(3)->setValue(200);
  Fader(7)->setValue(90);  // a level outside the mask
  Strip(3)->setChecked(true);
  Click("SpeedButton17");  // write picture 3
  EXPECT_TRUE(PictureIncludes(Memory(), 2, 3));
  EXPECT_FALSE(PictureIncludes(Memory(), 2, 7));
  EXPECT_EQ(PictureLevel(Memory(), 2, 3), 200);
  EXPECT_EQ(PictureLevel(Memory(), 2, 7), 90);  // kept in the record, never used
  EXPECT_TRUE(Checked("SpeedButton17"));

  // Another picture is read: write group released, read button down.
  Click("SpeedButton1");
  EXPECT_TRUE(Checked("SpeedButton1"));
  EXPECT_FALSE(Checked("SpeedButton17"));
  EXPECT_EQ(Level(0, 3), 0);  // picture 1 is empty
  EXPECT_FALSE(Strip(3)->isChecked());

  Click("SpeedButton3");
  EXPECT_TRUE(Checked("SpeedButton3"));
  EXPECT_FALSE(Checked("SpeedButton1"));
  EXPECT_EQ(Level(0, 3), 200);
  EXPECT_EQ(Level(0, 7), 0);  // not in the mask: reads back as 0
  EXPECT_TRUE(Strip(3)->isChecked());
  EXPECT_EQ(Fader(3)->value(), 200);
  Click("SpeedButton9");  // write picture 1: the read group lets go
  EXPECT_FALSE(Checked("SpeedButton3"));

  editor->close();
  EXPECT_EQ(Level(0, 3), 77);
  // Picture 3 ticked on the main window overrides the show without a fade.
  Tick();
  EXPECT_EQ(Out(3), 77);
  Box(QStringLiteral("CheckBoxChs3"))->setChecked(true);
  Tick();
  EXPECT_EQ(Out(3), 200);
  EXPECT_EQ(Out(7), 0);
}

TEST_F(StaticForm, SceneSliderEraseAndUndo) {
  Show().DataWrite(4, 10, 150);
  Show().DataWrite(0, 10, 15);
  Open();
  Strip(10)->setChecked(true);
  editor->sceneSlider->setValue(3);
  EXPECT_EQ(editor->sceneLabel->text(), QStringLiteral("4"));
  EXPECT_EQ(Level(0, 10), 150);  // the row of scene (3 + 1)
  EXPECT_FALSE(Strip(10)->isChecked());
  EXPECT_EQ(Fader(10)->value(), 150);
  editor->sceneSlider->setValue(255);
  EXPECT_EQ(editor->sceneLabel->text(), QStringLiteral("256"));
  EXPECT_EQ(Level(0, 10), 150);  // scene 0 onto itself

  Strip(10)->setChecked(true);
  Click("SpeedButton5");  // read picture 5 (empty)
  Fader(10)->setValue(99);
  Strip(10)->setChecked(true);
  Click("SpeedButton10");  // write picture 5
  EXPECT_EQ(PictureLevel(Memory(), 4, 10), 99);

  // No: nothing happens, the undo button stays off.
  dialogs.answers = {false};
  Click("SpeedButtonDelAll");
  EXPECT_EQ(dialogs.questions.last(), QStringLiteral("Удалить все Статические картинки?"));
  EXPECT_TRUE(PictureIncludes(Memory(), 4, 10));
  EXPECT_FALSE(editor->undoEraseButton->isEnabled());
  EXPECT_TRUE(Checked("SpeedButton10"));

  dialogs.answers = {true};
  Click("SpeedButtonDelAll");
  for (int i = 0; i < kPictureCount * kPictureSize; ++i)
    ASSERT_EQ(Memory().Get(kStaticPictures + i), 0) << i;
  EXPECT_EQ(Level(0, 10), 0);
  EXPECT_FALSE(Strip(10)->isChecked());
  EXPECT_FALSE(Checked("SpeedButton10"));
  EXPECT_TRUE(editor->undoEraseButton->isEnabled());

  Click("SpeedButtonUndoSt");
  EXPECT_FALSE(editor->undoEraseButton->isEnabled());
  EXPECT_TRUE(PictureIncludes(Memory(), 4, 10));
  EXPECT_EQ(PictureLevel(Memory(), 4, 10), 99);
  EXPECT_EQ(Level(0, 10), 99);
  EXPECT_TRUE(Strip(10)->isChecked());

  // Erasing the edited picture clears the working row and the mask, not the records.
  dialogs.answers = {true};
  Click("SpeedButtonDel1");
  EXPECT_EQ(dialogs.questions.last(), QStringLiteral("Удалить статическую картинку?"));
  EXPECT_EQ(Level(0, 10), 0);
  EXPECT_FALSE(Strip(10)->isChecked());
  EXPECT_EQ(PictureLevel(Memory(), 4, 10), 99);

  // The undo copy and the close both still hold the operator's scene 0.
  editor->close();
  EXPECT_EQ(Level(0, 10), 15);
}

TEST_F(StaticForm, ANewShowWhileEditingKeepsNothingOfTheOldOne) {
  Show().DataWrite(0, 3, 77);
  const QString path = PathIn(QStringLiteral("other.klv"));
  // A saved show whose scene 0 holds 55 on channel 3.
  Show().DataWrite(0, 3, 55);
  ASSERT_TRUE(Core().Files().SaveShowAs(path).ok);
  Show().DataWrite(0, 3, 77);

  Open();
  // Saving under a new name keeps the show: closing still puts scene 0 back.
  ASSERT_TRUE(Core().Files().SaveShowAs(PathIn(QStringLiteral("copy.klv"))).ok);
  EXPECT_TRUE(editor->isVisible());
  editor->close();
  EXPECT_EQ(Level(0, 3), 77);

  Open();
  Core().Files().SetOpenDialogFileName(path);
  ASSERT_TRUE(Core().Files().OpenShow(path).ok);
  EXPECT_FALSE(editor->isVisible());
  EXPECT_FALSE(Button(QStringLiteral("SpeedButtonPlay"))->isHidden());
  editor->close();  // nothing of the old show is written into the new one
  EXPECT_EQ(Level(0, 3), 55);

  Open();
  form->NewShow();  // answered No: the show stays, the editor too
  EXPECT_TRUE(editor->isVisible());
  dialogs.answers = {true};
  form->NewShow();
  EXPECT_FALSE(editor->isVisible());
  editor->close();
  EXPECT_EQ(Level(0, 3), 0);
  EXPECT_EQ(Show().CurrentStep(), 0);
}

TEST_F(StaticForm, EverySaveWritesTheShowAsItStandsOutsideTheEditor) {
  // Scene 1 lit on channels 1..10, a rate, step 6 and a selection, saved under a name.
  for (int n = 1; n <= 10; ++n) Show().DataWrite(0, n, 100);
  Show().DataWrite(5, 1, 40);
  Memory().Set(kRateRow + 2, RateStep(3));
  Memory().Set(kCurrentStep, 5);
  Core().SetSelected(7, true);
  const QString path = PathIn(QStringLiteral("show.klv"));
  ASSERT_TRUE(Core().Files().SaveShowAs(path).ok);
  Core().Files().SetOpenDialogFileName(path);
  ASSERT_TRUE(Core().Files().OpenShow(path).ok);

  // The editor is open and has changed its working row, a rate and the mask.
  Open();
  Fader(1)->setValue(200);
  Bar(QStringLiteral("ScrollBarRate02"))->setValue(6);
  Strip(4)->setChecked(true);
  auto expectShowOutside = [&](const QString& file) {
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << file.toStdString();
    const QByteArray bytes = saved.readAll();
    ASSERT_EQ(bytes.size(), kShowFileSize);
    auto at = [&](int offset) { return static_cast<std::uint8_t>(bytes[offset]); };
    for (int n = 1; n <= 10; ++n) EXPECT_EQ(at(SceneRowOffset(0) + n), 100) << n;
    EXPECT_EQ(at(SceneRowOffset(5) + 1), 40);
    EXPECT_EQ(at(kRateRow + 2), RateStep(3));
    EXPECT_EQ(at(kCurrentStep), 5);
    EXPECT_EQ(at(kSelectFlags + 7), 1);
    EXPECT_EQ(at(kSelectFlags + 4), 0);
  };
  // Ctrl+S, "Сохранить Шоу как ..." onto another file and the autosave.
  form->findChild<QAction*>(QStringLiteral("SaveItem"))->trigger();
  expectShowOutside(path);
  dialogs.saveReplies = {PathIn(QStringLiteral("as.klv"))};
  form->findChild<QAction*>(QStringLiteral("SaveAsItem"))->trigger();
  expectShowOutside(PathIn(QStringLiteral("as.klv")));
  ASSERT_TRUE(Core().Files().Autosave().ok);
  expectShowOutside(Core().Files().AutosavePath());
  // The editor is still open on its working row.
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(Level(0, 1), 200);
  EXPECT_EQ(Show().CurrentStep(), 0);
  EXPECT_EQ(Memory().Get(kSelectFlags + 4), 1);

  // An undo restore is the same show: saved onto the open file after it, the editor keeps
  // scene 1 and puts it back when it closes.
  Core().Undo().Take();
  Core().Undo().Restore();
  dialogs.saveReplies = {path};
  form->findChild<QAction*>(QStringLiteral("SaveAsItem"))->trigger();
  EXPECT_TRUE(editor->isVisible());
  expectShowOutside(path);

  // Closing the program with the editor open closes the editor first: the save offered then
  // and the show remembered for the next start are the show outside it.
  dialogs.saveReplies = {PathIn(QStringLiteral("last.klv"))};
  Stop();
  expectShowOutside(PathIn(QStringLiteral("last.klv")));
  Start();
  EXPECT_EQ(Level(0, 1), 100);
  EXPECT_EQ(Show().CurrentStep(), 5);
  EXPECT_FALSE(Core().PictureEditor().IsOpen());
}

}  // namespace
}  // namespace kalvetro::testing
