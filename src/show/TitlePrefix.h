// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kalvetro {

// The texts the main window caption shows in front of the file name.
enum class TitlePrefixId {
  Initialization,  // " Initalization "
  DemoModeStart,   // " Demo Mode:  " (port not opened, or demo ticked)
  Running,         // " Kalvetro:  " (demo unticked)
  DemoModeLink,    // "DEMO mode: " (demo unticked but the port is closed)
};

inline QString TitlePrefixText(TitlePrefixId id) {
  switch (id) {
    case TitlePrefixId::Initialization:
      return QStringLiteral(" Initalization ");
    case TitlePrefixId::DemoModeStart:
      return QStringLiteral(" Demo Mode:  ");
    case TitlePrefixId::Running:
      return QStringLiteral(" Kalvetro:  ");
    case TitlePrefixId::DemoModeLink:
      return QStringLiteral("DEMO mode: ");
  }
  return {};
}

}  // namespace kalvetro
