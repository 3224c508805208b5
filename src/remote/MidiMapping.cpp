// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/MidiMapping.h"

#include <charconv>

#include "show/Settings.h"
#include "show/ShowMemory.h"

namespace kalvetro {

int MidiControlSlot(const MidiControl& c) {
  return ((c.channel - 1) * 2 + (c.kind == MidiKind::Note ? 1 : 0)) * 128 + c.number;
}

MidiControl MidiControlOfSlot(int slot) {
  const int pair = slot / 128;
  return {pair / 2 + 1, pair % 2 ? MidiKind::Note : MidiKind::Control, slot % 128};
}

std::optional<MidiEvent> ParseMidi(const unsigned char* data, std::size_t size) {
  // RtMidi hands whole messages over; one of three bytes is all the console listens to.
  if (!data || size != 3) return std::nullopt;
  const int status = data[0];
  if (status < 0x80 || data[1] > 0x7F || data[2] > 0x7F) return std::nullopt;
  const int kind = status & 0xF0;
  const int channel = (status & 0x0F) + 1;
  switch (kind) {
    case 0x80:
      return MidiEvent{{channel, MidiKind::Note, data[1]}, 0};
    case 0x90:
      return MidiEvent{{channel, MidiKind::Note, data[1]}, data[2]};
    case 0xB0:
      return MidiEvent{{channel, MidiKind::Control, data[1]}, data[2]};
    default:
      return std::nullopt;
  }
}

// ---------------------------------------------------------------- the settings line

namespace {

struct TargetWord {
  const char* word;
  MidiTargetKind kind;
  int low;  // the range of n; 0..0 takes no number
  int high;
};

constexpr TargetWord kTargetWords[] = {
    {"channel", MidiTargetKind::ChannelLevel, 1, kChannelCount},
    {"tempo", MidiTargetKind::Tempo, 0, 0},
    {"play", MidiTargetKind::Play, 0, 0},
    {"next", MidiTargetKind::Next, 0, 0},
    {"previous", MidiTargetKind::Previous, 0, 0},
    {"blackout", MidiTargetKind::BlackOut, 0, 0},
    {"flash", MidiTargetKind::Flash, 1, kPictureCount},
    {"latch", MidiTargetKind::Latch, 1, kPictureCount},
    {"automat", MidiTargetKind::Automat, 1, 2},
    {"conveyor", MidiTargetKind::ConveyorSlot, 1, kConveyorFiles},
};

const TargetWord& WordOf(MidiTargetKind kind) {
  for (const TargetWord& w : kTargetWords)
    if (w.kind == kind) return w;
  return kTargetWords[0];
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

bool Number(std::string_view word, int low, int high, int& value) {
  int v = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (error != std::errc() || end != word.data() + word.size() || v < low || v > high) return false;
  value = v;
  return true;
}

}  // namespace

std::string FormatMidiControl(const MidiControl& c) {
  return std::string(c.kind == MidiKind::Note ? "note " : "cc ") + std::to_string(c.channel) + ' ' +
         std::to_string(c.number);
}

std::string FormatMidiTarget(const MidiTarget& target) {
  const TargetWord& w = WordOf(target.kind);
  return w.high == 0 ? w.word : std::string(w.word) + ' ' + std::to_string(target.n);
}

std::string FormatMidiMapping(const MidiMapping& m) {
  return FormatMidiControl(m.control) + ' ' + FormatMidiTarget(m.target);
}

namespace {
// The target of the words from `first` on.
std::optional<MidiTarget> TargetOfWords(const std::vector<std::string_view>& words,
                                        std::size_t first) {
  if (words.size() <= first) return std::nullopt;
  const std::size_t count = words.size() - first;
  for (const TargetWord& w : kTargetWords) {
    if (words[first] != w.word) continue;
    MidiTarget target{w.kind, 0};
    if (w.high == 0) {
      if (count != 1) return std::nullopt;
    } else if (count != 2 || !Number(words[first + 1], w.low, w.high, target.n)) {
      return std::nullopt;
    }
    return target;
  }
  return std::nullopt;
}
}  // namespace

std::optional<MidiTarget> ParseMidiTarget(std::string_view words) {
  return TargetOfWords(Words(words), 0);
}

std::optional<MidiMapping> ParseMidiMapping(std::string_view line) {
  const std::vector<std::string_view> words = Words(line);
  if (words.size() < 4 || words.size() > 5) return std::nullopt;
  MidiMapping m;
  if (words[0] == "cc")
    m.control.kind = MidiKind::Control;
  else if (words[0] == "note")
    m.control.kind = MidiKind::Note;
  else
    return std::nullopt;
  if (!Number(words[1], 1, 16, m.control.channel) || !Number(words[2], 0, 127, m.control.number))
    return std::nullopt;
  const auto target = TargetOfWords(words, 3);
  if (!target) return std::nullopt;
  m.target = *target;
  return m;
}

// ---------------------------------------------------------------- scaling

int MidiToLevel(int value) {
  return (value * 255 + 63) / 127;
}
int LevelToMidi(int level) {
  return (level * 127 + 127) / 255;
}
int MidiToTempo(int value) {
  return 10 + (value * 160 + 63) / 127;
}
int TempoToMidi(int tempo) {
  return ((tempo - 10) * 127 + 80) / 160;
}

// ---------------------------------------------------------------- the mapper

void MidiMapper::SetMappings(std::vector<MidiMapping> mappings) {
  mappings_ = std::move(mappings);
  takeover_.assign(mappings_.size(), Takeover{});
}

const MidiMapping* MidiMapper::Find(const MidiControl& control) const {
  for (const MidiMapping& m : mappings_)
    if (m.control == control) return &m;
  return nullptr;
}

void MidiMapper::ResetTakeover() {
  takeover_.assign(mappings_.size(), Takeover{});
}

std::optional<MidiAction> MidiMapper::Handle(const MidiEvent& event, const MidiConsoleView& view) {
  const MidiMapping* m = Find(event.control);
  if (!m) return std::nullopt;
  const MidiTarget& t = m->target;
  const RemoteState& s = view.state;
  const bool pressed = event.value > 0;
  auto command = [](RemoteCommandKind kind, int a = 0, int b = 0) {
    return MidiAction{RemoteCommand{kind, a, b}};
  };
  switch (t.kind) {
    case MidiTargetKind::ChannelLevel:
    case MidiTargetKind::Tempo: {
      const bool isLevel = t.kind == MidiTargetKind::ChannelLevel;
      Takeover& take = takeover_[static_cast<std::size_t>(m - mappings_.data())];
      const int held = isLevel ? view.sceneLevel(t.n) : s.tempo;
      if (take.caught && held != take.lastSet) take.caught = false;
      const int heldAt = isLevel ? LevelToMidi(held) : TempoToMidi(held);
      const int desk = event.value;
      if (!take.caught)
        take.caught = desk == heldAt ||
                      (take.lastDesk >= 0 && (take.lastDesk < heldAt) != (desk < heldAt)) ||
                      (event.low >= 0 && event.low <= heldAt && heldAt <= event.high);
      take.lastDesk = desk;
      if (!take.caught) return std::nullopt;
      // At the console's own desk position the value stays as it is (the scales are coarser
      // on the desk than on the console).
      take.lastSet = desk == heldAt ? held : isLevel ? MidiToLevel(desk) : MidiToTempo(desk);
      if (take.lastSet == held) return std::nullopt;
      return isLevel ? command(RemoteCommandKind::Channel, t.n, take.lastSet)
                     : command(RemoteCommandKind::Tempo, take.lastSet);
    }
    case MidiTargetKind::Flash:
      return command(RemoteCommandKind::Picture, t.n, pressed ? 1 : 0);
    default:
      break;
  }
  if (!pressed) return std::nullopt;
  switch (t.kind) {
    case MidiTargetKind::Play:
      return command(RemoteCommandKind::Play, s.playing ? 0 : 1);
    case MidiTargetKind::Next:
      return command(RemoteCommandKind::Next);
    case MidiTargetKind::Previous:
      return command(RemoteCommandKind::Previous);
    case MidiTargetKind::BlackOut:
      return command(RemoteCommandKind::BlackOut, s.blackOut ? 0 : 1);
    case MidiTargetKind::Latch:
      return command(RemoteCommandKind::Latch, t.n,
                     s.latched[static_cast<std::size_t>(t.n - 1)] ? 0 : 1);
    case MidiTargetKind::Automat:
      return command(RemoteCommandKind::Automat, t.n,
                     s.automats[static_cast<std::size_t>(t.n - 1)] ? 0 : 1);
    case MidiTargetKind::ConveyorSlot:
      return command(RemoteCommandKind::ConveyorSlot, t.n);
    default:
      return std::nullopt;
  }
}

std::vector<MidiEvent> MidiMapper::Feedback(const MidiConsoleView& view) const {
  const RemoteState& s = view.state;
  std::vector<MidiEvent> out;
  out.reserve(mappings_.size());
  for (const MidiMapping& m : mappings_) {
    const int n = m.target.n;
    auto on = [](bool b) { return b ? 127 : 0; };
    int value = 0;
    switch (m.target.kind) {
      case MidiTargetKind::ChannelLevel:
        value = LevelToMidi(view.sceneLevel(n));
        break;
      case MidiTargetKind::Tempo:
        value = TempoToMidi(s.tempo);
        break;
      case MidiTargetKind::Play:
        value = on(s.playing);
        break;
      case MidiTargetKind::BlackOut:
        value = on(s.blackOut);
        break;
      case MidiTargetKind::Flash:
        value = on(s.pictures[static_cast<std::size_t>(n - 1)]);
        break;
      case MidiTargetKind::Latch:
        value = on(s.latched[static_cast<std::size_t>(n - 1)]);
        break;
      case MidiTargetKind::Automat:
        value = on(s.automats[static_cast<std::size_t>(n - 1)]);
        break;
      default:
        value = 0;
        break;
    }
    out.push_back({m.control, value});
  }
  return out;
}

}  // namespace kalvetro
