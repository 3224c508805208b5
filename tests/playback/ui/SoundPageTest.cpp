// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "playback/ui/SequencerPanel.h"
#include "playback/ui/SoundPage.h"
#include "support/TestConsole.h"

namespace kalvetro::testing {
namespace {

// A started console with the sound tick and the sequencer timer held: tests write the
// clipboard, run the sound ticks by hand and step the sequencer themselves.
class SoundPageTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
    page = form->findChild<SoundPage*>(QStringLiteral("SoundPage"));
    ASSERT_NE(page, nullptr);
    Runner().SoundTimer().stop();
    sequencer = form->findChild<SequencerPanel*>(QStringLiteral("GroupBoxPlay"));
    ASSERT_NE(sequencer, nullptr);
    Runner().SequencerTimer().stop();
  }

  // Writes the clipboard as another program does, then runs sound ticks.
  void Level(const QString& text, int ticks = 1) {
    QGuiApplication::clipboard()->setText(text);
    for (int i = 0; i < ticks; ++i) Runner().SoundClockTick();
  }
  QColor Fill(QFrame* frame) { return frame->palette().color(QPalette::Window); }

  SoundPage* page = nullptr;
  SequencerPanel* sequencer = nullptr;
};

TEST_F(SoundPageTest, ControlsStartAsTheConsoleOpens) {
  EXPECT_TRUE(Find<QWidget>("TabSheetZvuk")->isAncestorOf(page));
  EXPECT_EQ(Runner().SoundTimer().interval(), 10);
  EXPECT_EQ(Runner().SoundTimer().timerType(), Qt::PreciseTimer);
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("00"));
  auto* level = Find<QProgressBar>("GaugeLevel");
  EXPECT_EQ(level->orientation(), Qt::Vertical);
  EXPECT_EQ(level->maximum(), 32000);
  EXPECT_EQ(level->value(), 12000);
  EXPECT_EQ(level->toolTip(), QStringLiteral("Индикатор уровня сигнала "));
  // The gate gauge shows the gate as start-up leaves it.
  auto* gate = Find<QProgressBar>("GaugeGate");
  EXPECT_EQ(gate->maximum(), 32000);
  EXPECT_EQ(gate->value(), 5000);
  EXPECT_EQ(gate->toolTip(), QStringLiteral("Уровень порога включения "));
  auto* envelope = Find<QProgressBar>("ProgressBarKomp");
  EXPECT_EQ(envelope->value(), 0);
  EXPECT_EQ(envelope->toolTip(), QStringLiteral("Индикатор огибающей с фильтром "));
  auto* gateBar = Bar(QStringLiteral("ScrollBarGate"));
  EXPECT_EQ(gateBar->orientation(), Qt::Vertical);
  EXPECT_EQ(gateBar->maximum(), 255);
  EXPECT_EQ(gateBar->value(), 127);
  EXPECT_EQ(gateBar->toolTip(), QStringLiteral("Порог срабатывания"));
  auto* skip = Bar(QStringLiteral("ScrollBarPropusk"));
  EXPECT_EQ(skip->minimum(), 1);
  EXPECT_EQ(skip->maximum(), 100);
  EXPECT_EQ(skip->value(), 1);
  EXPECT_EQ(skip->toolTip(), QStringLiteral("Количество пропусков бита до переключения сцен "));
  EXPECT_EQ(Text("LabelPropusk")->text(), QStringLiteral("1-1"));
  auto* adsr = Bar(QStringLiteral("ScrollBaSpeedADSR"));
  EXPECT_EQ(adsr->minimum(), 20);
  EXPECT_EQ(adsr->maximum(), 5000);
  EXPECT_EQ(adsr->pageStep(), 50);
  EXPECT_EQ(adsr->value(), 20);
  EXPECT_EQ(adsr->toolTip(), QStringLiteral("Скорость огибающей"));
  EXPECT_EQ(Text("LabelKompr")->text(), QStringLiteral("2"));
  auto* fall = Bar(QStringLiteral("ScrollBarSpeedIndikat"));
  EXPECT_EQ(fall->maximum(), 5000);
  EXPECT_EQ(fall->pageStep(), 50);
  EXPECT_EQ(fall->value(), 700);
  EXPECT_EQ(fall->toolTip(), QStringLiteral("Скорость спада индикатора уровня "));
  EXPECT_EQ(Text("Labelind")->text(), QStringLiteral("70"));
  EXPECT_EQ(Find<QFrame>("Shapes")->toolTip(), QStringLiteral("Индикатор срабатывания тригера "));
  EXPECT_EQ(Fill(Find<QFrame>("Shape1s")), QColor(128, 128, 128));
  EXPECT_EQ(Fill(Find<QFrame>("Shape2s")), QColor(Qt::white));
  EXPECT_EQ(Fill(Find<QFrame>("Shape4s")), QColor(Qt::white));
  EXPECT_EQ(page->levelSourceBox->currentText(), QStringLiteral("Буфер обмена"));
  EXPECT_EQ(page->Source(), LevelSource::kClipboard);
}

TEST_F(SoundPageTest, SlidersSetGateSkipAndSpeedLabels) {
  auto* gate = Find<QProgressBar>("GaugeGate");
  Bar(QStringLiteral("ScrollBarGate"))->setValue(0);
  EXPECT_EQ(gate->value(), 30600);
  Bar(QStringLiteral("ScrollBarGate"))->setValue(255);
  EXPECT_EQ(gate->value(), 0);
  Bar(QStringLiteral("ScrollBarGate"))->setValue(127);
  EXPECT_EQ(gate->value(), 15360);
  EXPECT_EQ(Runner().Sound().gateLevel, 15360);

  Bar(QStringLiteral("ScrollBarPropusk"))->setValue(3);
  EXPECT_EQ(Text("LabelPropusk")->text(), QStringLiteral("3  3"));
  Level(QStringLiteral("00"));
  EXPECT_EQ(Text("LabelPropusk")->text(), QStringLiteral("3 - 3"));

  Bar(QStringLiteral("ScrollBaSpeedADSR"))->setValue(1234);
  EXPECT_EQ(Text("LabelKompr")->text(), QStringLiteral("123"));
  Bar(QStringLiteral("ScrollBarSpeedIndikat"))->setValue(5000);
  EXPECT_EQ(Text("Labelind")->text(), QStringLiteral("500"));
}

TEST_F(SoundPageTest, ClipboardTextGivesTheLevel) {
  // Start-up wrote "1111111": it reads as 11.
  Runner().SoundClockTick();
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("11"));
  Level(QStringLiteral("7"));
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("7"));
  Level(QStringLiteral("A5"));
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("5"));
  Level(QStringLiteral("123"));
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("12"));
  Level(QStringLiteral("9x"));
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("90"));
  Level(QString());
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("0"));
  // The level gauge jumps to 99 * 320 and falls by the fall speed (700) every tick.
  Level(QStringLiteral("99"));
  EXPECT_EQ(Find<QProgressBar>("GaugeLevel")->value(), 31680 - 700);
  Level(QStringLiteral("00"), 3);
  EXPECT_EQ(Find<QProgressBar>("GaugeLevel")->value(), 31680 - 4 * 700);
}

TEST_F(SoundPageTest, ClipboardBeatsAdvanceAPlayingShowWithAudioTicked) {
  // Three scenes; the show plays on beats.
  Memory().Set(kLastScene, 2);
  form->RefreshAll();
  QTest::mouseClick(sequencer->soundPacedBox, Qt::LeftButton);
  ASSERT_TRUE(sequencer->soundPacedBox->isChecked());
  Core().Runner().Play();

  // The first tick after start-up finds a beat on the gauge's start value (12000 over the gate
  // 5000); after it the level rests at 00.
  Runner().SoundClockTick();
  EXPECT_EQ(Show().beatFlag.load(), 1);
  Runner().SequencerTick();
  EXPECT_EQ(Show().CurrentStep(), 1);
  EXPECT_EQ(Show().beatFlag.load(), 0);
  Level(QStringLiteral("00"), 20);
  EXPECT_EQ(Show().beatFlag.load(), 0);
  Runner().SequencerTick();
  EXPECT_EQ(Show().CurrentStep(), 1);  // no beat, no step

  // A loud hit: the gauge rises for two ticks, and the beat is found when it stops rising.
  Level(QStringLiteral("99"), 2);
  EXPECT_EQ(Show().beatFlag.load(), 0);
  Level(QStringLiteral("00"));
  EXPECT_EQ(Show().beatFlag.load(), 1);
  // Skip count 1: the counted beat lights the second beat lamp; the trigger lamp stays off.
  EXPECT_EQ(Fill(Find<QFrame>("Shape2s")), QColor(0, 255, 0));
  EXPECT_EQ(Fill(Find<QFrame>("Shape1s")), QColor(128, 128, 128));
  EXPECT_NE(Fill(Find<QFrame>("Shapes")), QColor(255, 0, 0));
  // The output tick paints "Audio" red while the beat waits.
  Tick();
  EXPECT_TRUE(Controls().crossfade.audioRed.load());
  Runner().SequencerTick();
  EXPECT_EQ(Show().CurrentStep(), 2);
  EXPECT_EQ(Show().beatFlag.load(), 0);

  // A level held at 99 gives no new beat until it falls back.
  Level(QStringLiteral("99"), 30);
  EXPECT_EQ(Show().beatFlag.load(), 0);
  Level(QStringLiteral("40"));
  EXPECT_EQ(Show().beatFlag.load(), 1);
  Runner().SequencerTick();
  EXPECT_EQ(Show().CurrentStep(), 0);  // wrapped after the last scene
}

TEST_F(SoundPageTest, SkipCountOfTwoRaisesTheFlagOnEverySecondBeat) {
  Runner().SoundClockTick();  // the start-up beat
  Show().beatFlag.store(0);
  Bar(QStringLiteral("ScrollBarPropusk"))->setValue(2);
  Level(QStringLiteral("00"), 20);
  // Beat 1 of 2: counted down, not raised; the counter (1) is odd, the trigger lamp is off.
  Level(QStringLiteral("99"));
  Level(QStringLiteral("00"));
  EXPECT_EQ(Show().beatFlag.load(), 0);
  EXPECT_EQ(Text("LabelPropusk")->text(), QStringLiteral("2 - 2"));
  Level(QStringLiteral("00"), 10);
  EXPECT_EQ(Text("LabelPropusk")->text(), QStringLiteral("1 - 2"));
  // Beat 2 of 2: raised; the counter starts again at 2, even: the trigger lamp is red.
  Level(QStringLiteral("99"));
  Level(QStringLiteral("00"));
  EXPECT_EQ(Show().beatFlag.load(), 1);
  EXPECT_EQ(Fill(Find<QFrame>("Shapes")), QColor(255, 0, 0));
}

TEST_F(SoundPageTest, NoAudioInputFallsBackToTheClipboardWithAMessage) {
  page->SetAudioDevice(QAudioDevice());
  page->levelSourceBox->setCurrentIndex(static_cast<int>(LevelSource::kAudioInput));
  EXPECT_EQ(Status(), QStringLiteral(" Нет аудиовхода: уровень берется из буфера обмена "));
  EXPECT_EQ(page->Source(), LevelSource::kClipboard);
  EXPECT_EQ(page->levelSourceBox->currentText(), QStringLiteral("Буфер обмена"));
  // The clipboard still drives the page.
  Level(QStringLiteral("42"));
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("42"));
}

TEST_F(SoundPageTest, DefaultAudioInputEitherListensOrFallsBack) {
  // Whatever this machine has: the page listens to its default input, or says why it cannot
  // and goes on with the clipboard. Either way the sound tick runs on.
  page->levelSourceBox->setCurrentIndex(static_cast<int>(LevelSource::kAudioInput));
  if (page->Source() == LevelSource::kAudioInput) {
    EXPECT_EQ(page->levelSourceBox->currentText(), QStringLiteral("Аудиовход"));
    Runner().SoundClockTick();
    bool ok = false;
    const int level = Text("Label33")->text().toInt(&ok);
    EXPECT_TRUE(ok);
    EXPECT_GE(level, 0);
    EXPECT_LE(level, 99);
    page->levelSourceBox->setCurrentIndex(static_cast<int>(LevelSource::kClipboard));
    EXPECT_EQ(page->Source(), LevelSource::kClipboard);
  } else {
    EXPECT_TRUE(Status().endsWith(QStringLiteral(": уровень берется из буфера обмена ")))
        << Status().toStdString();
    EXPECT_EQ(page->levelSourceBox->currentText(), QStringLiteral("Буфер обмена"));
  }
  Level(QStringLiteral("37"));
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("37"));
}

// On a clipboard level that stays the same the tick reaches a state it keeps; the timer then
// rests, and a new text or a moved slider wakes it with nothing missed.
TEST_F(SoundPageTest, SoundTickRestsOnASteadyLevelAndWakesOnAChange) {
  QTimer* tick = &Runner().SoundTimer();
  Level(QStringLiteral("11"));
  Show().beatFlag.store(0);
  tick->start();
  QTRY_VERIFY_WITH_TIMEOUT(!tick->isActive(), 20000);
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("11"));
  // At rest a tick would change nothing: the rest skips only ticks that do nothing.
  const SoundState rested = Runner().Sound();
  Runner().SoundClockTick();
  EXPECT_TRUE(Runner().Sound() == rested);
  EXPECT_FALSE(tick->isActive());

  // A loud level written by another program wakes the tick, which finds the beat.
  QGuiApplication::clipboard()->setText(QStringLiteral("99"));
  EXPECT_TRUE(tick->isActive());
  QTRY_COMPARE_WITH_TIMEOUT(Show().beatFlag.load(), std::uint8_t{1}, 5000);
  EXPECT_EQ(Text("Label33")->text(), QStringLiteral("99"));

  // Rested again, a slider wakes it: the envelope speed is read by every tick.
  QTRY_VERIFY_WITH_TIMEOUT(!tick->isActive(), 20000);
  Bar(QStringLiteral("ScrollBaSpeedADSR"))->setValue(900);
  EXPECT_TRUE(tick->isActive());
  // A timer stopped by someone else stays stopped when the clipboard changes.
  tick->stop();
  QGuiApplication::clipboard()->setText(QStringLiteral("42"));
  EXPECT_FALSE(tick->isActive());
}

}  // namespace
}  // namespace kalvetro::testing
