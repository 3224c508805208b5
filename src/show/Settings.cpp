// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/Settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "show/IniFile.h"

namespace kalvetro {

namespace {
constexpr char kConveyorSection[] = "Konveir";
constexpr char kLastFileSection[] = "LastFile";
constexpr char kTicksKey[] = "Ticks";
constexpr char kPathKey[] = "Path";
constexpr char kNetworkSection[] = "NetworkDMX";
constexpr char kOlaKey[] = "OLA";
constexpr char kUniverseKey[] = "Universe";
constexpr char kRemoteSection[] = "Remote";
constexpr char kMidiSection[] = "MIDI";
constexpr int kMaxMidiMappings = 512;
constexpr char kSoundSection[] = "Sound";
constexpr char kSoundInputKey[] = "Input";

// A whole decimal number within low..high, or nothing.
bool ReadNumber(const std::string& text, long low, long high, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}
}  // namespace

bool ValidPin(const std::string& pin) {
  if (pin.size() < 4 || pin.size() > 8) return false;
  for (char c : pin)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string ConveyorKey(int k) {
  char key[8];
  std::snprintf(key, sizeof key, "File%02d", k);
  return key;
}

Settings ReadSettings(const std::string& path) {
  const IniFile ini = IniFile::Load(path);
  Settings settings;
  for (int k = 1; k <= kConveyorFiles; ++k)
    settings.conveyorFiles[k - 1] = ini.Value(kConveyorSection, ConveyorKey(k));
  const std::string ticks = ini.Value(kConveyorSection, kTicksKey);
  for (int k = 1; k <= kConveyorFiles && k <= static_cast<int>(ticks.size()); ++k)
    settings.conveyorTicks[k - 1] = ticks[k - 1] == '1';
  settings.lastPath = ini.Value(kLastFileSection, kPathKey);
  settings.olaEnabled = ini.Value(kNetworkSection, kOlaKey) == "1";
  ReadNumber(ini.Value(kNetworkSection, kUniverseKey), 1, 65535, settings.olaUniverse);
  RemoteSettings& remote = settings.remote;
  remote.oscOn = ini.Value(kRemoteSection, "OSC") == "1";
  ReadNumber(ini.Value(kRemoteSection, "OSCPort"), 1, 65535, remote.oscPort);
  remote.oscBind = ini.Value(kRemoteSection, "OSCBind");
  // A list erased by hand is the default list, never "nobody" by accident; "none" is nobody.
  if (std::string allow = ini.Value(kRemoteSection, "OSCAllow"); !allow.empty())
    remote.oscAllow = allow;
  remote.webOn = ini.Value(kRemoteSection, "Web") == "1";
  ReadNumber(ini.Value(kRemoteSection, "WebPort"), 1, 65535, remote.webPort);
  remote.webBind = ini.Value(kRemoteSection, "WebBind");
  const std::string pin = ini.Value(kRemoteSection, "WebPIN");
  if (ValidPin(pin)) remote.webPin = pin;
  MidiSettings& midi = remote.midi;
  midi.on = ini.Value(kMidiSection, "On") == "1";
  if (const std::string api = ini.Value(kMidiSection, "API"); api == "alsa" || api == "jack")
    midi.api = api;
  midi.inPort = ini.Value(kMidiSection, "In");
  midi.outPort = ini.Value(kMidiSection, "Out");
  int maps = 0;
  ReadNumber(ini.Value(kMidiSection, "Maps"), 0, kMaxMidiMappings, maps);
  for (int k = 1; k <= maps; ++k) {
    const std::string line = ini.Value(kMidiSection, "Map" + std::to_string(k));
    if (!line.empty()) midi.mappings.push_back(line);
  }
  ReadNumber(ini.Value(kSoundSection, "Source"), 0, 2, settings.sound.source);
  ReadNumber(ini.Value(kSoundSection, "PulseLoss"), 0, 1, settings.sound.pulseLoss);
  settings.sound.input = ini.Value(kSoundSection, kSoundInputKey);
  return settings;
}

Result WriteSettings(const std::string& path, const Settings& settings) {
  IniFile ini = IniFile::Load(path);
  for (int k = 1; k <= kConveyorFiles; ++k)
    ini.SetValue(kConveyorSection, ConveyorKey(k), settings.conveyorFiles[k - 1]);
  std::string ticks;
  for (bool ticked : settings.conveyorTicks) ticks += ticked ? '1' : '0';
  ini.SetValue(kConveyorSection, kTicksKey, ticks);
  ini.SetValue(kLastFileSection, kPathKey, settings.lastPath);
  ini.SetValue(kNetworkSection, kOlaKey, settings.olaEnabled ? "1" : "0");
  ini.SetValue(kNetworkSection, kUniverseKey, std::to_string(settings.olaUniverse));
  const RemoteSettings& remote = settings.remote;
  ini.SetValue(kRemoteSection, "OSC", remote.oscOn ? "1" : "0");
  ini.SetValue(kRemoteSection, "OSCPort", std::to_string(remote.oscPort));
  ini.SetValue(kRemoteSection, "OSCBind", remote.oscBind);
  ini.SetValue(kRemoteSection, "OSCAllow", remote.oscAllow);
  ini.SetValue(kRemoteSection, "Web", remote.webOn ? "1" : "0");
  ini.SetValue(kRemoteSection, "WebPort", std::to_string(remote.webPort));
  ini.SetValue(kRemoteSection, "WebBind", remote.webBind);
  ini.SetValue(kRemoteSection, "WebPIN", remote.webPin);
  const MidiSettings& midi = remote.midi;
  ini.SetValue(kMidiSection, "On", midi.on ? "1" : "0");
  ini.SetValue(kMidiSection, "API", midi.api);
  ini.SetValue(kMidiSection, "In", midi.inPort);
  ini.SetValue(kMidiSection, "Out", midi.outPort);
  const int maps = static_cast<int>(std::min<std::size_t>(midi.mappings.size(), kMaxMidiMappings));
  ini.SetValue(kMidiSection, "Maps", std::to_string(maps));
  for (int k = 1; k <= maps; ++k)
    ini.SetValue(kMidiSection, "Map" + std::to_string(k),
                 midi.mappings[static_cast<std::size_t>(k - 1)]);
  ini.SetValue(kSoundSection, "Source", std::to_string(settings.sound.source));
  ini.SetValue(kSoundSection, "PulseLoss", std::to_string(settings.sound.pulseLoss));
  ini.SetValue(kSoundSection, kSoundInputKey, settings.sound.input);
  return ini.Save(path);
}

}  // namespace kalvetro
