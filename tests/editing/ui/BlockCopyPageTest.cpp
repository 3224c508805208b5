// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <vector>

#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

class BlockCopyPageTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    Start();
    Find<QTabWidget>("PageControlInput")->setCurrentIndex(4);  // "Копирование"
  }
  QSpinBox* Spin(const char* name) { return Find<QSpinBox>(name); }
  void Click(const char* name) {
    QTest::mouseClick(Button(QString::fromLatin1(name)), Qt::LeftButton);
  }
  std::vector<std::uint8_t> Scenes() {
    std::vector<std::uint8_t> bytes;
    for (int s = 0; s < kSceneCount; ++s)
      for (int ch = 0; ch < kRowSize; ++ch) bytes.push_back(Level(s, ch));
    return bytes;
  }
  bool UndoEnabled() { return Button(QStringLiteral("SpeedButtonUndo5"))->isEnabled(); }
};

TEST_F(BlockCopyPageTest, InputsStartWithTheirRangesValuesAndHints) {
  struct Input {
    const char* name;
    int maximum;
    int value;
    const char* hint;
  };
  const char* first = "Номер канала от которого начинается копирование ";
  const char* last = "Номер канала до которого продолжается копирование ";
  const char* target = "Номер канала в который начинается копирование отмеченного блока";
  const Input inputs[] = {
      {"SpinEditLevelFirst", 254, 1, first},  {"SpinEditLevelLast", 255, 10, last},
      {"SpinEditLevelFrom", 255, 11, target}, {"SpinEditChBeg", 254, 1, first},
      {"SpinEditChFin", 255, 10, last},       {"SpinEditChTo", 255, 11, target},
      {"SpinEditAllScChbeg", 254, 1, first},  {"SpinEditAllScChFin", 255, 10, last},
      {"SpinEditAllScChTo", 255, 11, target}, {"SpinEditAllScChbegSc", 255, 1, ""},
      {"SpinEditAllScChFinSc", 255, 10, ""},  {"SpinEditAllScChToSc", 255, 11, ""},
      {"SpinEditScenaFirst", 254, 1, ""},     {"SpinEditScenaLast", 255, 10, ""},
      {"SpinEditScenaFrom", 255, 11, ""},
  };
  QWidget* tab = Find<QWidget>("TabSheetCopy");
  for (const Input& in : inputs) {
    QSpinBox* spin = Spin(in.name);
    ASSERT_NE(spin, nullptr) << in.name;
    EXPECT_TRUE(tab->isAncestorOf(spin)) << in.name;
    EXPECT_EQ(spin->minimum(), 1) << in.name;
    EXPECT_EQ(spin->maximum(), in.maximum) << in.name;
    EXPECT_EQ(spin->value(), in.value) << in.name;
    if (*in.hint) {
      EXPECT_EQ(spin->toolTip(), QString::fromUtf8(in.hint)) << in.name;
    }
  }
  for (const char* name :
       {"SpeedButtonLevelBlocCopy", "SpeedButtonLevelJobScens", "SpeedButtonScenAllCopy",
        "SpeedButtonScenaBlocCopy", "SpeedButtonMem5", "SpeedButtonUndo5"})
    EXPECT_TRUE(tab->isAncestorOf(Button(QString::fromLatin1(name)))) << name;
  EXPECT_EQ(Button(QStringLiteral("SpeedButtonScenaBlocCopy"))->toolTip(),
            QStringLiteral("Выполнить копирование"));
}

TEST_F(BlockCopyPageTest, CopiesOneToTenIntoElevenInOneSceneThenInAllRows) {
  Memory().Set(kCurrentStep, 3);
  for (int ch = 1; ch <= 10; ++ch) {
    Show().DataWrite(3, ch, 10 * ch);
    Show().DataWrite(4, ch, ch);
    Show().DataWrite(200, ch, 100 + ch);
  }
  Show().DataWrite(255, 5, 77);  // a row far beyond the last scene of the show
  EXPECT_FALSE(UndoEnabled());

  Click("SpeedButtonLevelBlocCopy");
  for (int ch = 11; ch <= 20; ++ch) EXPECT_EQ(Level(3, ch), 10 * (ch - 10)) << ch;
  EXPECT_EQ(Level(3, 10), 100);  // the source stays
  EXPECT_EQ(Level(3, 21), 0);
  EXPECT_EQ(Level(4, 11), 0);  // other scenes untouched
  EXPECT_EQ(Level(200, 11), 0);
  EXPECT_TRUE(UndoEnabled());
  EXPECT_TRUE(dialogs.warnings.isEmpty());

  Click("SpeedButtonLevelJobScens");
  for (int ch = 11; ch <= 20; ++ch) {
    EXPECT_EQ(Level(4, ch), ch - 10) << ch;
    EXPECT_EQ(Level(200, ch), 100 + ch - 10) << ch;
    EXPECT_EQ(Level(3, ch), 10 * (ch - 10)) << ch;
  }
  EXPECT_EQ(Level(255, 15), 77);
  EXPECT_EQ(Level(0, 11), 0);

  // The restore button brings back the show as it was before the last copy.
  Click("SpeedButtonUndo5");
  EXPECT_EQ(Level(200, 11), 0);
  EXPECT_EQ(Level(255, 15), 0);
  EXPECT_EQ(Level(3, 11), 10);  // the first copy came before the undo copy
}

TEST_F(BlockCopyPageTest, LimitsRefuseWithTheirWarningAndKeepTheUndo) {
  for (int ch = 1; ch <= 255; ++ch) Show().DataWrite(0, ch, ch);
  const auto before = Scenes();

  Spin("SpinEditLevelLast")->setValue(250);
  Spin("SpinEditLevelFrom")->setValue(10);
  Click("SpeedButtonLevelBlocCopy");
  ASSERT_EQ(dialogs.warnings.size(), 1);
  EXPECT_EQ(dialogs.warnings[0],
            QStringLiteral(" Копирование не выполнено:Максимальное число каналов > 256 ! "));
  EXPECT_EQ(Scenes(), before);
  EXPECT_TRUE(UndoEnabled());
  EXPECT_TRUE(Button(QStringLiteral("SpeedButtonUndo1"))->isEnabled());

  // An empty range (20 > 10) copies nothing and says nothing.
  Spin("SpinEditChBeg")->setValue(20);
  Click("SpeedButtonLevelJobScens");
  EXPECT_EQ(dialogs.warnings.size(), 1);
  EXPECT_EQ(Scenes(), before);

  // The scene limit of "Каналов в сценах": 250 + 10 > 256.
  Spin("SpinEditAllScChFinSc")->setValue(250);
  Spin("SpinEditAllScChToSc")->setValue(10);
  Click("SpeedButtonScenAllCopy");
  ASSERT_EQ(dialogs.warnings.size(), 2);
  EXPECT_EQ(dialogs.warnings[1],
            QStringLiteral(" Копирование не выполнено:Максимальное число сцен > 256 ! "));
  EXPECT_EQ(Scenes(), before);
}

TEST_F(BlockCopyPageTest, SceneGroupsReadTheirOwnInputs) {
  // "Каналов в сценах": channels 1..2 of scenes 2..3 go to channel 5 of scenes 7..8.
  Show().DataWrite(1, 1, 11);
  Show().DataWrite(1, 2, 12);
  Show().DataWrite(2, 1, 21);
  Show().DataWrite(2, 2, 22);
  Spin("SpinEditAllScChFin")->setValue(2);
  Spin("SpinEditAllScChTo")->setValue(5);
  Spin("SpinEditAllScChbegSc")->setValue(2);
  Spin("SpinEditAllScChFinSc")->setValue(3);
  Spin("SpinEditAllScChToSc")->setValue(7);
  Spin("SpinEditChTo")->setValue(100);  // the other group's inputs play no part
  Click("SpeedButtonScenAllCopy");
  EXPECT_EQ(Level(6, 5), 11);
  EXPECT_EQ(Level(6, 6), 12);
  EXPECT_EQ(Level(7, 5), 21);
  EXPECT_EQ(Level(7, 6), 22);
  EXPECT_EQ(Level(1, 5), 0);
  EXPECT_EQ(Level(2, 5), 0);
  EXPECT_EQ(Level(8, 5), 0);
  for (int s = 0; s < kSceneCount; ++s) EXPECT_EQ(Level(s, 100), 0) << s;

  // "Сцен (все каналы)": whole scenes 1..2 go to scenes 5..6.
  Show().DataWrite(0, 1, 5);
  Show().DataWrite(0, 255, 6);
  Show().DataWrite(1, 100, 7);
  Spin("SpinEditScenaLast")->setValue(2);
  Spin("SpinEditScenaFrom")->setValue(5);
  Click("SpeedButtonScenaBlocCopy");
  EXPECT_EQ(Level(4, 1), 5);
  EXPECT_EQ(Level(4, 255), 6);
  EXPECT_EQ(Level(5, 1), 11);
  EXPECT_EQ(Level(5, 100), 7);
  EXPECT_EQ(Level(6, 5), 11);  // the scene after the target block keeps its levels
  EXPECT_TRUE(dialogs.warnings.isEmpty());
}

}  // namespace
}  // namespace kalvetro::testing
