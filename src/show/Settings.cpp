#include "show/Settings.h"

#include <cstdio>

#include "show/IniFile.h"

namespace kalvetro {

namespace {
constexpr char kConveyorSection[] = "Konveir";
constexpr char kLastFileSection[] = "LastFile";
constexpr char kPathKey[] = "Path";
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
  settings.lastPath = ini.Value(kLastFileSection, kPathKey);
  return settings;
}

FileResult WriteSettings(const std::string& path, const Settings& settings) {
  IniFile ini = IniFile::Load(path);
  for (int k = 1; k <= kConveyorFiles; ++k)
    ini.SetValue(kConveyorSection, ConveyorKey(k), settings.conveyorFiles[k - 1]);
  ini.SetValue(kLastFileSection, kPathKey, settings.lastPath);
  return ini.Save(path);
}

}  // namespace kalvetro
