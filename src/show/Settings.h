#pragma once

#include <array>
#include <string>

#include "show/FileIo.h"

namespace kalvetro {

inline constexpr int kConveyorFiles = 20;
inline constexpr char kSettingsFileName[] = "Kalvo.ini";

// What the console remembers between runs: the twenty conveyor show files and the last show.
struct Settings {
  std::array<std::string, kConveyorFiles> conveyorFiles;
  // The conveyor slots that were down, so that a list can be played again without a window.
  std::array<bool, kConveyorFiles> conveyorTicks{};
  std::string lastPath;
  // Network DMX through OLA: on or off, and the universe the frames go to.
  bool olaEnabled = false;
  int olaUniverse = 1;
};

// Reads "File01".."File20" and "Ticks" (twenty characters 0 or 1) of section "Konveir" and
// "Path" of section "LastFile"; a missing file or key gives an empty value (no ticks).
Settings ReadSettings(const std::string& path);
// Also reads "OLA" (1 on) and "Universe" of section "NetworkDMX".
// Writes the keys in the order File01..File20, then Path, then the network section, keeping
// other content of the file.
FileResult WriteSettings(const std::string& path, const Settings& settings);

// The conveyor key of button k (1..20): "File01".."File20".
std::string ConveyorKey(int k);

}  // namespace kalvetro
