// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history through the real window: random edits of many kinds taken back and made
// again byte for byte, the menu entries and their keys, a drag as one step, and the recovery
// file offered at the next start.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <random>
#include <vector>

#include "app/ShowFiles.h"
#include "app/ShowHistory.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

using Image = std::vector<std::uint8_t>;

class UndoHistory : public TestConsole, public ::testing::Test {
 protected:
  void SetUp() override {
    Start();
    form->show();
    QApplication::setActiveWindow(form.get());
  }
  Image ImageNow() {
    Image image(kShowFileSize);
    Memory().Read(0, image);
    return image;
  }
  QAction* Action(const char* name) { return Find<QAction>(name); }
  QString Strip(const char* kind, int k) { return QString::fromLatin1(kind) + QString::number(k); }
  QScrollBar* Fader(int k) { return Bar(Strip("ScrollBar", k)); }
  void ShowPage(int index) { Find<QTabWidget>("PageControlInput")->setCurrentIndex(index); }
  // A click as the operator makes it: the press, the release, then the event loop runs.
  void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  // A fader dragged from press to release through the given levels.
  void Drag(int k, std::initializer_list<int> levels) {
    QWidget* label = Find<QWidget>(Strip("Label", k));
    SendMouse(label, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    for (int level : levels) Fader(k)->setValue(level);
    SendMouse(label, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
  }
  void TypeName(int k, const QString& name) {
    auto* box = Find<QLineEdit>(Strip("Edit", k));
    box->setText(name);
    box->setModified(true);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(box, &out);
  }
  void SetSpin(const char* name, int value) { Find<QSpinBox>(name)->setValue(value); }
};

TEST_F(UndoHistory, AThousandRandomEditsAreTakenBackAndMadeAgainByteForByte) {
  std::mt19937 random(20261210);
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  // A show with a few scenes to work on.
  Memory().Set(kLastScene, 6);
  Core().RecordStep();
  Core().History().Start();
  const Image start = ImageNow();

  const char* sceneActions[] = {"CopyPredScena", "ClearScenaItem", "InsertScenaItem",
                                "DeleteScenaItem", "CopyToBufferItem"};
  const char* copyButtons[] = {"SpeedButtonLevelBlocCopy", "SpeedButtonLevelJobScens",
                               "SpeedButtonScenAllCopy", "SpeedButtonScenaBlocCopy"};
  const char* xyButtons[] = {"SpeedButtonEditPosUp", "SpeedButtonEditPosLeft",
                             "SpeedButtonEditRazmerMore", "SpeedButtonGorizontMirror"};
  const char* colours[] = {"ScrollBarRed", "ScrollBarGreen", "ScrollBarBlue"};
  for (int edit = 0; edit < 1000; ++edit) {
    switch (pick(0, 11)) {
      case 0:
        Drag(pick(1, 27), {pick(0, 255), pick(0, 255), pick(0, 255)});
        break;
      case 1:
        Fader(pick(1, 27))->setValue(pick(0, 255));
        break;
      case 2:
        Bar(QStringLiteral("ScrollBarRate%1").arg(pick(1, 27), 2, 10, QLatin1Char('0')))
            ->setValue(pick(0, 20));
        break;
      case 3:
        Click(Box(Strip("CheckBox", pick(1, 27))));
        break;
      case 4:
        TypeName(pick(1, 27), QStringLiteral("Имя %1").arg(edit));
        break;
      case 5:
        Action(sceneActions[pick(0, 4)])->trigger();
        break;
      case 6: {
        ShowPage(4);
        SetSpin("SpinEditLevelFirst", pick(1, 40));
        SetSpin("SpinEditLevelLast", pick(40, 80));
        SetSpin("SpinEditLevelFrom", pick(100, 150));
        SetSpin("SpinEditScenaFirst", pick(1, 3));
        SetSpin("SpinEditScenaLast", pick(3, 5));
        SetSpin("SpinEditScenaFrom", pick(4, 8));
        Click(Button(QString::fromLatin1(copyButtons[pick(0, 3)])));
        break;
      }
      case 7:
        Bar(QStringLiteral("ScrollBarStep"))->setValue(pick(0, 6));
        break;
      case 8:
        Bar(QString::fromLatin1(colours[pick(0, 2)]))->setValue(pick(0, 255));
        break;
      case 9:
        ShowPage(3);
        Click(Button(QString::fromLatin1(xyButtons[pick(0, 3)])));
        break;
      case 10:
        Bar(QStringLiteral("ScrollBarTemp"))->setValue(pick(10, 200));
        break;
      case 11:
        Bar(QStringLiteral("ScrollBarLevelAll"))->setValue(pick(0, 255));
        break;
    }
  }
  const Image end = ImageNow();
  ASSERT_NE(end, start);
  const int steps = Core().History().Steps();
  EXPECT_GT(steps, 500);
  EXPECT_LE(steps, ShowHistory::kMaxSteps);

  QAction* undo = Action("UndoItem");
  QAction* redo = Action("RedoItem");
  // Triggers the entry while it is enabled; how many times.
  const auto triggerAll = [](QAction* action) {
    int times = 0;
    for (; action->isEnabled(); ++times) action->trigger();
    return times;
  };
  EXPECT_EQ(triggerAll(undo), steps);
  EXPECT_EQ(ImageNow(), start);
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить"));
  EXPECT_EQ(triggerAll(redo), steps);
  EXPECT_EQ(ImageNow(), end);
  EXPECT_EQ(redo->text(), QStringLiteral("Повторить"));
}

TEST_F(UndoHistory, TheEntriesNameTheStepAndTheKeysUndoWithoutFlashingAPicture) {
  QAction* undo = Action("UndoItem");
  QAction* redo = Action("RedoItem");
  EXPECT_EQ(undo->parent(), Find<QMenu>("EditItem"));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить"));
  EXPECT_EQ(redo->text(), QStringLiteral("Повторить"));

  // A fader drag is one step, from press to release.
  Drag(4, {10, 60, 130});
  EXPECT_EQ(Level(0, 4), 130);
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить: фэйдер"));
  // A block copy of channels 1..10 to 11.. of the current scene.
  ShowPage(4);
  Click(Button(QStringLiteral("SpeedButtonLevelBlocCopy")));
  EXPECT_EQ(Level(0, 14), 130);
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить: копирование блока"));
  // A name typed is one step when it is stored.
  TypeName(2, QStringLiteral("Пушка"));
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить: имя канала"));
  const Image named = ImageNow();

  // Ctrl+Z takes the name back; the letter flashes no picture.
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Memory().Get(kChannelNames + 16 * 2), 0);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxChsZ"))->isChecked());
  EXPECT_EQ(redo->text(), QStringLiteral("Повторить: имя канала"));
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить: копирование блока"));
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Level(0, 14), 0);
  EXPECT_EQ(Level(0, 4), 130);
  // The fader drag goes back as a whole; the fader shows it.
  undo->trigger();
  EXPECT_EQ(Level(0, 4), 0);
  EXPECT_EQ(Fader(4)->value(), 0);
  EXPECT_FALSE(undo->isEnabled());

  // Ctrl+Shift+Z and Ctrl+Y make them again.
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Level(0, 4), 130);
  EXPECT_EQ(Fader(4)->value(), 130);
  QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
  QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(ImageNow(), named);
  EXPECT_FALSE(Core().Runner().ConveyorState().Down(6));
  EXPECT_FALSE(redo->isEnabled());

  // The restore of the undo copy is a step too.
  Button(QStringLiteral("SpeedButtonMem1"))->click();
  Fader(5)->setValue(50);
  Button(QStringLiteral("SpeedButtonUndo1"))->click();
  EXPECT_EQ(Level(0, 5), 0);
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить: возврат прежней сцены"));
  undo->trigger();
  EXPECT_EQ(Level(0, 5), 50);

  // In a box that takes typed text, Ctrl+Z takes back the typing, not a step of the show.
  auto* box = Find<QLineEdit>("Edit7");
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("ab"));
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Level(0, 5), 50);
  EXPECT_NE(box->text(), QStringLiteral("ab"));
}

TEST_F(UndoHistory, TheRecoveryFileIsOfferedAtTheNextStartAndAsideWhenRefused) {
  const QString recovery = Core().Files().RecoveryPath();
  const QString show = PathIn(QStringLiteral("named.klv"));
  dialogs.saveReplies.push_back(show);
  form->SaveFileAs();
  Fader(3)->setValue(99);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recovery); }, 2500));
  const Image changed = ImageNow();

  // A clean close: the show is saved (or not, as the operator says) and the file goes.
  form->close();
  EXPECT_FALSE(QFile::exists(recovery));
  form.reset();

  // After a crash: the next start asks and opens the changes under the show's name.
  Start();
  dialogs.saveReplies.clear();
  Fader(3)->setValue(123);
  ASSERT_TRUE(Core().Files().WriteRecovery().ok);
  const Image crashed = ImageNow();
  form.reset();  // no close: as after a crash
  ASSERT_TRUE(QFile::exists(recovery));
  ASSERT_NE(crashed, changed);
  dialogs.questions.clear();
  dialogs.answers = {true};
  Start();
  EXPECT_EQ(dialogs.questions,
            QStringList{QStringLiteral("Восстановить несохранённые изменения?")});
  EXPECT_EQ(ImageNow(), crashed);
  EXPECT_TRUE(Caption().endsWith(show + QStringLiteral(" *")));
  EXPECT_TRUE(Core().Files().Unsaved());
  EXPECT_FALSE(Core().History().CanUndo());

  // Saved, it is the show of its file again.
  form->SaveFile();
  EXPECT_TRUE(Caption().endsWith(show));
  EXPECT_FALSE(QFile::exists(recovery));
  Fader(3)->setValue(124);
  ASSERT_TRUE(Core().Files().WriteRecovery().ok);

  // No keeps the file aside under its time and opens the show as before.
  form.reset();
  dialogs.questions.clear();
  dialogs.answers = {false};
  Start();
  EXPECT_EQ(dialogs.questions.size(), 1);
  EXPECT_FALSE(QFile::exists(recovery));
  const QStringList aside =
      QFileInfo(recovery).dir().entryList({QStringLiteral("Kalvo.recovery-*.klv")});
  EXPECT_EQ(aside.size(), 1);
  EXPECT_EQ(Level(0, 3), 123);  // as saved
}

}  // namespace
}  // namespace kalvetro::testing
