// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI desk's parsers and mapper (preset "fuzz": clang with libFuzzer, AddressSanitizer and
// UBSan). The input is mapping lines up to the first zero byte, then a stream of messages, each
// a length byte and its bytes. Every line that parses must print back to itself and hold
// numbers in range; every message must parse without a crash; what the mapper asks of the
// console must come from a mapped control and hold numbers the console accepts; and what the
// desk is shown must be one 0..127 value per mapping. The commands are applied to a small model
// of the console, so that soft takeover runs on values that change.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "remote/MidiMapping.h"

namespace {

using kalvetro::MidiTargetKind;
using kalvetro::RemoteCommandKind;

bool In(int v, int low, int high) {
  return v >= low && v <= high;
}

void Fail(const char* what) {
  std::fprintf(stderr, "midi_fuzzer: %s\n", what);
  std::abort();
}

bool TargetInRange(const kalvetro::MidiTarget& t) {
  switch (t.kind) {
    case MidiTargetKind::ChannelLevel:
      return In(t.n, 1, 255);
    case MidiTargetKind::Flash:
    case MidiTargetKind::Latch:
      return In(t.n, 1, 16);
    case MidiTargetKind::Automat:
      return In(t.n, 1, 2);
    case MidiTargetKind::ConveyorSlot:
      return In(t.n, 1, 20);
    default:
      return t.n == 0;
  }
}

// The console as the mapper sees it, changed by the commands as the console would.
struct Model {
  kalvetro::RemoteState state;
  std::array<int, 256> levels{};

  void Apply(const kalvetro::RemoteCommand& c) {
    const int a = c.a;
    const int b = c.b;
    switch (c.kind) {
      case RemoteCommandKind::Play:
        if (!In(a, 0, 1)) Fail("play out of range");
        state.playing = a == 1;
        break;
      case RemoteCommandKind::Next:
      case RemoteCommandKind::Previous:
        break;
      case RemoteCommandKind::Scene:
        Fail("a desk never asks for a scene by number");
        break;
      case RemoteCommandKind::Tempo:
        if (!In(a, 10, 170)) Fail("tempo out of range");
        state.tempo = a;
        break;
      case RemoteCommandKind::BlackOut:
        if (!In(a, 0, 1)) Fail("blackout out of range");
        state.blackOut = a == 1;
        break;
      case RemoteCommandKind::Picture:
      case RemoteCommandKind::Latch:
        if (!In(a, 1, 16) || !In(b, 0, 1)) Fail("picture out of range");
        state.pictures[static_cast<std::size_t>(a - 1)] = b == 1;
        if (c.kind == RemoteCommandKind::Latch)
          state.latched[static_cast<std::size_t>(a - 1)] = b == 1;
        break;
      case RemoteCommandKind::Channel:
        if (!In(a, 1, 255) || !In(b, 0, 255)) Fail("channel level out of range");
        levels[static_cast<std::size_t>(a)] = b;
        break;
      case RemoteCommandKind::Automat:
        if (!In(a, 1, 2) || !In(b, 0, 1)) Fail("automat out of range");
        state.automats[static_cast<std::size_t>(a - 1)] = b == 1;
        break;
      case RemoteCommandKind::ConveyorSlot:
        if (!In(a, 1, 20)) Fail("conveyor slot out of range");
        break;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t textEnd = 0;
  while (textEnd < size && data[textEnd] != 0) ++textEnd;
  const std::string_view text(reinterpret_cast<const char*>(data), textEnd);

  std::vector<kalvetro::MidiMapping> mappings;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    const auto m = kalvetro::ParseMidiMapping(text.substr(from, end - from));
    if (m) {
      if (!In(m->control.channel, 1, 16) || !In(m->control.number, 0, 127))
        Fail("control out of range");
      if (!TargetInRange(m->target)) Fail("target out of range");
      if (kalvetro::ParseMidiMapping(kalvetro::FormatMidiMapping(*m)) != m)
        Fail("a line does not print back to itself");
      mappings.push_back(*m);
    }
    from = end + 1;
  }
  kalvetro::MidiMapper mapper;
  mapper.SetMappings(mappings);

  Model model;
  model.state.tempo = 44;
  for (int c = 1; c <= 255; ++c) model.levels[static_cast<std::size_t>(c)] = (c * 37) % 256;
  std::size_t at = textEnd + 1;
  while (at < size) {
    const std::size_t length = std::min<std::size_t>(data[at] % 8, size - at - 1);
    const std::uint8_t* message = data + at + 1;
    at += 1 + length;
    const auto event = kalvetro::ParseMidi(message, length);
    if (!event) continue;
    if (!In(event->control.channel, 1, 16) || !In(event->control.number, 0, 127) ||
        !In(event->value, 0, 127))
      Fail("a message out of range");
    const kalvetro::MidiConsoleView now{model.state, [&model](int channel) {
                                          if (!In(channel, 1, 255))
                                            Fail("a level asked of no channel");
                                          return model.levels[static_cast<std::size_t>(channel)];
                                        }};
    const auto action = mapper.Handle(*event, now);
    if (!action) continue;
    if (!mapper.Find(event->control)) Fail("an unmapped control acted");
    if (action->command) model.Apply(*action->command);
    const auto shown = mapper.Feedback(now);
    if (shown.size() != mappings.size()) Fail("not one value per mapping");
    for (const kalvetro::MidiEvent& e : shown)
      if (!In(e.value, 0, 127)) Fail("a value shown out of range");
  }
  return 0;
}
