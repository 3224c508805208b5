// SPDX-License-Identifier: GPL-3.0-or-later
#include "effects/ui/ColourMixerPanel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>

#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

class ColourMixerPanelTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    panel = Find<ColourMixerPanel>("GroupBoxColor");
    ASSERT_NE(panel, nullptr);
  }
  void TearDown() override { form.reset(); }

  QColor WindowColour() { return form->palette().color(QPalette::Window); }
  QColor GroupColour() { return panel->palette().color(QPalette::Window); }
  QColor Desktop() { return QApplication::palette(form.get()).color(QPalette::Window); }
  void SetColour(int on, int red, int green, int blue) {
    Memory().Set(kColourOn, static_cast<std::uint8_t>(on));
    Memory().Set(kColourRed, static_cast<std::uint8_t>(red));
    Memory().Set(kColourGreen, static_cast<std::uint8_t>(green));
    Memory().Set(kColourBlue, static_cast<std::uint8_t>(blue));
    form->RefreshAll();
  }
  void SaveAs(const QString& path) {
    dialogs.saveReplies.push_back(path);
    Find<QAction>("SaveAsItem")->trigger();
  }
  std::uint8_t FileByte(const QString& path, int index) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return static_cast<std::uint8_t>(file.readAll().at(index));
  }

  ColourMixerPanel* panel = nullptr;
};

TEST_F(ColourMixerPanelTest, ShowsTheShowsColourAndPaintsTheWindow) {
  // A new show: on, 190/197/190.
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxColorZamok"))->isChecked());
  EXPECT_EQ(Bar(QStringLiteral("ScrollBarRed"))->value(), 190);
  EXPECT_EQ(Bar(QStringLiteral("ScrollBarGreen"))->value(), 197);
  EXPECT_EQ(WindowColour(), QColor(190, 197, 190));

  SetColour(1, 20, 30, 90);
  EXPECT_EQ(Bar(QStringLiteral("ScrollBarBlue"))->value(), 90);
  EXPECT_EQ(WindowColour(), QColor(20, 30, 90));
  EXPECT_EQ(GroupColour(), QColor(20, 30, 90));
  // Text on a dark mix is light.
  EXPECT_EQ(form->palette().color(QPalette::WindowText), QColor(Qt::white));

  // Moving a bar writes its byte and repaints.
  Bar(QStringLiteral("ScrollBarRed"))->setValue(200);
  EXPECT_EQ(Memory().Get(kColourRed), 200);
  EXPECT_EQ(WindowColour(), QColor(200, 30, 90));

  // Unticking "Вкл. цвет": the window goes back to the desktop colour, the group keeps the mix.
  QTest::mouseClick(Box(QStringLiteral("CheckBoxColorZamok")), Qt::LeftButton);
  EXPECT_EQ(Memory().Get(kColourOn), 0);
  EXPECT_EQ(WindowColour(), Desktop());
  EXPECT_EQ(GroupColour(), QColor(200, 30, 90));

  // Byte 138 = 2 leaves the box as it was and paints the window with the mix.
  SetColour(2, 10, 200, 10);
  EXPECT_FALSE(Box(QStringLiteral("CheckBoxColorZamok"))->isChecked());
  EXPECT_EQ(Memory().Get(kColourOn), 2);
  EXPECT_EQ(WindowColour(), QColor(10, 200, 10));
  SetColour(1, 10, 200, 10);
  EXPECT_TRUE(Box(QStringLiteral("CheckBoxColorZamok"))->isChecked());

  // The group shows the last key the keyboard saw.
  EXPECT_EQ(Text(QStringLiteral("LabelKeySp"))->text(), QStringLiteral("Клавиатура ?"));
  QTest::keyClick(form.get(), Qt::Key_1);
  EXPECT_EQ(Text(QStringLiteral("LabelKeySp"))->text(), QStringLiteral("NomberKey is 49"));
}

TEST_F(ColourMixerPanelTest, SavingAsMovesTheColourOnWhenAsked) {
  const QString first = PathIn(QStringLiteral("first.klv"));
  const QString second = PathIn(QStringLiteral("second.klv"));
  const QString third = PathIn(QStringLiteral("third.klv"));
  // Without the box nothing changes.
  SaveAs(first);
  EXPECT_EQ(Memory().Get(kColourRed), 190);

  QTest::mouseClick(Box(QStringLiteral("CheckBoxColorAvto")), Qt::LeftButton);
  SaveAs(second);
  EXPECT_EQ(Memory().Get(kColourRed), 37);
  EXPECT_EQ(Bar(QStringLiteral("ScrollBarRed"))->value(), 37);
  EXPECT_EQ(WindowColour().red(), 37);
  // The file just written keeps the colour it had.
  EXPECT_EQ(FileByte(second, kColourRed), 190);
  SaveAs(third);
  EXPECT_EQ(Memory().Get(kColourRed), 140);
  EXPECT_EQ(FileByte(third, kColourRed), 37);

  // A cancelled save changes nothing.
  dialogs.saveReplies.push_back(std::nullopt);
  Find<QAction>("SaveAsItem")->trigger();
  EXPECT_EQ(Memory().Get(kColourRed), 140);
}

}  // namespace
}  // namespace kalvetro::testing
