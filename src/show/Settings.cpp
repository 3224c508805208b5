#include "show/Settings.h"

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
}  // namespace

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
  const std::string universe = ini.Value(kNetworkSection, kUniverseKey);
  if (!universe.empty()) {
    char* end = nullptr;
    const long value = std::strtol(universe.c_str(), &end, 10);
    if (*end == '\0' && value >= 1 && value <= 65535) settings.olaUniverse = static_cast<int>(value);
  }
  return settings;
}

FileResult WriteSettings(const std::string& path, const Settings& settings) {
  IniFile ini = IniFile::Load(path);
  for (int k = 1; k <= kConveyorFiles; ++k)
    ini.SetValue(kConveyorSection, ConveyorKey(k), settings.conveyorFiles[k - 1]);
  std::string ticks;
  for (bool ticked : settings.conveyorTicks) ticks += ticked ? '1' : '0';
  ini.SetValue(kConveyorSection, kTicksKey, ticks);
  ini.SetValue(kLastFileSection, kPathKey, settings.lastPath);
  ini.SetValue(kNetworkSection, kOlaKey, settings.olaEnabled ? "1" : "0");
  ini.SetValue(kNetworkSection, kUniverseKey, std::to_string(settings.olaUniverse));
  return ini.Save(path);
}

}  // namespace kalvetro
