// SPDX-License-Identifier: GPL-3.0-or-later
// The group "MIDI" on "Опции" of the real main window with a desk on a JACK server of the
// test's own and the DMX port on a pty: the operator turns the desk on, teaches it faders and
// buttons with "Обучение" and a click on the target in the window, the fader and GO drive the
// show on the wire, a mapping removed does nothing any more, and what was set is in the
// settings file after the window closed.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "app/Console.h"
#include "app/ShowRunner.h"
#include "remote/MidiRemote.h"
#include "remote/MidiTestSupport.h"
#include "remote/Remotes.h"
#include "remote/WebTestSupport.h"
#include "remote/ui/MidiPanel.h"
#include "show/Settings.h"
#include "support/TestConsole.h"

namespace kalvetro {
namespace {

using testing::Desk;
using testing::JackServer;
using testing::kControl;
using testing::kNoteOn;
using testing::Pty;
using testing::WaitFor;
using testing::Wire;

TEST(MidiPanel, TheOperatorTeachesTheDeskByClickingTargetsAndRemovesAMapping) {
  JackServer jack;
  ASSERT_TRUE(jack.Started()) << jack.Output().toStdString();
  Desk desk;
  Pty pty;
  testing::TestConsole test;
  MainWindow& window = test.Start({.withTick = true,
                                   .showFile = testing::WriteWebTestShow(test.dir),
                                   .port = QString::fromStdString(pty.Path())});
  Console& console = window.GetConsole();
  console.Runner().SetCrossfadeMode(kCrossfadeOff);
  MidiRemote& midi = window.Remote().Midi();
  Wire wire(pty);
  auto channelOnWire = [&](int level) {
    return wire.WaitFor([=](const DmxFrame& f) { return f.levels[0] == level; });
  };
  ASSERT_TRUE(channelOnWire(testing::kWebSceneLevels[0]));

  // On with JACK and the desk's ports by name.
  auto* panel = window.findChild<MidiPanel*>(QStringLiteral("GroupBoxMidi"));
  ASSERT_TRUE(panel);
  panel->apiBox->setCurrentIndex(1);
  emit panel->apiBox->activated(1);
  panel->inBox->setEditText(QStringLiteral("Desk:controls"));
  emit panel->inBox->lineEdit()->editingFinished();
  panel->outBox->setEditText(QStringLiteral("DeskLights:lights"));
  emit panel->outBox->lineEdit()->editingFinished();
  panel->midiBox->click();
  ASSERT_TRUE(WaitFor([&] { return midi.Connected(); }, 3000)) << midi.LastError().toStdString();
  EXPECT_TRUE(panel->inBox->findText(QStringLiteral("Desk:controls")) >= 0);
  EXPECT_TRUE(panel->learnButton->isEnabled());
  // The desk's controls reach the console once JACK has made the connection.
  ASSERT_TRUE(WaitFor([&] { return jack.Linked(QStringLiteral("Desk:controls")); }, 5000))
      << "the desk's port was never connected" << jack.Late();

  // Teaching: learn, move the desk's control, click in the window what it drives. The click
  // is taken by the learning and does not move the control clicked.
  auto learn = [&](std::initializer_list<unsigned char> message) {
    panel->learnButton->click();
    desk.Send(message);
    EXPECT_TRUE(WaitFor([&] { return !panel->learnButton->isChecked(); }, 5000))
        << "learning did not end" << jack.Late();
  };
  auto* fader1 = window.findChild<QScrollBar*>(QStringLiteral("ScrollBar1"));
  auto* fader2 = window.findChild<QScrollBar*>(QStringLiteral("ScrollBar2"));
  auto* sceneSlider = window.findChild<QScrollBar*>(QStringLiteral("ScrollBarStep"));
  auto* picture3 = window.findChild<QCheckBox*>(QStringLiteral("CheckBoxChs3"));
  auto* strips = window.findChild<QScrollBar*>(QStringLiteral("ScrolbarVertPos"));
  ASSERT_TRUE(fader1 && fader2 && sceneSlider && picture3 && strips);
  const int faderBefore = fader1->value();
  learn({kControl, 7, 90});
  // (Double-clicked: the rest of the click does not reach the fader either.)
  QTest::mouseDClick(fader1, Qt::LeftButton, {}, QPoint(fader1->width() - 4, fader1->height() / 2));
  EXPECT_EQ(fader1->value(), faderBefore);
  // The forward end of the scene slider is the next scene; Ctrl on a picture latches it.
  learn({kNoteOn, 60, 127});
  QTest::mouseClick(sceneSlider, Qt::LeftButton, {}, QPoint(sceneSlider->width() - 4, 5));
  learn({kNoteOn, 62, 127});
  QTest::mouseClick(picture3, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(picture3->isChecked());
  // Esc gives up: the next click acts as always.
  learn({kNoteOn, 61, 127});
  QTest::keyClick(&window, Qt::Key_Escape);
  // A strip fader drives the channel it shows now, after the strips scrolled.
  learn({kControl, 8, 5});
  strips->setValue(10);
  QTest::mouseClick(fader2, Qt::LeftButton);
  // Or chosen in the list.
  learn({kNoteOn, 63, 127});
  panel->targetBox->setCurrentIndex(5);
  panel->addButton->click();
  strips->setValue(0);
  EXPECT_EQ(console.Files().RemoteSetup().midi.mappings,
            (std::vector<std::string>{"cc 1 7 channel 1", "note 1 60 next", "note 1 62 latch 3",
                                      "cc 1 8 channel 12", "note 1 63 blackout"}));
  EXPECT_EQ(panel->mappingList->count(), 5);
  EXPECT_TRUE(panel->lastLabel->text().contains(QStringLiteral("note 1 63")));

  // The fader takes over once it passes the console's level, then drives channel 1.
  long taken = midi.Received();
  auto move = [&](std::initializer_list<unsigned char> message) {
    desk.Send(message);
    ++taken;
    return WaitFor([&] { return midi.Received() >= taken; }, 2000);
  };
  ASSERT_TRUE(move({kControl, 7, 0}));
  ASSERT_TRUE(move({kControl, 7, 100}));
  EXPECT_TRUE(channelOnWire(MidiToLevel(100)));
  // GO steps to scene 2.
  desk.Send({kNoteOn, 60, 127});
  EXPECT_TRUE(channelOnWire(testing::kWebSceneLevels[1]));
  EXPECT_TRUE(WaitFor([&] { return desk.Shown(kControl, 7) == LevelToMidi(20); }, 2000));

  if (qEnvironmentVariableIsSet("KALVETRO_SCREENSHOT_DIR")) {
    ASSERT_TRUE(test.ShowAtLaptopSize());
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControlInput"));
    auto* options = window.findChild<QWidget*>(QStringLiteral("TabSheet1"));
    pages->setCurrentWidget(options);
    testing::Pump(200);
    options->grab().save(qEnvironmentVariable("KALVETRO_SCREENSHOT_DIR") + "/midi-options.png");
  }

  // The fader's mapping removed: moving it changes nothing any more.
  panel->mappingList->setCurrentRow(0);
  panel->removeButton->click();
  const std::vector<std::string> left{"note 1 60 next", "note 1 62 latch 3", "cc 1 8 channel 12",
                                      "note 1 63 blackout"};
  EXPECT_EQ(console.Files().RemoteSetup().midi.mappings, left);
  taken = midi.Received();
  ASSERT_TRUE(move({kControl, 7, 0}));
  ASSERT_TRUE(move({kControl, 7, 127}));
  testing::Pump(200);
  EXPECT_EQ(wire.Level(1), testing::kWebSceneLevels[1]);

  // Kept in the settings file when the window closes.
  const QString settingsFile = test.dir.filePath(QStringLiteral("config/Kalvo.ini"));
  test.Stop();
  const MidiSettings kept = ReadSettings(settingsFile.toStdString()).remote.midi;
  EXPECT_TRUE(kept.on);
  EXPECT_EQ(kept.api, "jack");
  EXPECT_EQ(kept.inPort, "Desk:controls");
  EXPECT_EQ(kept.outPort, "DeskLights:lights");
  EXPECT_EQ(kept.mappings, left);
}

}  // namespace
}  // namespace kalvetro
