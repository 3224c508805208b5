// SPDX-License-Identifier: GPL-3.0-or-later
// The sound page's choice of audio input against a PulseAudio server of the test's own: the
// sound this computer plays (the monitor of an output) chosen in the window steps the show on
// the wire, and the output removed and made again is followed.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QStringList>
#include <QTest>

#include "playback/PulseSources.h"
#include "playback/ui/SequencerPanel.h"
#include "playback/ui/SoundInputChooser.h"
#include "playback/ui/SoundPage.h"
#include "show/Settings.h"
#include "support/PulseServer.h"
#include "support/TestConsole.h"
#include "support/TestShow.h"
#include "support/WireSteps.h"

namespace kalvetro::testing {
namespace {

constexpr int kClickPeriodMs = 500;

class SoundInputChooserTest : public ::testing::Test, public TestConsole {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pulse.Start());
    module = pulse.AddSink(QStringLiteral("kalvo_clicks"), QStringLiteral("Щелчки"));
    ASSERT_GE(module, 0);
    // Four scenes at tempo 5 (25 ms a scene): a step on the tempo would come every 25 ms, a
    // step on the clicks every 500 ms.
    ASSERT_TRUE(showDir.isValid());
    const QString show = TestShow(3, 5).Levels(1, {10, 20, 30, 40}).WriteTo(showDir, "clicks.klv");
    Start({.withTick = true, .showFile = show, .port = QString::fromStdString(pty.Path())});
    page = form->findChild<SoundPage*>(QStringLiteral("SoundPage"));
    ASSERT_NE(page, nullptr);
    QObject::connect(&Core(), &Console::StatusMessage,
                     [this](const QString& text) { messages << text; });
  }
  int Said(const QString& start) const {
    int count = 0;
    for (const QString& text : messages) count += text.startsWith(start);
    return count;
  }

  PulseServer pulse;
  int module = -1;
  QTemporaryDir showDir;
  Pty pty;
  SoundPage* page = nullptr;
  QStringList messages;
};

TEST_F(SoundInputChooserTest, TheSoundOfThisComputerStepsTheShowAndIsTakenAgainWhenItComesBack) {
  QComboBox* inputs = page->inputChooser->inputBox;
  const QString label = MonitorLabel(QStringLiteral("Щелчки"));
  EXPECT_EQ(label, QStringLiteral("Звук этого компьютера: Щелчки"));
  QTRY_VERIFY_WITH_TIMEOUT(inputs->findText(label) >= 0, 5000);
  EXPECT_EQ(inputs->itemText(0), QStringLiteral("Вход по умолчанию"));
  EXPECT_EQ(inputs->currentIndex(), 0);
  const int monitor = inputs->findText(label);
  EXPECT_EQ(inputs->itemData(monitor).toString(), QStringLiteral("kalvo_clicks.monitor"));

  // The operator chooses the sound of this computer, the audio input as the level source,
  // ticks "Audio" and plays.
  inputs->setCurrentIndex(monitor);
  page->levelSourceBox->setCurrentIndex(static_cast<int>(LevelSource::kAudioInput));
  ASSERT_EQ(page->Source(), LevelSource::kAudioInput);
  EXPECT_EQ(Status(), QStringLiteral(" Уровень звука: Звук этого компьютера: Щелчки "));
  auto* sequencer = form->findChild<SequencerPanel*>(QStringLiteral("GroupBoxPlay"));
  QTest::mouseClick(sequencer->soundPacedBox, Qt::LeftButton);
  ASSERT_TRUE(sequencer->soundPacedBox->isChecked());
  Runner().Play();

  WireSteps wire(pty);
  wire.Watch(1000);  // the start-up beat passes; silence steps nothing
  double since = wire.Now();
  EXPECT_TRUE(wire.StepsSince(since - 500).empty());
  ASSERT_TRUE(pulse.Play(QStringLiteral("kalvo_clicks"), pulse.WriteClicks(6, kClickPeriodMs)));
  wire.Watch(4000);
  EXPECT_TRUE(SteppedOnClicks(wire.StepsSince(since), 6, kClickPeriodMs));
  pulse.WaitPlayed();

  // The output goes: said once, the choice stays on the page, the show plays on.
  ASSERT_TRUE(pulse.RemoveModule(module));
  wire.Watch(1500);
  EXPECT_EQ(Said(QStringLiteral(" Аудиовход пропал: Звук этого компьютера: Щелчки")), 1)
      << messages.join('|').toStdString();
  EXPECT_EQ(inputs->currentText(), QStringLiteral("Нет на месте: kalvo_clicks.monitor"));
  EXPECT_EQ(page->Source(), LevelSource::kAudioInput);
  EXPECT_TRUE(Show().playing.load());

  // It comes back under the same name: said once, and the clicks step the show again.
  module = pulse.AddSink(QStringLiteral("kalvo_clicks"), QStringLiteral("Щелчки"));
  ASSERT_GE(module, 0);
  wire.Watch(1500);
  EXPECT_EQ(Said(QStringLiteral(" Аудиовход снова слышен: Звук этого компьютера: Щелчки")), 1)
      << messages.join('|').toStdString();
  EXPECT_EQ(inputs->currentText(), label);
  since = wire.Now();
  ASSERT_TRUE(pulse.Play(QStringLiteral("kalvo_clicks"), pulse.WriteClicks(6, kClickPeriodMs)));
  wire.Watch(4000);
  EXPECT_TRUE(SteppedOnClicks(wire.StepsSince(since), 6, kClickPeriodMs));
  pulse.WaitPlayed();
  EXPECT_EQ(Said(QStringLiteral(" Аудиовход пропал")), 1);
  EXPECT_EQ(wire.Malformed(), 0);

  // The choice is kept by name.
  Stop();
  EXPECT_EQ(
      ReadSettings(dir.filePath(QStringLiteral("config/Kalvo.ini")).toStdString()).sound.input,
      "kalvo_clicks.monitor");
}

}  // namespace
}  // namespace kalvetro::testing
