// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <array>
#include <ranges>

#include "editing/ChannelNames.h"
#include "editing/ui/StripPanel.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

using Slot = std::array<std::uint8_t, 16>;

class ChannelNameBoxes : public TestConsole, public ::testing::Test {
 protected:
  void SetUp() override {
    Start();
    form->show();
    QApplication::setActiveWindow(form.get());
  }
  QLineEdit* Name(int k) { return Find<QLineEdit>(QStringLiteral("Edit%1").arg(k)); }
  Slot SlotOf(int channel) {
    Slot slot{};
    Memory().Read(NameOffset(channel), slot);
    return slot;
  }
  void SetSlot(int channel, const Slot& slot) { Memory().Write(NameOffset(channel), slot); }
  // Types into box k as the operator does and leaves it for another box.
  void Type(int k, const QString& text) {
    TypeWithoutLeaving(k, text);
    Name(k == 1 ? 2 : 1)->setFocus(Qt::TabFocusReason);
  }
  void TypeWithoutLeaving(int k, const QString& text) {
    QLineEdit* box = Name(k);
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    // One key event per character, carrying the character as the keyboard would.
    for (const QString& ch : text.toUcs4() | std::views::transform([](char32_t c) {
                               return QString::fromUcs4(&c, 1);
                             })) {
      const int key = ch.toUpper().toUcs4().value(0);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, ch);
      QApplication::sendEvent(box, &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, ch);
      QApplication::sendEvent(box, &release);
    }
  }
  QSpinBox* Spin(const char* name) { return Find<QSpinBox>(name); }
};

TEST_F(ChannelNameBoxes, StoredNamesArePaddedWithZeroAndShownWithoutTheirBlanks) {
  // The flash keys would take the letters of a name; a clicked box has them off anyway.
  Core().SetKeyPreview(false);
  Type(3, QStringLiteral("Lampen"));
  const Slot six = {'L', 'a', 'm', 'p', 'e', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(SlotOf(3), six);

  // An inner 0 shows as a space and is stored as one; trailing blanks become 0 bytes.
  SetSlot(5, {'A', 0, 'B', 32, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32});
  SetSlot(6, {32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32});
  Core().RefreshAll();
  EXPECT_EQ(Name(5)->text(), QStringLiteral("A B"));
  EXPECT_EQ(SlotOf(5), (Slot{'A', 32, 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Name(6)->text(), QString());
  EXPECT_EQ(SlotOf(6), Slot{});

  // Every box of the window is stored on leaving one, edited or not; a box shows channel
  // StripOffset + k.
  Bar(QStringLiteral("ScrolbarVertPos"))->setValue(2);
  EXPECT_EQ(Name(1)->text(), QStringLiteral("Lampen"));
  Type(2, QStringLiteral("x y"));
  EXPECT_EQ(SlotOf(4), (Slot{'x', 0, 'y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(SlotOf(3), six);
  EXPECT_EQ(Name(2)->text(), QStringLiteral("x y"));

  // Channel 255, the last box at the end of the window, keeps its whole name.
  Bar(QStringLiteral("ScrolbarVertPos"))->setValue(kMaxStripOffset);
  Type(27, QStringLiteral("Sixteen letters!"));
  EXPECT_EQ(Memory().Get(NameOffset(255) + 15), '!');
  EXPECT_EQ(Name(27)->text(), QStringLiteral("Sixteen letters!"));
}

TEST_F(ChannelNameBoxes, CharactersOutsideCodePage1251AreRefusedAsTheyAreTyped) {
  Core().SetKeyPreview(false);
  Type(1, QStringLiteral("A中B😀Ё"));
  EXPECT_EQ(Name(1)->text(), QStringLiteral("ABЁ"));
  EXPECT_EQ(SlotOf(1), (Slot{'A', 'B', 0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // A text set behind the validator's back is not stored half: the stored name stays.
  Name(1)->setText(QStringLiteral("Z中"));
  EXPECT_FALSE(Find<StripPanel>("StripPanel")->StoreNameBox(1));
  EXPECT_EQ(Name(1)->text(), QStringLiteral("ABЁ"));
  EXPECT_EQ(SlotOf(1)[0], 'A');
}

TEST_F(ChannelNameBoxes, ClearingAsksAndReloadsTheBoxesEitherWay) {
  SetSlot(1, {'K', 'e', 'e', 'p'});
  Core().RefreshAll();
  Name(1)->setText(QStringLiteral("typed, not left"));
  auto* clear = form->findChild<QAction*>(QStringLiteral("ClearNameChannelItem"));
  ASSERT_NE(clear, nullptr);
  EXPECT_EQ(clear->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));
  clear->trigger();  // answered No
  EXPECT_EQ(dialogs.questions.last(), QStringLiteral("Очистить имена каналов?"));
  EXPECT_EQ(Name(1)->text(), QStringLiteral("Keep"));
  EXPECT_FALSE(Core().Undo().Available());

  SetSlot(255, {'L', 'a', 's', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'z'});
  dialogs.answers = {true};
  clear->trigger();
  EXPECT_EQ(Name(1)->text(), QString());
  for (int i = 0; i < 256 * 16; ++i) ASSERT_EQ(Memory().Get(kChannelNames + i), 0) << i;
}

TEST_F(ChannelNameBoxes, BlockCopyRepeatsTheFirstNameUpwardsAndRefusesPastChannel256) {
  SetSlot(1, {'o', 'n', 'e'});
  SetSlot(2, {'t', 'w', 'o'});
  SetSlot(3, {'t', 'h', 'r', 'e', 'e'});
  SetSlot(4, {'f', 'o', 'u', 'r'});
  SetSlot(5, {'f', 'i', 'v', 'e'});
  EXPECT_EQ(Spin("SpinEditNameFirst")->value(), 1);
  EXPECT_EQ(Spin("SpinEditNameLast")->value(), 10);
  EXPECT_EQ(Spin("SpinEditNameFrom")->value(), 11);
  EXPECT_EQ(Spin("SpinEditNameFirst")->maximum(), 254);
  EXPECT_EQ(Spin("SpinEditNameLast")->maximum(), 255);
  Spin("SpinEditNameLast")->setValue(3);
  Spin("SpinEditNameFrom")->setValue(2);
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonNameBlocCopy")), Qt::LeftButton);
  const Slot one = {'o', 'n', 'e'};
  EXPECT_EQ(SlotOf(2), one);
  EXPECT_EQ(SlotOf(3), one);
  EXPECT_EQ(SlotOf(4), one);
  EXPECT_EQ(SlotOf(5), (Slot{'f', 'i', 'v', 'e'}));
  EXPECT_EQ(Name(4)->text(), QStringLiteral("one"));
  EXPECT_EQ(Name(5)->text(), QStringLiteral("five"));
  EXPECT_TRUE(dialogs.warnings.isEmpty());

  // Refused: the warning, nothing copied, and yet the undo copy was taken.
  Button(QStringLiteral("SpeedButtonUndo1"))->setEnabled(false);
  Spin("SpinEditNameLast")->setValue(200);
  Spin("SpinEditNameFrom")->setValue(60);
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonNameBlocCopy")), Qt::LeftButton);
  ASSERT_EQ(dialogs.warnings.size(), 1);
  EXPECT_EQ(dialogs.warnings[0],
            QStringLiteral(" Копирование не выполнено: Максимальное число имен > 256 ! "));
  EXPECT_EQ(SlotOf(60), Slot{});
  EXPECT_TRUE(Button(QStringLiteral("SpeedButtonUndo1"))->isEnabled());
  // The undo puts back the names as they were before the refused copy.
  QTest::mouseClick(Button(QStringLiteral("SpeedButtonUndo1")), Qt::LeftButton);
  EXPECT_EQ(SlotOf(3), one);
}

TEST_F(ChannelNameBoxes, CyrillicNamesTravelThroughASavedFileByteForByte) {
  Core().SetKeyPreview(false);
  Type(1, QStringLiteral("Прожектор №1"));
  Type(2, QStringLiteral("Ёлка"));
  // Code page 1251 by hand: П р о ж е к т о р, blank, №, 1 / Ё л к а. Leaving a box makes
  // every space of the names a 0 byte, the inner one too.
  const Slot projector = {0xCF, 0xF0, 0xEE, 0xE6, 0xE5, 0xEA, 0xF2, 0xEE,
                          0xF0, 0x00, 0xB9, 0x31, 0,    0,    0,    0};
  const Slot tree = {0xA8, 0xEB, 0xEA, 0xE0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(SlotOf(1), projector);
  EXPECT_EQ(SlotOf(2), tree);

  const QString path = PathIn(QStringLiteral("names.klv"));
  ASSERT_TRUE(Core().Files().SaveShowAs(path).ok);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_EQ(bytes.size(), 81920);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[NameOffset(1) + i]), projector[i]) << i;
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[NameOffset(2) + i]), tree[i]) << i;
  }

  dialogs.answers = {true};
  form->findChild<QAction*>(QStringLiteral("ClearNameChannelItem"))->trigger();
  EXPECT_EQ(Name(1)->text(), QString());
  ASSERT_TRUE(Core().Files().OpenShow(path).ok);
  Core().RefreshAll();
  EXPECT_EQ(Name(1)->text(), QStringLiteral("Прожектор №1"));
  EXPECT_EQ(Name(2)->text(), QStringLiteral("Ёлка"));
  Slot shown = projector;  // showing the name made its inner blank a space again
  shown[9] = 0x20;
  EXPECT_EQ(SlotOf(1), shown);
  // Leaving a box stores the reloaded names unchanged.
  Name(1)->setFocus(Qt::TabFocusReason);
  Name(2)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(SlotOf(1), projector);
  EXPECT_EQ(SlotOf(2), tree);
}

// Every scene of a playing show refreshes the strip page; a name half typed stays in its box
// and is stored when the operator leaves it, while the other boxes follow the show.
TEST_F(ChannelNameBoxes, ANameBeingTypedSurvivesTheRefreshOfEveryScene) {
  Core().SetKeyPreview(false);
  TypeWithoutLeaving(4, QStringLiteral("Spot"));
  SetSlot(7, {'W', 'a', 's', 'h', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  form->RefreshAll();
  form->RefreshAll();
  EXPECT_EQ(Name(4)->text(), QStringLiteral("Spot"));
  EXPECT_TRUE(Name(4)->hasFocus());
  EXPECT_EQ(Name(7)->text(), QStringLiteral("Wash"));
  Name(1)->setFocus(Qt::TabFocusReason);
  const Slot spot = {'S', 'p', 'o', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(SlotOf(4), spot);

  // Scrolling shows other channels: the boxes show their names, not the text typed before.
  TypeWithoutLeaving(2, QStringLiteral("Haze"));
  Find<QScrollBar>("ScrolbarVertPos")->setValue(1);
  EXPECT_EQ(Name(3)->text(), QStringLiteral("Spot"));  // channel 4 on strip 3
  EXPECT_EQ(Name(6)->text(), QStringLiteral("Wash"));
}

// A show that takes the place of the open one (opened as the conveyor or the menu opens it, or
// the undo copy put back) discards a name half typed for the old show: leaving the box then
// stores nothing of it into the new show.
TEST_F(ChannelNameBoxes, AReplacedShowDiscardsTheNameBeingTyped) {
  Core().SetKeyPreview(false);
  const Slot dimmer = {'D', 'i', 'm', 'm', 'e', 'r', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  SetSlot(4, dimmer);
  const QString path = PathIn(QStringLiteral("other.klv"));
  ASSERT_TRUE(Core().Files().SaveShowAs(path).ok);
  SetSlot(4, {});

  TypeWithoutLeaving(4, QStringLiteral("Spot"));
  ASSERT_TRUE(Core().Files().OpenShow(path).ok);
  form->RefreshAll();
  EXPECT_EQ(Name(4)->text(), QStringLiteral("Dimmer"));
  Name(1)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(SlotOf(4), dimmer);

  Core().Undo().Take();
  TypeWithoutLeaving(4, QStringLiteral("Haze"));
  Core().Undo().Restore();
  EXPECT_EQ(Name(4)->text(), QStringLiteral("Dimmer"));
  Name(1)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(SlotOf(4), dimmer);
}

}  // namespace
}  // namespace kalvetro::testing
