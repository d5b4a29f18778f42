#pragma once
#include <string>
#include <vector>

namespace nrv {

// An INI document held in memory: sections of "key=value" lines, kept in file
// order so that a rewrite changes only the values that were set. Section and
// key names compare without regard to letter case; values are kept byte for
// byte (a value runs to the end of its line). Lines inside a section that carry
// no "=" are kept as they are; lines before the first section are dropped.
class TIniFile {
 public:
  // Parses UTF-8 text; a leading byte-order mark is skipped. Lines may end in
  // CR LF, LF or CR.
  static TIniFile Parse(const std::string& text);

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  // The value, or `def` when the section or key is absent.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Replaces the first line of that key, or appends one (and the section).
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  // Every line of the section as written, "key=value"; empty when absent.
  std::vector<std::string> ReadSectionLines(const std::string& section) const;
  std::vector<std::string> SectionNames() const;

  // UTF-8 with byte-order mark, CR LF line ends, one empty line after each section.
  std::string ToText() const;

 private:
  struct TLine {
    std::string key;    // trimmed; empty for a line without "="
    std::string value;  // the text after the first "="
    std::string raw;    // the whole line, for lines without "="
    bool has_value = false;
  };
  struct TSection {
    std::string name;
    std::vector<TLine> lines;
  };

  const TSection* FindSection(const std::string& name) const;
  TSection* FindSection(const std::string& name);

  std::vector<TSection> sections_;
};

}  // namespace nrv
