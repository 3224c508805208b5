// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <vector>

#include "app/ShowRunner.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

// The main window with its keyboard; the show starts empty (every rate 255, so a level shows
// on the next tick), scene 0 is played.
class Keyboard : public TestConsole, public ::testing::Test {
 protected:
  void SetUp() override {
    Start();
    form->show();
    QApplication::setActiveWindow(form.get());
  }
  void Press(Qt::Key key, const QString& text = {}, bool repeat = false,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier, QWidget* to = nullptr) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text, repeat);
    QApplication::sendEvent(to ? to : form.get(), &event);
  }
  void Release(Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {},
               QWidget* to = nullptr) {
    QKeyEvent event(QEvent::KeyRelease, key, modifiers, text, false);
    QApplication::sendEvent(to ? to : form.get(), &event);
  }
  void Wheel(QWidget* over, int delta) {
    const QPointF at(2, 2);
    QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
  }
  // A picture k holding channel n at level.
  void Picture(int k, int channel, int level) {
    Memory().Set(PictureOffset(k) + channel, 1);
    Memory().Set(PictureOffset(k) + kPictureLevels + channel, static_cast<std::uint8_t>(level));
  }
  QString KeyLabel() { return Text(QStringLiteral("LabelKeySp"))->text(); }
  // The conveyor slots that are down (a slot key of an empty slot puts it down alone).
  std::vector<int> DownSlots() {
    std::vector<int> down;
    for (int k = 1; k <= kConveyorSlots; ++k)
      if (Core().Runner().ConveyorState().Down(k)) down.push_back(k);
    return down;
  }
  QLineEdit* Name(int k) { return Find<QLineEdit>(QStringLiteral("Edit%1").arg(k)); }
};

TEST_F(Keyboard, PictureKeyFlashesWhileHeldAndCtrlLatchesIt) {
  EXPECT_EQ(KeyLabel(), QStringLiteral("Клавиатура ?"));
  Show().DataWrite(0, 20, 40);
  Picture(2, 20, 200);  // picture 3
  Tick();
  EXPECT_EQ(Out(20), 40);

  QTest::keyPress(form.get(), Qt::Key_3);
  EXPECT_EQ(KeyLabel(), QStringLiteral("NomberKey is 51"));
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxChs3"))->isChecked());
  Tick();
  EXPECT_EQ(Out(20), 200);
  QTest::keyRelease(form.get(), Qt::Key_3);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxChs3"))->isChecked());
  Tick();
  EXPECT_EQ(Out(20), 40);

  // Ctrl held while 3 is released: the picture stays; releasing Ctrl changes nothing.
  QTest::keyPress(form.get(), Qt::Key_Control);
  EXPECT_EQ(KeyLabel(), QStringLiteral("NomberKey is 17"));
  QTest::keyPress(form.get(), Qt::Key_3, Qt::ControlModifier);
  QTest::keyRelease(form.get(), Qt::Key_3, Qt::ControlModifier);
  QTest::keyRelease(form.get(), Qt::Key_Control);
  Tick();
  EXPECT_EQ(Out(20), 200);
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxChs3"))->isChecked());
  // The next press and release without Ctrl puts it out.
  QTest::keyClick(form.get(), Qt::Key_3);
  Tick();
  EXPECT_EQ(Out(20), 40);

  // Space is picture "==" (index 8), M the macro picture; keypad digits play no part.
  Picture(8, 21, 11);
  QTest::keyPress(form.get(), Qt::Key_Space, Qt::NoModifier);
  Tick();
  EXPECT_EQ(Out(21), 11);
  EXPECT_EQ(KeyLabel(), QStringLiteral("NomberKey is 32"));
  QTest::keyRelease(form.get(), Qt::Key_Space);
  QTest::keyClick(form.get(), Qt::Key_3, Qt::KeypadModifier);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxChs3"))->isChecked());

  // A Ctrl released in another window never comes back: losing the window forgets it.
  QTest::keyPress(form.get(), Qt::Key_Control);
  QEvent deactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(form.get(), &deactivate);
  QTest::keyPress(form.get(), Qt::Key_3);
  QTest::keyRelease(form.get(), Qt::Key_3);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxChs3"))->isChecked());
}

TEST_F(Keyboard, PicturesOverlayInKeyOrderAndBlackoutSilencesAllButTheMacro) {
  Show().DataWrite(0, 30, 90);
  Picture(0, 30, 10);   // 1
  Picture(9, 30, 20);   // Z, later in the order
  Picture(15, 31, 77);  // M
  // A flag of 2 keeps the channel out of the picture, whatever level is stored.
  Memory().Set(PictureOffset(0) + 32, 2);
  Memory().Set(PictureOffset(0) + kPictureLevels + 32, 250);
  QTest::keyPress(form.get(), Qt::Key_Z);
  QTest::keyPress(form.get(), Qt::Key_1);
  Tick();
  EXPECT_EQ(Out(30), 20);  // Z comes after 1 and wins
  EXPECT_EQ(Out(32), 0);
  QTest::keyRelease(form.get(), Qt::Key_Z);
  Tick();
  EXPECT_EQ(Out(30), 10);

  // 0 darkens everything, the pictures too, and stops the show.
  QTest::keyPress(form.get(), Qt::Key_M);
  Core().Runner().Play();
  QTest::keyPress(form.get(), Qt::Key_0);
  EXPECT_TRUE(Core().Runner().BlackOut());
  EXPECT_FALSE(Core().Playing());
  Tick();
  EXPECT_EQ(Out(30), 0);
  EXPECT_EQ(Out(31), 0);
  // With "Макро M" down the macro picture M shows through the blackout, nothing else.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonMacrosOut")), Qt::LeftButton);
  Tick();
  EXPECT_EQ(Out(31), 77);
  EXPECT_EQ(Out(30), 0);
  // A held 0 does not flicker: the repeated key downs leave the blackout as the press set it.
  Press(Qt::Key_0, QStringLiteral("0"), true);
  Press(Qt::Key_0, QStringLiteral("0"), true);
  Press(Qt::Key_0, QStringLiteral("0"), true);
  EXPECT_TRUE(Core().Runner().BlackOut());
  Release(Qt::Key_0, QStringLiteral("0"));
  QTest::keyClick(form.get(), Qt::Key_0);
  EXPECT_FALSE(Core().Runner().BlackOut());
  // A repeated picture key down only ticks the box again.
  Press(Qt::Key_1, QStringLiteral("1"), true);
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxChs1"))->isChecked());
}

TEST_F(Keyboard, PlusPlaysMinusStopsAndLettersAskTheConveyor) {
  auto* play = Button(QStringLiteral("SpeedButtonPlay"));
  auto* stop = Button(QStringLiteral("SpeedButtonStop"));
  QTest::keyClick(form.get(), Qt::Key_Equal);
  EXPECT_EQ(KeyLabel(), QStringLiteral("NomberKey is 187"));
  EXPECT_TRUE(Core().Playing());
  EXPECT_TRUE(play->isChecked());
  EXPECT_FALSE(stop->isChecked());
  QTest::keyClick(form.get(), Qt::Key_Minus);
  EXPECT_EQ(KeyLabel(), QStringLiteral("NomberKey is 189"));
  EXPECT_FALSE(Core().Playing());
  EXPECT_TRUE(stop->isChecked());
  QTest::keyClick(form.get(), Qt::Key_Plus);
  EXPECT_TRUE(Core().Playing());
  QTest::keyClick(form.get(), Qt::Key_Minus);

  QTest::keyClick(form.get(), Qt::Key_Q);
  EXPECT_EQ(DownSlots(), std::vector<int>{1});
  QTest::keyClick(form.get(), Qt::Key_L);
  EXPECT_EQ(DownSlots(), std::vector<int>{19});
  QTest::keyClick(form.get(), Qt::Key_Z);  // a picture, not a slot
  EXPECT_EQ(DownSlots(), std::vector<int>{19});
  // The letter of the Russian layout in the place of Q is still slot 1.
  Press(static_cast<Qt::Key>(0x0419), QStringLiteral("й"));  // Й
  Release(static_cast<Qt::Key>(0x0419), QStringLiteral("й"));
  EXPECT_EQ(DownSlots(), std::vector<int>{1});
  Core().SetConveyorKeys(false);
  Core().Runner().ConveyorButtonsOff();
  QTest::keyClick(form.get(), Qt::Key_Q);
  EXPECT_TRUE(DownSlots().empty());
}

TEST_F(Keyboard, MenuShortcutsTakeTheirKeysFirst) {
  // Ctrl+I clears the names: the menu takes the key, the key map never sees the I.
  QTest::keyClick(form.get(), Qt::Key_I, Qt::ControlModifier);
  EXPECT_TRUE(dialogs.questions.contains(QStringLiteral("Очистить имена каналов?")));
  EXPECT_NE(KeyLabel(), QStringLiteral("NomberKey is 73"));
  QTest::keyClick(form.get(), Qt::Key_I);
  EXPECT_EQ(KeyLabel(), QStringLiteral("NomberKey is 73"));
}

TEST_F(Keyboard, NameBoxTakesTypedKeysAClickSwitchesTheKeysOff) {
  QLineEdit* name = Name(1);
  // Reached with the Tab key, the box takes the keys typed into it and they do nothing else.
  name->setFocus(Qt::TabFocusReason);
  QTest::keyPress(name, Qt::Key_1);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxChs1"))->isChecked());
  QTest::keyRelease(name, Qt::Key_1);
  QTest::keyClick(name, Qt::Key_Q);
  EXPECT_TRUE(DownSlots().empty());
  EXPECT_EQ(name->text(), QStringLiteral("1q"));

  // A click into a name box switches the flash keys and the conveyor keys off.
  QTest::mouseClick(name, Qt::LeftButton);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxFlashOn"))->isChecked());
  EXPECT_FALSE(Core().ConveyorKeys());
  // A key that no control takes still reaches the window while key preview is off.
  name->clearFocus();
  QTest::keyPress(form.get(), Qt::Key_1);
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxChs1"))->isChecked());
  QTest::keyRelease(form.get(), Qt::Key_1);
  // Ticking "Включить клавиатуру" again brings the flash keys back.
  QCheckBox* flashOn = Box(QStringLiteral("CheckBoxFlashOn"));
  QTest::mouseClick(flashOn, Qt::LeftButton, {}, QPoint(6, flashOn->height() / 2));
  EXPECT_TRUE(Core().KeyPreview());
  QTest::keyPress(flashOn, Qt::Key_1);
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxChs1"))->isChecked());
}

TEST_F(Keyboard, KeysTypedIntoANumberBoxOnlyTypeAndEveryKeyComesUpWhereItWentDown) {
  QCheckBox* picture1 = Box(QStringLiteral("CheckBoxChs1"));
  QCheckBox* picture3 = Box(QStringLiteral("CheckBoxChs3"));
  // Picture 1 latched with Ctrl; picture 3 held down while the operator clicks into a box.
  QTest::keyPress(form.get(), Qt::Key_Control);
  QTest::keyClick(form.get(), Qt::Key_1, Qt::ControlModifier);
  QTest::keyRelease(form.get(), Qt::Key_Control);
  QTest::keyPress(form.get(), Qt::Key_3);
  ASSERT_TRUE(picture1->isChecked());
  ASSERT_TRUE(picture3->isChecked());

  Find<QTabWidget>("PageControlInput")->setCurrentWidget(Find<QWidget>("TabSheetCopy"));
  auto* first = Find<QSpinBox>("SpinEditLevelFirst");  // "От канала"
  first->setFocus(Qt::MouseFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), first);
  // Released there, the held key still lets its picture go.
  QTest::keyRelease(first, Qt::Key_3);
  EXPECT_FALSE(picture3->isChecked());

  // Delete the 1 and type 2 and 0: the box shows 20; no picture, no blackout.
  QTest::keyClick(first, Qt::Key_End);
  QTest::keyClick(first, Qt::Key_Backspace);
  QTest::keyPress(first, Qt::Key_2);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxChs2"))->isChecked());
  QTest::keyRelease(first, Qt::Key_2);
  QTest::keyClick(first, Qt::Key_0);
  EXPECT_EQ(first->text(), QStringLiteral("20"));
  EXPECT_FALSE(Core().Runner().BlackOut());
  // Plus, minus and a conveyor letter do nothing either.
  QTest::keyClick(first, Qt::Key_Equal);
  EXPECT_FALSE(Core().Playing());
  Core().Runner().Play();
  QTest::keyClick(first, Qt::Key_Minus);
  EXPECT_TRUE(Core().Playing());
  Core().Runner().Stop();
  QTest::keyClick(first, Qt::Key_Q);
  EXPECT_TRUE(DownSlots().empty());
  // A key pressed into the box and released after a click took the focus out of it (a click
  // on the page, which takes no focus itself) does not unlatch the picture.
  QTest::keyPress(first, Qt::Key_1);
  QTest::mouseClick(Text(QStringLiteral("LabelCopyTitle")), Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
  QTest::keyRelease(form.get(), Qt::Key_1);
  EXPECT_TRUE(picture1->isChecked());

  // With the focus out of the box the console keys act again.
  QTest::keyClick(form.get(), Qt::Key_0);
  EXPECT_TRUE(Core().Runner().BlackOut());
  QTest::keyClick(form.get(), Qt::Key_1);
  EXPECT_FALSE(picture1->isChecked());
}

TEST_F(Keyboard, WheelScrollsTheStripWindowOnlyOnItsPage) {
  QScrollBar* window = Bar(QStringLiteral("ScrolbarVertPos"));
  QScrollBar* fader = Bar(QStringLiteral("ScrollBar5"));
  Show().DataWrite(0, 5, 60);
  Core().RefreshAll();
  // Over a fader: the channel window moves by one, the fader and its level stay.
  Wheel(fader, 120);
  EXPECT_EQ(window->value(), 1);
  EXPECT_EQ(Text(QStringLiteral("Label01c"))->text(), QStringLiteral("2"));
  EXPECT_EQ(Level(0, 5), 60);
  EXPECT_EQ(Level(0, 6), 0);
  Wheel(fader, 360);  // three notches at once: to the end
  EXPECT_EQ(window->value(), kMaxStripOffset);
  EXPECT_EQ(Text(QStringLiteral("Label27c"))->text(), QStringLiteral("255"));
  Wheel(window, -120);
  EXPECT_EQ(window->value(), kMaxStripOffset - 1);
  Wheel(window, -360);
  EXPECT_EQ(window->value(), 0);
  Wheel(window, -120);
  EXPECT_EQ(window->value(), 0);
  EXPECT_EQ(Level(0, 5), 60);

  // On the page "Копирование" the wheel leaves the strips alone.
  auto* pages = Find<QTabWidget>("PageControlInput");
  pages->setCurrentWidget(Find<QWidget>("TabSheetCopy"));
  Wheel(Find<QWidget>("TabSheetCopy"), 120);
  EXPECT_EQ(window->value(), 0);
  // The graph page takes the turn on its channel scroll bar, and the strips stay.
  auto* graphChannel = Find<QScrollBar>("ScrollBarChanellGrafik");
  graphChannel->setValue(10);
  pages->setCurrentWidget(Find<QWidget>("TabSheetGrafik"));
  Wheel(Find<QWidget>("TabSheetGrafik"), -120);
  EXPECT_NE(graphChannel->value(), 10);
  EXPECT_EQ(window->value(), 0);
}

}  // namespace
}  // namespace kalvetro::testing
