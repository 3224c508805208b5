// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "show/FileIo.h"

namespace kalvetro {

// A plain initialisation file: "[Section]" lines followed by "Key=Value" lines. Sections and
// keys keep the order in which they were first read or set; values are plain strings. A value
// is written on one line whatever it holds: a line break is written as \n, a carriage return
// as \r and a backslash as \\, and read back as it was, so no value can add lines or
// sections to the file.
class IniFile {
 public:
  // Loads the file; a missing or unreadable file gives an empty one.
  static IniFile Load(const std::string& path);

  // Value of key in section; empty when missing. Section and key names ignore case.
  std::string Value(const std::string& section, const std::string& key) const;
  void SetValue(const std::string& section, const std::string& key, const std::string& value);

  std::string Text() const;
  // Written readable and writable by its owner only (0600): settings may hold a PIN.
  Result Save(const std::string& path) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  Section* Find(const std::string& section);
  const Section* Find(const std::string& section) const;

  std::vector<Section> sections_;
};

}  // namespace kalvetro
