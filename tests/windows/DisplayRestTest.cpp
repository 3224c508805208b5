// SPDX-License-Identifier: GPL-3.0-or-later
// The output display rests while nothing it shows can change, and whatever changes it wakes it
// in time to show the new output.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "editing/ui/LevelLabel.h"
#include "serial/SerialTestSupport.h"
#include "support/TestConsole.h"
#include "windows/DisplayRest.h"

namespace kalvetro::testing {
namespace {

class DisplayRestTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    ASSERT_TRUE(ShowAtLaptopSize());
    display = form->findChild<QTimer*>(QStringLiteral("TimerDataDmxToDsp"));
    rest = form->findChild<DisplayRest*>(QStringLiteral("DisplayRest"));
    ASSERT_TRUE(display && rest);
  }

  // Lets the display run until it rests (a quiet second; more time for a loaded machine).
  bool WaitForRest() {
    return WaitFor([&] { return rest->Resting(); }, 8000);
  }
  QString Shown(int strip) {
    return form->findChild<LevelLabel*>(QStringLiteral("Label%1").arg(strip))->text();
  }

  QTimer* display = nullptr;
  DisplayRest* rest = nullptr;
};

// A stopped show with a steady output: the display timer stops. A new output from the tick,
// whatever made it, wakes the display, and every strip shows the new level within a second.
TEST_F(DisplayRestTest, AStoppedSteadyOutputRestsAndANewOutputIsShown) {
  Tick(3);
  ASSERT_TRUE(WaitForRest());
  EXPECT_FALSE(display->isActive());
  const QString before = Shown(4);

  // The scene's levels change behind the display's back (as a timer or the keyboard would
  // change them) and the tick takes them to the output.
  for (int channel = 1; channel <= 27; ++channel)
    Memory().Set(SceneRowOffset(0) + channel, static_cast<std::uint8_t>(100 + channel));
  Tick(60);
  ASSERT_EQ(form->Frames().Output(4), 104);
  ASSERT_TRUE(WaitFor([&] { return display->isActive(); }, 5000));
  EXPECT_TRUE(WaitFor(
      [&] {
        for (int strip = 1; strip <= 27; ++strip)
          if (Shown(strip) != QString::number(100 + strip)) return false;
        return true;
      },
      8000));
  EXPECT_NE(Shown(4), before);
  // Steady again: it rests again.
  EXPECT_TRUE(WaitForRest());
}

// The operator's hand wakes a resting display (a scroll of the strips shows other channels,
// which the display must draw), and a playing show keeps it awake.
TEST_F(DisplayRestTest, TheOperatorWakesItAndAPlayingShowKeepsItAwake) {
  for (int channel = 1; channel <= 60; ++channel)
    Memory().Set(SceneRowOffset(0) + channel, static_cast<std::uint8_t>(channel));
  Tick(60);
  ASSERT_TRUE(WaitForRest());

  QTest::keyClick(form.get(), Qt::Key_Shift);
  EXPECT_TRUE(display->isActive());
  ASSERT_TRUE(WaitForRest());

  // Scrolled by the program, without input events: the refresh it makes wakes the display.
  auto* scroll = form->findChild<QScrollBar*>(QStringLiteral("ScrolbarVertPos"));
  scroll->setValue(27);
  EXPECT_TRUE(display->isActive());
  EXPECT_TRUE(WaitFor([&] { return Shown(1) == QStringLiteral("28") && Shown(27) == "54"; }));

  Core().Runner().Play();
  QTest::qWait(1500);
  EXPECT_FALSE(rest->Resting());
  EXPECT_TRUE(display->isActive());
}

}  // namespace
}  // namespace kalvetro::testing
