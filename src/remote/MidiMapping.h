// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// MIDI desks without MIDI: the messages a desk sends, what each of its controls is mapped to,
// soft takeover of its faders, and what the desk shows back. Pure functions and small models,
// so that they are tested (and fuzzed) without a port.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "door/RemoteDoor.h"

namespace kalvetro {

enum class MidiKind { Note, Control };

// A control of a desk: channel 1..16, a note or a control change, number 0..127.
struct MidiControl {
  int channel = 1;
  MidiKind kind = MidiKind::Control;
  int number = 0;
  bool operator==(const MidiControl&) const = default;
};

inline constexpr int kMidiControlSlots = 16 * 2 * 128;
// 0..kMidiControlSlots-1, one per control.
int MidiControlSlot(const MidiControl& control);
MidiControl MidiControlOfSlot(int slot);

// A parsed message: a control and its value 0..127 (a note-off or a note-on of velocity 0 is 0).
struct MidiEvent {
  MidiControl control;
  int value = 0;
  // The lowest and highest value of a burst that came in together and ends at value (-1: the
  // value alone), so that a fader swept past the console's value in one burst still takes over.
  int low = -1;
  int high = -1;
};

// Parses one whole message as RtMidi hands it over. Nothing for SysEx, clock and the other
// realtime and system messages, fragments, bad data bytes and kinds the console does not use.
std::optional<MidiEvent> ParseMidi(const unsigned char* data, std::size_t size);

// What a desk control drives.
enum class MidiTargetKind {
  ChannelLevel,  // n = channel 1..255: its level in the current scene (a strip fader)
  Tempo,         // a fader over 10..170
  Play,          // press: play or stop
  Next,
  Previous,
  BlackOut,      // press: on or off
  Flash,         // n = picture 1..16, on while held
  Latch,         // n = picture, press: latched or let go
  Automat,       // n = automat 1..2, press: runs with the show or not
  ConveyorSlot,  // n = slot 1..20: press: as a click on the slot's button
};

struct MidiTarget {
  MidiTargetKind kind = MidiTargetKind::Next;
  int n = 0;
  bool operator==(const MidiTarget&) const = default;
};

struct MidiMapping {
  MidiControl control;
  MidiTarget target;
  bool operator==(const MidiMapping&) const = default;
};

// One mapping as a line of the settings: "<cc|note> <channel> <number> <target> [n]", the
// target one of channel N, tempo, play, next, previous, blackout, flash N, latch N,
// automat N, conveyor N; e.g. "cc 1 7 channel 12" or "note 10 36 next".
std::string FormatMidiMapping(const MidiMapping& mapping);
// Nothing for a line that is not one (bad word, number out of range, extra words).
std::optional<MidiMapping> ParseMidiMapping(std::string_view line);
// The target alone, in the same words ("channel 12"), and the control's name.
std::string FormatMidiTarget(const MidiTarget& target);
std::optional<MidiTarget> ParseMidiTarget(std::string_view words);
std::string FormatMidiControl(const MidiControl& control);

// What a press or a fader asks for: a command through the remote door.
struct MidiAction {
  std::optional<RemoteCommand> command;
};

// The console's side as the mapping sees it: the remote state and the level of a channel in
// the current scene.
struct MidiConsoleView {
  RemoteState state;
  std::function<int(int channel)> sceneLevel;
};

// The mappings of a desk and the soft takeover of its faders. A fader acts only once it has
// met or passed the value the console holds, so a fader left elsewhere never makes a jump;
// when the console's value is changed by someone else the fader has to catch it again.
class MidiMapper {
 public:
  void SetMappings(std::vector<MidiMapping> mappings);
  const std::vector<MidiMapping>& Mappings() const { return mappings_; }
  // The mapping of a control, if any.
  const MidiMapping* Find(const MidiControl& control) const;

  // What the event asks of the console; nothing for an unmapped control, a release of a
  // button, or a fader not caught yet.
  std::optional<MidiAction> Handle(const MidiEvent& event, const MidiConsoleView& view);

  // The value each mapped control shows: 127/0 for buttons (playing, blackout, picture on,
  // latched, automat with the show; 0 for next, previous, conveyor), the console's value on
  // 0..127 for faders.
  std::vector<MidiEvent> Feedback(const MidiConsoleView& view) const;

  // Forgets what the faders had caught (after a desk was connected again).
  void ResetTakeover();

 private:
  struct Takeover {
    bool caught = false;
    int lastDesk = -1;  // 0..127
    int lastSet = -1;   // the console value the fader set last
  };
  std::vector<MidiMapping> mappings_;
  std::vector<Takeover> takeover_;  // one per mapping
};

// A fader's 0..127 as a level 0..255 or tempo 10..170, and back.
int MidiToLevel(int value);
int LevelToMidi(int level);
int MidiToTempo(int value);
int TempoToMidi(int tempo);

}  // namespace kalvetro
