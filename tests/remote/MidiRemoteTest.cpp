// SPDX-License-Identifier: GPL-3.0-or-later
// A MIDI desk over the real transport: a JACK server of its own with the dummy driver, a desk
// made of two RtMidi objects with virtual ports, and the console on a pseudo-terminal. Faders
// with soft takeover, GO, blackout shown back on the desk, a flood of unmapped messages, the
// desk unplugged and plugged in again, a conveyor slot, and a SysEx that never ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "app/Console.h"
#include "app/RemoteControl.h"
#include "app/ShowFiles.h"
#include "app/ShowRunner.h"
#include "effects/Conveyor.h"
#include "output/DmxLink.h"
#include "remote/MidiRemote.h"
#include "remote/MidiTestSupport.h"
#include "remote/Remotes.h"
#include "remote/WebTestSupport.h"
#include "show/Settings.h"
#include "support/ConsoleOptionsIn.h"
#include "support/ConsoleProcess.h"
#include "support/TestShow.h"

namespace kalvetro {
namespace {

using testing::Desk;
using testing::JackServer;
using testing::kControl;
using testing::kNoteOn;
using testing::OptionsIn;
using testing::Pty;
using testing::WaitFor;
using testing::Wire;

// The phone remote's test show (channel 1 at 10, 20, 30 in scenes 1..3) on a pty, its desk
// mapped: fader cc 7 to channel 1, note 60 GO, note 61 blackout.
struct MidiConsole {
  explicit MidiConsole(Pty& pty) : console(OptionsIn(dir, QString::fromStdString(pty.Path()))) {
    console.ClearAll();
    EXPECT_TRUE(console.Files().OpenShow(testing::WriteWebTestShow(dir)).ok);
    console.Runner().SetCrossfadeMode(kCrossfadeOff);
    EXPECT_TRUE(console.Link().OpenAtStart().ok);
    console.StartOutput();
    QObject::connect(&console, &Console::StatusMessage,
                     [this](const QString& text) { status << text; });
    setup.on = true;
    setup.api = "jack";
    setup.inPort = "Desk:controls";
    setup.outPort = "DeskLights:lights";
    setup.mappings = {"cc 1 7 channel 1", "note 1 60 next", "note 1 61 blackout", "nonsense"};
  }
  QTemporaryDir dir;
  Console console;
  RemoteControl door{console};
  Remotes remotes{door};
  MidiRemote& midi = remotes.Midi();
  MidiSettings setup;
  QStringList status;
};

TEST(MidiRemote, ADeskDrivesTheShowWithSoftTakeoverAndSeesItsState) {
  JackServer jack;
  ASSERT_TRUE(jack.Started()) << jack.Output().toStdString();
  Desk desk;
  Pty pty;
  MidiConsole test(pty);
  MidiRemote& midi = test.midi;
  Wire wire(pty);
  ASSERT_TRUE(midi.Start(test.setup)) << midi.LastError().toStdString();
  EXPECT_EQ(midi.BadMappings(), 1);
  ASSERT_TRUE(WaitFor([&] { return midi.Connected(); }, 3000))
      << midi.InputPorts().join('|').toStdString() << " / "
      << midi.OutputPorts().join('|').toStdString() << " / " << midi.LastError().toStdString();
  // The whole state on connecting: the fader at channel 1's 10, GO and blackout dark.
  EXPECT_TRUE(desk.WaitShown(kControl, 7, LevelToMidi(10)));
  EXPECT_TRUE(desk.WaitShown(kNoteOn, 61, 0));
  EXPECT_EQ(desk.Shown(kNoteOn, 60), 0);

  // Every message the desk sends is taken (received or ignored) within the wait.
  long taken = 0;
  auto allTaken = [&](const std::string& what, int ms = 2000) -> ::testing::AssertionResult {
    if (WaitFor([&] { return midi.Received() + midi.Ignored() >= taken; }, ms))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << what << " not taken within " << ms << " ms: " << midi.Received() << " received + "
           << midi.Ignored() << " ignored of " << taken << " sent" << jack.Late();
  };
  auto send = [&](std::initializer_list<unsigned char> bytes) {
    desk.Send(bytes);
    ++taken;
    std::string what = "message";
    for (unsigned char b : bytes) what += ' ' + std::to_string(b);
    return allTaken(what);
  };
  auto channelOnWire = [&](int level) -> ::testing::AssertionResult {
    int seen = -1;
    if (wire.WaitFor([&](const DmxFrame& f) { return (seen = f.levels[0]) == level; }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "channel 1 on the wire is " << seen << ", not " << level;
  };
  ASSERT_TRUE(channelOnWire(10));

  // Soft takeover: the fader far above the console's level does nothing ...
  ASSERT_TRUE(send({kControl, 7, 100}));
  ASSERT_TRUE(send({kControl, 7, 90}));
  EXPECT_EQ(wire.Level(1), 10);
  // ... until it passes it going down; from then on it drives the channel.
  ASSERT_TRUE(send({kControl, 7, 0}));
  EXPECT_TRUE(channelOnWire(0));
  ASSERT_TRUE(send({kControl, 7, 127}));
  EXPECT_TRUE(channelOnWire(255));
  ASSERT_TRUE(send({kControl, 7, 64}));
  EXPECT_TRUE(channelOnWire(MidiToLevel(64)));

  // GO: the next scene on the wire; the fader shows that scene's level.
  // Pressed and let go at once (likely in one burst): the press is not lost.
  ++taken;
  desk.Send({kNoteOn, 60, 127});
  ASSERT_TRUE(send({kNoteOn, 60, 0}));
  EXPECT_TRUE(channelOnWire(testing::kWebSceneLevels[1]));
  EXPECT_EQ(test.console.Show().CurrentStep(), 1);
  EXPECT_TRUE(desk.WaitShown(kControl, 7, LevelToMidi(20)));

  // Blackout on and off from the desk: dark on the wire, its light on the desk.
  ASSERT_TRUE(send({kNoteOn, 61, 127}));
  EXPECT_TRUE(channelOnWire(0));
  EXPECT_TRUE(desk.WaitShown(kNoteOn, 61, 127));
  ASSERT_TRUE(send({kNoteOn, 61, 0}));  // release: still dark
  EXPECT_EQ(wire.Level(1), 0);
  ASSERT_TRUE(send({kNoteOn, 61, 127}));
  EXPECT_TRUE(channelOnWire(testing::kWebSceneLevels[1]));
  EXPECT_TRUE(desk.WaitShown(kNoteOn, 61, 0));
  // Blackout from the console is shown too.
  test.console.Runner().SetBlackOut(true);
  EXPECT_TRUE(desk.WaitShown(kNoteOn, 61, 127));
  test.console.Runner().SetBlackOut(false);
  EXPECT_TRUE(desk.WaitShown(kNoteOn, 61, 0));

  // Ten thousand random messages on controls not mapped, with fragments and kinds the
  // console does not use among them: all taken, none changes the show.
  const RemoteState before = test.remotes.Door().State();
  const long ignoredBefore = midi.Ignored();
  QRandomGenerator random(7);
  long ignoredSent = 0;
  for (int k = 0; k < 10000; ++k) {
    std::vector<unsigned char> message;
    switch (random.bounded(4)) {
      case 0:  // a note on another channel
        message = {static_cast<unsigned char>(0x91 + random.bounded(15)),
                   static_cast<unsigned char>(random.bounded(128)),
                   static_cast<unsigned char>(random.bounded(128))};
        break;
      case 1:  // a control change other than 7 on channel 1
        message = {kControl, static_cast<unsigned char>(8 + random.bounded(120)),
                   static_cast<unsigned char>(random.bounded(128))};
        break;
      case 2:  // a note of channel 1 that is not mapped
        message = {kNoteOn, static_cast<unsigned char>(random.bounded(60)),
                   static_cast<unsigned char>(random.bounded(128))};
        break;
      default:  // things the console ignores
        switch (random.bounded(4)) {
          case 0:
            message = {0xC0, 5};
            break;  // a program change: counted as ignored
          case 1:
            message = {kNoteOn, 64};
            break;  // a fragment: counted as ignored
          case 2:
            message = {0xF8};
            break;  // clock: RtMidi drops it
          default:
            message = {0xF0, 0x7D, 0x01, 0xF7};
            break;  // SysEx: RtMidi drops it
        }
        break;
    }
    desk.Send(message);
    if (message[0] < 0xF0) {
      ++taken;
      if (message.size() < 3) ++ignoredSent;
    }
    // JACK carries a bounded number of bytes per period: let it drain now and then.
    if (k % 200 == 199) {
      ASSERT_TRUE(allTaken("the messages up to " + std::to_string(k + 1)));
    }
  }
  ASSERT_TRUE(allTaken("the last messages", 5000));
  EXPECT_EQ(midi.Received() + midi.Ignored(), taken);
  EXPECT_EQ(midi.Ignored() - ignoredBefore, ignoredSent);
  testing::Pump(200);
  const RemoteState after = test.remotes.Door().State();
  EXPECT_EQ(after.scene, before.scene);
  EXPECT_EQ(after.blackOut, before.blackOut);
  EXPECT_EQ(after.playing, before.playing);
  EXPECT_EQ(after.tempo, before.tempo);
  EXPECT_EQ(after.pictures, before.pictures);
  EXPECT_EQ(wire.Level(1), testing::kWebSceneLevels[1]);
  EXPECT_EQ(midi.Refused(), 0);
}

TEST(MidiRemote, ADeskUnpluggedLeavesTheShowPlayingAndIsOpenedAgainWhenBack) {
  JackServer jack;
  ASSERT_TRUE(jack.Started()) << jack.Output().toStdString();
  auto desk = std::make_unique<Desk>();
  Pty pty;
  MidiConsole test(pty);
  MidiRemote& midi = test.midi;
  Wire wire(pty);
  ASSERT_TRUE(midi.Start(test.setup)) << midi.LastError().toStdString();
  ASSERT_TRUE(WaitFor([&] { return midi.Connected(); }, 3000));
  EXPECT_TRUE(WaitFor([&] { return desk->Shown(kNoteOn, 61) == 0; }, 2000));
  test.console.Runner().Play();
  ASSERT_TRUE(test.console.Show().playing.load());

  // Unplugged: within one look at the port list the console knows, says so once, and plays on.
  desk.reset();
  ASSERT_TRUE(WaitFor([&] { return !midi.Connected(); }, 3000));
  EXPECT_EQ(test.status.filter(QStringLiteral("отключён")).size(), 1)
      << test.status.join('|').toStdString();
  testing::Pump(500);
  EXPECT_TRUE(test.console.Show().playing.load());
  EXPECT_TRUE(wire.WaitFor([](const DmxFrame&) { return true; }));

  // Meanwhile blackout goes on at the console.
  test.console.Runner().SetBlackOut(true);

  // Back under the same name: opened again by itself within three seconds with the whole state.
  desk = std::make_unique<Desk>();
  ASSERT_TRUE(WaitFor([&] { return midi.Connected(); }, 3000));
  EXPECT_TRUE(WaitFor([&] { return desk->Shown(kNoteOn, 61) == 127; }, 2000));
  EXPECT_TRUE(WaitFor([&] { return desk->Shown(kNoteOn, 60) == 0; }, 2000));
  EXPECT_GE(desk->Shown(kControl, 7), 0);
  // And it drives the show again.
  desk->Send({kNoteOn, 61, 127});
  EXPECT_TRUE(WaitFor([&] { return !test.remotes.Door().State().blackOut; }, 2000));
  EXPECT_EQ(test.status.filter(QStringLiteral("отключён")).size(), 1);
}

// A conveyor slot on the desk acts as a click on the slot's button, through the remote door:
// slot 20 too, and with the keyboard switch of the conveyor off.
TEST(MidiRemote, AConveyorSlotOnTheDeskActsAsItsButton) {
  JackServer jack;
  ASSERT_TRUE(jack.Started()) << jack.Output().toStdString();
  Desk desk;
  Pty pty;
  MidiConsole test(pty);
  MidiRemote& midi = test.midi;
  Wire wire(pty);
  test.console.Files().SetConveyorFile(20, testing::TestShow(2, 50, false)
                                               .Levels(1, {99, 98, 97})
                                               .WriteTo(test.dir, QStringLiteral("slot20.klv")));
  test.console.SetConveyorKeys(false);
  test.setup.mappings = {"note 1 40 conveyor 20", "note 1 41 conveyor 3"};
  ASSERT_TRUE(midi.Start(test.setup)) << midi.LastError().toStdString();
  ASSERT_TRUE(WaitFor([&] { return midi.Connected(); }, 3000));
  const Conveyor& conveyor = test.console.Runner().ConveyorState();

  // By hand: slot 20 down and its show loaded.
  desk.Send({kNoteOn, 40, 127});
  EXPECT_TRUE(wire.WaitFor([](const DmxFrame& f) { return f.levels[0] == 99; }))
      << "channel 1 is " << wire.Level(1) << "; " << midi.Received() << " received" << jack.Late();
  EXPECT_TRUE(conveyor.Down(20));

  // Composing a list: each press turns slot 3 over, as a click on its button does.
  test.console.Runner().SetConveyorMode(ConveyorMode::kComposing);
  desk.Send({kNoteOn, 41, 127});
  EXPECT_TRUE(WaitFor([&] { return conveyor.Down(3); }, 2000)) << midi.Received() << jack.Late();
  desk.Send({kNoteOn, 41, 0});
  desk.Send({kNoteOn, 41, 127});
  EXPECT_TRUE(WaitFor([&] { return !conveyor.Down(3); }, 2000)) << midi.Received() << jack.Late();
  EXPECT_TRUE(conveyor.Down(20));
  EXPECT_EQ(midi.Refused(), 0);

  // Slots outside 1..20 are refused and change nothing.
  RemoteDoor& control = test.remotes.Door();
  EXPECT_EQ(control.Run({RemoteCommandKind::ConveyorSlot, 21}),
            QStringLiteral("Ячейка конвейера 21 вне 1..20"));
  EXPECT_FALSE(control.Run({RemoteCommandKind::ConveyorSlot, 0}).isEmpty());
  EXPECT_TRUE(conveyor.Down(20));
}

// The resident memory of this process, in KB.
long ResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

// A desk that starts a SysEx and never ends it: ten seconds of data bytes change nothing and
// cost no memory, and once it ends the SysEx its control changes drive the show again (RtMidi's
// JACK input hands nothing on until it sees the 0xF7).
TEST(MidiRemote, ASysExThatNeverEndsCostsNoMemory) {
  JackServer jack;
  ASSERT_TRUE(jack.Started()) << jack.Output().toStdString();
  Desk desk;
  Pty pty;
  MidiConsole test(pty);
  MidiRemote& midi = test.midi;
  ASSERT_TRUE(midi.Start(test.setup)) << midi.LastError().toStdString();
  ASSERT_TRUE(WaitFor([&] { return midi.Connected(); }, 3000));
  testing::Pump(300);
  const long before = ResidentKb();
  const long ignored = midi.Ignored();

  std::vector<unsigned char> chunk(4096, 0x55);
  chunk[0] = 0xF0;
  long sent = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    desk.Send(chunk);  // waits while JACK's buffer of the desk is full
    sent += static_cast<long>(chunk.size());
    chunk[0] = 0x55;
    QCoreApplication::processEvents();
  }
  testing::Pump(300);
  const long grown = ResidentKb() - before;
  EXPECT_GT(sent, 8L << 20) << "the desk sent only " << sent << " bytes";
  EXPECT_LT(grown, 4096) << "grew by " << grown << " KB while the desk sent " << sent << " bytes";
  EXPECT_EQ(midi.Received(), 0);
  EXPECT_EQ(midi.Ignored(), ignored);

  desk.Send({0x55, 0xF7});
  desk.Send({kControl, 7,
             static_cast<unsigned char>(LevelToMidi(10))});  // the fader meets the console's level
  desk.Send({kControl, 7, 127});
  EXPECT_TRUE(WaitFor([&] { return midi.Received() == 2; }, 2000))
      << midi.Received() << " received" << jack.Late();
  EXPECT_TRUE(WaitFor([&] { return test.console.Show().DataRead(0, 1) == 255; }, 2000));
}

#if !defined(__SANITIZE_THREAD__)
// (Not under ThreadSanitizer: starting the player forks a process that libjack's threads are
// running in, which ThreadSanitizer does not support.)
// The headless player with --midi: the back end and mappings of the window's settings, the
// desk found by a part of its name. A desk without lights drives the show all the same; lights
// that come later get the whole state.
TEST(MidiRemote, TheHeadlessPlayerTakesADeskByNameWithOrWithoutLights) {
  JackServer jack;
  ASSERT_TRUE(jack.Started()) << jack.Output().toStdString();
  Desk desk(false);
  Pty pty;
  QTemporaryDir dir;
  Settings settings;
  settings.remote.midi.api = "jack";
  settings.remote.midi.mappings = {"note 1 61 blackout"};
  const QString configHome = testing::WriteUserSettings(dir, settings);
  ASSERT_FALSE(configHome.isEmpty());
  QObject owner;
  QProcess& player = *testing::StartConsoleProcess(
      &owner,
      {QStringLiteral("--headless"), QStringLiteral("--port"), QString::fromStdString(pty.Path()),
       QStringLiteral("--crossfade"), QStringLiteral("off"), QStringLiteral("--midi"),
       QStringLiteral("Desk"), QStringLiteral("--seconds"), QStringLiteral("20"),
       testing::WriteWebTestShow(dir)},
      {.configHome = configHome});
  ASSERT_TRUE(player.waitForStarted(5000));
  ASSERT_TRUE(
      WaitFor([&] { return player.readAllStandardOutput().contains("MIDI-пульт: Desk"); }, 5000))
      << player.readAllStandardError().toStdString();
  Wire wire(pty);
  ASSERT_TRUE(wire.WaitFor([](const DmxFrame& f) { return f.levels[0] > 0; }));
  // Dark on the wire, while the show walks on under the blackout.
  desk.Send({kNoteOn, 61, 127});
  EXPECT_TRUE(wire.WaitFor([](const DmxFrame& f) { return f.levels[0] == 0; }));
  testing::Pump(300);
  EXPECT_EQ(wire.Level(1), 0);
  // The lights come: within a look at the port list they show blackout on.
  desk.AddLights();
  EXPECT_TRUE(WaitFor([&] { return desk.Shown(kNoteOn, 61) == 127; }, 3000));
  desk.Send({kNoteOn, 61, 127});
  EXPECT_TRUE(WaitFor([&] { return desk.Shown(kNoteOn, 61) == 0; }, 2000));
  EXPECT_TRUE(wire.WaitFor([](const DmxFrame& f) { return f.levels[0] > 0; }));
  player.terminate();
  ASSERT_TRUE(player.waitForFinished(5000));
}
#endif

}  // namespace
}  // namespace kalvetro
