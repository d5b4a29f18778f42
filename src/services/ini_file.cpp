#include "services/ini_file.h"

#include "services/text.h"
#include "services/text_lines.h"

namespace nrv {

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";

std::string Trim(const std::string& s) {
  const char* ws = " \t";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}


}  // namespace

TIniFile TIniFile::Parse(const std::string& text) {
  TIniFile ini;
  size_t start = text.compare(0, 3, kBom) == 0 ? 3 : 0;
  TSection* current = nullptr;
  for (const std::string& line : SplitLines(text, start)) {
    std::string trimmed = Trim(line);
    if (trimmed.empty()) continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      std::string name = trimmed.substr(1, trimmed.size() - 2);
      current = ini.FindSection(name);
      if (!current) {
        ini.sections_.push_back(TSection{name, {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    if (!current) continue;
    TLine l;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      l.raw = trimmed;
    } else {
      l.key = Trim(line.substr(0, eq));
      l.value = line.substr(eq + 1);
      l.has_value = true;
    }
    current->lines.push_back(std::move(l));
  }
  return ini;
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const {
  for (const TSection& s : sections_) {
    if (text::EqualsNoCase(s.name, name)) return &s;
  }
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const std::string& name) {
  return const_cast<TSection*>(static_cast<const TIniFile*>(this)->FindSection(name));
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  const TSection* s = FindSection(section);
  if (!s) return false;
  for (const TLine& l : s->lines) {
    if (l.has_value && text::EqualsNoCase(l.key, key)) return true;
  }
  return false;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  const TSection* s = FindSection(section);
  if (!s) return def;
  for (const TLine& l : s->lines) {
    if (l.has_value && text::EqualsNoCase(l.key, key)) return l.value;
  }
  return def;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  TSection* s = FindSection(section);
  if (!s) {
    sections_.push_back(TSection{section, {}});
    s = &sections_.back();
  }
  for (TLine& l : s->lines) {
    if (l.has_value && text::EqualsNoCase(l.key, key)) {
      l.value = value;
      return;
    }
  }
  TLine l;
  l.key = key;
  l.value = value;
  l.has_value = true;
  s->lines.push_back(std::move(l));
}

std::vector<std::string> TIniFile::ReadSectionLines(const std::string& section) const {
  std::vector<std::string> out;
  if (const TSection* s = FindSection(section)) {
    for (const TLine& l : s->lines) out.push_back(l.has_value ? l.key + "=" + l.value : l.raw);
  }
  return out;
}

std::vector<std::string> TIniFile::SectionNames() const {
  std::vector<std::string> out;
  for (const TSection& s : sections_) out.push_back(s.name);
  return out;
}

std::string TIniFile::ToText() const {
  std::string out = kBom;
  for (const TSection& s : sections_) {
    out += "[" + s.name + "]\r\n";
    for (const TLine& l : s.lines) {
      out += (l.has_value ? l.key + "=" + l.value : l.raw) + "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace nrv
