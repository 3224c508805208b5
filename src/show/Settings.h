// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <vector>

#include "show/FileIo.h"

namespace kalvetro {

inline constexpr int kConveyorFiles = 20;
inline constexpr char kSettingsFileName[] = "Kalvo.ini";

// The remotes, section "Remote": OSC over UDP and the phone page over HTTP and WebSocket.
// Both are off until the operator turns them on.
// A MIDI desk: its ports by name (the first port whose name contains the text), the RtMidi
// back end ("alsa" or "jack") and one line per mapping (see FormatMidiMapping).
struct MidiSettings {
  bool on = false;
  std::string api = "alsa";
  std::string inPort;
  std::string outPort;
  std::vector<std::string> mappings;
  bool operator==(const MidiSettings&) const = default;
};

inline constexpr char kDefaultOscAllow[] =
    "127.0.0.0/8, 10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16, 169.254.0.0/16, ::1, fc00::/7, "
    "fe80::/10";

struct RemoteSettings {
  bool oscOn = false;
  int oscPort = 9000;
  bool webOn = false;
  int webPort = 8080;
  std::string webBind;  // the address the page listens on; empty: every interface
  std::string webPin;   // 4..8 digits; empty until made at the first start
  MidiSettings midi;
  std::string oscBind;  // the address OSC listens on; empty: every IPv4 interface
  // The senders OSC takes commands from: addresses and subnets ("192.168.0.0/16"), separated
  // by commas or blanks. By default this machine, the private ranges and link-local.
  std::string oscAllow = kDefaultOscAllow;
  bool operator==(const RemoteSettings&) const = default;
};

// The "ЗВУК" page, section "Sound": "Source" (0 the clipboard, 1 the audio level, 2 the beats
// of the music) and "PulseLoss" (0 hold, 1 keep the tempo when the pulse is lost).
struct SoundSettings {
  int source = 0;
  int pulseLoss = 0;
  // The audio input the page listens to, by the name the sound server gives it; empty: the
  // default input.
  std::string input;
  bool operator==(const SoundSettings&) const = default;
};

// What the console remembers between runs: the twenty conveyor show files and the last show.
struct Settings {
  std::array<std::string, kConveyorFiles> conveyorFiles;
  // The conveyor slots that were down, so that a list can be played again without a window.
  std::array<bool, kConveyorFiles> conveyorTicks{};
  std::string lastPath;
  // Network DMX through OLA: on or off, and the universe the frames go to.
  bool olaEnabled = false;
  int olaUniverse = 1;
  RemoteSettings remote;
  SoundSettings sound;
};

// Reads "File01".."File20" and "Ticks" (twenty characters 0 or 1) of section "Konveir" and
// "Path" of section "LastFile"; a missing file or key gives an empty value (no ticks).
Settings ReadSettings(const std::string& path);
// Also reads "OLA" (1 on) and "Universe" of section "NetworkDMX", and "OSC", "OSCPort",
// "OSCBind", "OSCAllow", "Web", "WebPort", "WebBind", "WebPIN" of section "Remote" (a bad port or
// PIN: the default). Section "MIDI": "On", "API", "In", "Out", "Maps" (their count) and
// "Map1".."MapN". "Input" of section "Sound": the chosen audio input. Writes the keys in the order
// File01..File20, then Path, then the network section, keeping other content of the file.
Result WriteSettings(const std::string& path, const Settings& settings);

// A PIN of the phone page: 4..8 decimal digits.
bool ValidPin(const std::string& pin);

// The conveyor key of button k (1..20): "File01".."File20".
std::string ConveyorKey(int k);

}  // namespace kalvetro
