// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window with its output thread running while the operator works the pages:
// every control state the tick reads crosses threads through the mirrored atomics only.
// Meant for the ThreadSanitizer build; in the others it is a short smoke run.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "output/ui/OutputFixture.h"

namespace kalvetro::testing {
namespace {

#if defined(__SANITIZE_THREAD__)
constexpr int kRunMs = 3000;
#else
constexpr int kRunMs = 1000;
#endif

TEST(OutputThreadUi, TickRunsWhileTheOperatorWorksThePages) {
  OutputFixture c;
  c.form->Ticker().Start(std::chrono::milliseconds(5), [&c] { c.form->Engine().Tick(); });
  const char* pictures[] = {"1", "Space", "M"};
  QElapsedTimer clock;
  clock.start();
  int round = 0;
  while (clock.elapsed() < kRunMs) {
    const int k = 1 + round % kStripCount;
    c.Bar(QStringLiteral("ScrollBar%1").arg(k))->setValue((round * 37) % 256);
    c.Box(QStringLiteral("CheckBox%1").arg(k))->setChecked(round % 3 == 0);
    c.Bar(QStringLiteral("ScrollBarRate%1").arg(k, 2, 10, QLatin1Char('0')))->setValue(round % 8);
    c.Box(QStringLiteral("CheckBoxChs") + QString::fromLatin1(pictures[round % 3]))
        ->setChecked(round % 2 == 0);
    c.Box(QStringLiteral("CheckBoxManual"))->setChecked(round % 5 < 3);
    c.Box(QStringLiteral("CheckBoxBlackOut"))->setChecked(round % 7 == 0);
    c.Bar(QStringLiteral("ScrolbarVertPos"))->setValue((round * 13) % (kMaxStripOffset + 1));
    c.Bar(QStringLiteral("ScrollBarLevelAll"))->setValue(round % 256);
    c.Controls().pad.priority = round % 4 == 0;
    c.Display();
    QTest::qWait(1);  // let the window's own timers (blink, display) run too
    ++round;
  }
  c.form->Ticker().Stop();
  EXPECT_GT(round, 10);

  // With the thread stopped the frame follows the last state by the rules.
  c.Box(QStringLiteral("CheckBoxBlackOut"))->setChecked(true);
  c.Tick();
  for (int n = 0; n <= 255; ++n) ASSERT_EQ(c.Out(n), 0) << n;
}

}  // namespace
}  // namespace kalvetro::testing
