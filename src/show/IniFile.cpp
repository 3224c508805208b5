// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/IniFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace kalvetro {

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string Escaped(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A backslash before anything but n, r or another backslash stays as it is, so that values
// written before escaping existed read as they always did.
std::string Unescaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == 'n' || next == 'r' || next == '\\') {
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

IniFile IniFile::Load(const std::string& path) {
  IniFile ini;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ini;
  std::string line;
  Section* current = nullptr;
  while (std::getline(in, line)) {
    const std::string text = Trim(line);
    if (text.empty() || text[0] == ';') continue;
    if (text.front() == '[' && text.back() == ']') {
      const std::string name = text.substr(1, text.size() - 2);
      current = ini.Find(name);
      if (!current) {
        ini.sections_.push_back({name, {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    const auto eq = text.find('=');
    if (!current || eq == std::string::npos) continue;
    ini.SetValue(current->name, Trim(text.substr(0, eq)), Unescaped(Trim(text.substr(eq + 1))));
  }
  return ini;
}

IniFile::Section* IniFile::Find(const std::string& section) {
  for (auto& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::Find(const std::string& section) const {
  for (const auto& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

std::string IniFile::Value(const std::string& section, const std::string& key) const {
  if (const Section* s = Find(section)) {
    for (const auto& [k, v] : s->entries)
      if (SameName(k, key)) return v;
  }
  return {};
}

void IniFile::SetValue(const std::string& section, const std::string& key,
                       const std::string& value) {
  Section* s = Find(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  for (auto& [k, v] : s->entries) {
    if (SameName(k, key)) {
      v = value;
      return;
    }
  }
  s->entries.emplace_back(key, value);
}

std::string IniFile::Text() const {
  std::ostringstream out;
  bool first = true;
  for (const auto& s : sections_) {
    if (!first) out << "\n";
    first = false;
    out << "[" << s.name << "]\n";
    for (const auto& [k, v] : s.entries) out << k << "=" << Escaped(v) << "\n";
  }
  return out.str();
}

Result IniFile::Save(const std::string& path) const {
  const std::string text = Text();
  return WriteFileAtomically(
      path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0600);
}

}  // namespace kalvetro
