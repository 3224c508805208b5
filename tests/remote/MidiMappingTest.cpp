// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI desks without a port: messages parsed and the ones the console does not use refused,
// mapping lines read and written, soft takeover of faders, buttons and what the desk shows.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "remote/MidiMapping.h"

namespace kalvetro {
namespace {

std::optional<MidiEvent> Parse(std::initializer_list<unsigned char> bytes) {
  const std::vector<unsigned char> v(bytes);
  return ParseMidi(v.data(), v.size());
}

TEST(MidiMapping, ParsesNotesAndControlChangesOnAnyChannelAndIgnoresTheRest) {
  auto on = Parse({0x93, 60, 100});
  ASSERT_TRUE(on);
  EXPECT_EQ(on->control, (MidiControl{4, MidiKind::Note, 60}));
  EXPECT_EQ(on->value, 100);
  auto zeroVelocity = Parse({0x90, 60, 0});
  ASSERT_TRUE(zeroVelocity);
  EXPECT_EQ(zeroVelocity->value, 0);
  auto off = Parse({0x8F, 1, 64});
  ASSERT_TRUE(off);
  EXPECT_EQ(off->control, (MidiControl{16, MidiKind::Note, 1}));
  EXPECT_EQ(off->value, 0);
  auto cc = Parse({0xB0, 7, 127});
  ASSERT_TRUE(cc);
  EXPECT_EQ(cc->control, (MidiControl{1, MidiKind::Control, 7}));
  EXPECT_EQ(cc->value, 127);

  EXPECT_FALSE(Parse({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));  // SysEx
  EXPECT_FALSE(Parse({0xF8}));                                // clock
  EXPECT_FALSE(Parse({0xFE}));                                // active sensing
  EXPECT_FALSE(Parse({60, 100}));                             // running status fragment
  EXPECT_FALSE(Parse({0x90, 60}));                            // cut short
  EXPECT_FALSE(Parse({0x90, 0x80, 1}));                       // a status byte as data
  EXPECT_FALSE(Parse({0xE0, 0, 64}));                         // pitch bend
  EXPECT_FALSE(Parse({0xC0, 5}));                             // program change
  EXPECT_FALSE(ParseMidi(nullptr, 3));

  for (int slot = 0; slot < kMidiControlSlots; slot += 37)
    EXPECT_EQ(MidiControlSlot(MidiControlOfSlot(slot)), slot);
  EXPECT_EQ(MidiControlSlot({16, MidiKind::Note, 127}), kMidiControlSlots - 1);
}

TEST(MidiMapping, LinesRoundTripAndBadOnesAreRefused) {
  for (const char* line :
       {"cc 1 7 channel 12", "note 10 36 next", "note 1 0 previous", "cc 16 127 tempo",
        "note 2 5 play", "note 2 6 blackout", "note 3 1 flash 16", "note 3 2 latch 1",
        "note 3 3 automat 2", "note 3 4 conveyor 20"}) {
    const auto m = ParseMidiMapping(line);
    ASSERT_TRUE(m) << line;
    EXPECT_EQ(FormatMidiMapping(*m), line);
  }
  const auto spaced = ParseMidiMapping("  cc\t2   9  channel   255 ");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->target, (MidiTarget{MidiTargetKind::ChannelLevel, 255}));
  for (const char* line :
       {"", "cc 0 7 channel 1", "cc 17 7 channel 1", "cc 1 128 channel 1", "cc 1 7 channel 0",
        "cc 1 7 channel 256", "cc 1 7 channel", "cc 1 7 next 3", "pb 1 7 next", "cc 1 7 jump",
        "note 1 1 flash 17", "note 1 1 automat 3", "note 1 1 conveyor 21", "cc 1 x next",
        "cc 1 7 channel 1 2", "cc 1 -1 next", "cc 1 7 channel 1x"})
    EXPECT_FALSE(ParseMidiMapping(line)) << line;
}

// A console as the mapper sees it: a state and scene levels it keeps.
struct FakeConsole {
  RemoteState state;
  std::map<int, int> levels;
  MidiConsoleView View() {
    return {state, [this](int channel) { return levels[channel]; }};
  }
  // Runs a command as the console would (the parts the tests need).
  void Apply(const std::optional<MidiAction>& action) {
    if (!action || !action->command) return;
    const RemoteCommand& c = *action->command;
    if (c.kind == RemoteCommandKind::Channel) levels[c.a] = c.b;
    if (c.kind == RemoteCommandKind::Tempo) state.tempo = c.a;
  }
};

TEST(MidiMapping, AFaderActsOnlyAfterMeetingOrPassingTheConsolesValue) {
  MidiMapper mapper;
  mapper.SetMappings({*ParseMidiMapping("cc 1 7 channel 5"), *ParseMidiMapping("cc 1 8 tempo")});
  FakeConsole console;
  console.levels[5] = 128;  // the desk's 64
  console.state.tempo = 90;
  auto move = [&](int number, int value) {
    auto action = mapper.Handle({{1, MidiKind::Control, number}, value}, console.View());
    console.Apply(action);
    return action;
  };
  // Below the console's level and moving up towards it: nothing.
  EXPECT_FALSE(move(7, 10));
  EXPECT_FALSE(move(7, 40));
  EXPECT_EQ(console.levels[5], 128);
  // Passing it takes over, from then on every move counts.
  auto passed = move(7, 70);
  ASSERT_TRUE(passed && passed->command);
  EXPECT_EQ(passed->command->kind, RemoteCommandKind::Channel);
  EXPECT_EQ(passed->command->a, 5);
  EXPECT_EQ(console.levels[5], MidiToLevel(70));
  move(7, 0);
  EXPECT_EQ(console.levels[5], 0);
  move(7, 127);
  EXPECT_EQ(console.levels[5], 255);
  // Someone else sets the level: the fader has to catch it again, from above this time.
  console.levels[5] = 50;
  EXPECT_FALSE(move(7, 120));
  EXPECT_EQ(console.levels[5], 50);
  move(7, 20);  // passes 50 going down
  EXPECT_EQ(console.levels[5], MidiToLevel(20));

  // Meeting the value exactly takes over as well (tempo).
  EXPECT_FALSE(move(8, 0));
  EXPECT_EQ(console.state.tempo, 90);
  EXPECT_FALSE(move(8, TempoToMidi(90)));  // met: caught, but no change to send
  move(8, 127);
  EXPECT_EQ(console.state.tempo, 170);
  move(8, 0);
  EXPECT_EQ(console.state.tempo, 10);

  // A burst that swept past the console's value in one go takes over too.
  mapper.ResetTakeover();
  console.levels[5] = 128;
  EXPECT_FALSE(mapper.Handle({{1, MidiKind::Control, 7}, 110, 100, 120}, console.View()));
  console.Apply(mapper.Handle({{1, MidiKind::Control, 7}, 110, 20, 120}, console.View()));
  EXPECT_EQ(console.levels[5], MidiToLevel(110));

  // A new connection forgets what was caught.
  mapper.ResetTakeover();
  EXPECT_FALSE(move(8, 100));
  EXPECT_EQ(console.state.tempo, 10);

  // The scales reach both ends and come back to the same desk position.
  EXPECT_EQ(MidiToLevel(0), 0);
  EXPECT_EQ(MidiToLevel(127), 255);
  EXPECT_EQ(MidiToTempo(0), 10);
  EXPECT_EQ(MidiToTempo(127), 170);
  for (int v = 0; v <= 127; ++v) {
    EXPECT_EQ(LevelToMidi(MidiToLevel(v)), v);
    EXPECT_EQ(TempoToMidi(MidiToTempo(v)), v);
  }
}

TEST(MidiMapping, ButtonsToggleOnPressAndTheDeskShowsTheirState) {
  MidiMapper mapper;
  std::vector<MidiMapping> maps;
  for (const char* line : {"note 1 1 play", "note 1 2 next", "note 1 3 previous",
                           "note 1 4 blackout", "note 1 5 flash 3", "note 1 6 latch 4",
                           "note 1 7 automat 2", "note 1 8 conveyor 7", "cc 2 1 channel 9"})
    maps.push_back(*ParseMidiMapping(line));
  mapper.SetMappings(maps);
  FakeConsole console;
  auto press = [&](int note, int velocity = 127) {
    return mapper.Handle({{1, MidiKind::Note, note}, velocity}, console.View());
  };
  auto kindOf = [](const std::optional<MidiAction>& a) {
    return a && a->command ? static_cast<int>(a->command->kind) : -1;
  };

  EXPECT_EQ(press(1)->command->a, 1);  // stopped: play
  console.state.playing = true;
  EXPECT_EQ(press(1)->command->a, 0);  // playing: stop
  EXPECT_FALSE(press(1, 0));           // a release does nothing
  EXPECT_EQ(kindOf(press(2)), static_cast<int>(RemoteCommandKind::Next));
  EXPECT_EQ(kindOf(press(3)), static_cast<int>(RemoteCommandKind::Previous));
  EXPECT_EQ(press(4)->command->a, 1);
  console.state.blackOut = true;
  EXPECT_EQ(press(4)->command->a, 0);
  // Flash: on while held, off on release.
  auto flash = press(5);
  EXPECT_EQ(kindOf(flash), static_cast<int>(RemoteCommandKind::Picture));
  EXPECT_EQ(flash->command->a, 3);
  EXPECT_EQ(flash->command->b, 1);
  EXPECT_EQ(press(5, 0)->command->b, 0);
  EXPECT_EQ(press(6)->command->b, 1);
  console.state.latched[3] = true;
  EXPECT_EQ(press(6)->command->b, 0);
  EXPECT_EQ(press(7)->command->a, 2);
  EXPECT_EQ(press(7)->command->b, 1);
  auto slot = press(8);
  EXPECT_EQ(kindOf(slot), static_cast<int>(RemoteCommandKind::ConveyorSlot));
  EXPECT_EQ(slot->command->a, 7);
  EXPECT_FALSE(press(8, 0));                                                   // let go: nothing
  EXPECT_FALSE(press(99));                                                     // unmapped
  EXPECT_FALSE(mapper.Handle({{2, MidiKind::Note, 1}, 127}, console.View()));  // other channel

  console.state.pictures[2] = true;
  console.state.automats[1] = true;
  console.levels[9] = 255;
  const std::vector<MidiEvent> shown = mapper.Feedback(console.View());
  ASSERT_EQ(shown.size(), maps.size());
  const std::array<int, 9> expected = {127, 0, 0, 127, 127, 127, 127, 0, 127};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].control, maps[i].control);
    EXPECT_EQ(shown[i].value, expected[i]) << FormatMidiMapping(maps[i]);
  }
}

}  // namespace
}  // namespace kalvetro
