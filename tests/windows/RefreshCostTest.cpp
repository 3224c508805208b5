// SPDX-License-Identifier: GPL-3.0-or-later
// What a refresh of the window costs: a refresh that finds nothing new repaints nothing, and a
// scene step repaints the controls whose shown value changed and leaves the others alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMap>
#include <QTest>

#include "playback/ui/SequencerPanel.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

// Counts, per object name, the paints and palette changes that reach the window's widgets.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    if (event->type() == QEvent::Paint) ++paints[watched->objectName()];
    if (event->type() == QEvent::PaletteChange) ++palettes[watched->objectName()];
    return false;
  }
  int Total(const QMap<QString, int>& counts) const {
    int total = 0;
    for (int n : counts) total += n;
    return total;
  }
  QMap<QString, int> paints;
  QMap<QString, int> palettes;
};

class RefreshCost : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    ASSERT_TRUE(ShowAtLaptopSize());
    // Two scenes that differ on channels 2 and 5 only.
    Memory().Set(kLastScene, 1);
    for (int channel = 1; channel <= 255; ++channel) {
      Memory().Set(SceneRowOffset(0) + channel, 40);
      Memory().Set(SceneRowOffset(1) + channel, 40);
    }
    Memory().Set(SceneRowOffset(1) + 2, 200);
    Memory().Set(SceneRowOffset(1) + 5, 90);
    Refresh();
    QTest::qWait(50);
    qApp->installEventFilter(&counter);
  }
  void TearDown() override { qApp->removeEventFilter(&counter); }

  // The console's window-wide refresh, then the paints it asked for.
  void Refresh() {
    form->RefreshAll();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
  }

  PaintCounter counter;
};

TEST_F(RefreshCost, ARefreshThatFindsNothingNewRepaintsNothing) {
  Refresh();
  Refresh();
  EXPECT_EQ(counter.Total(counter.paints), 0) << counter.paints.keys().join(u' ').toStdString();
  EXPECT_EQ(counter.Total(counter.palettes), 0) << counter.palettes.keys().join(u' ').toStdString();
}

TEST_F(RefreshCost, ASceneStepRepaintsTheFadersThatMovedAndNoName) {
  Memory().Set(kCurrentStep, 1);
  Refresh();
  EXPECT_EQ(Bar(QStringLiteral("ScrollBar2"))->value(), 200);
  EXPECT_GE(counter.paints.value(QStringLiteral("ScrollBar2")), 1);
  EXPECT_GE(counter.paints.value(QStringLiteral("ScrollBar5")), 1);
  EXPECT_EQ(counter.paints.value(QStringLiteral("ScrollBar3")), 0);
  EXPECT_EQ(counter.paints.value(QStringLiteral("ScrollBar27")), 0);
  for (int k = 1; k <= 27; ++k)
    EXPECT_EQ(counter.paints.value(QStringLiteral("Edit%1").arg(k)), 0) << "name box " << k;
  EXPECT_EQ(counter.Total(counter.palettes), 0);
}

// A label that shows a new number repaints itself (and what lies under it), not the whole tab
// around it: the show clock changes every second on the sequencer tab.
TEST_F(RefreshCost, ANewNumberOnALabelRepaintsTheLabelNotItsTab) {
  auto* sequencer = form->findChild<SequencerPanel*>(QStringLiteral("GroupBoxPlay"));
  ASSERT_NE(sequencer, nullptr);
  const QString before = Text(QStringLiteral("LabelTimePause"))->text();
  sequencer->ShowClockTick();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents();
  ASSERT_NE(Text(QStringLiteral("LabelTimePause"))->text(), before);
  EXPECT_GE(counter.paints.value(QStringLiteral("LabelTimePause")), 1);
  for (const char* elsewhere : {"SpeedButtonPlay", "SpeedButtonStop", "ScrollBarTemp",
                                "ScrollBarStep", "LabelStep", "ScrollBar1"})
    EXPECT_EQ(counter.paints.value(QString::fromLatin1(elsewhere)), 0) << elsewhere;
}

}  // namespace
}  // namespace kalvetro::testing
