#pragma once

#include <string>
#include <utility>
#include <vector>

#include "show/FileIo.h"

namespace kalvetro {

// A plain initialisation file: "[Section]" lines followed by "Key=Value" lines. Sections and
// keys keep the order in which they were first read or set; values are plain strings.
class IniFile {
 public:
  // Loads the file; a missing or unreadable file gives an empty one.
  static IniFile Load(const std::string& path);

  // Value of key in section; empty when missing. Section and key names ignore case.
  std::string Value(const std::string& section, const std::string& key) const;
  void SetValue(const std::string& section, const std::string& key, const std::string& value);

  std::string Text() const;
  FileResult Save(const std::string& path) const;

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
