#include "cli/result_writer.h"

#include <cstdio>

#include "services/text.h"

namespace nrv::cli {

namespace {

// Appends the UTF-8 sequence at s[i] (or U+FFFD for an invalid byte); moves i on.
void AppendUtf8Char(const std::string& s, size_t& i, std::string& out) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (len > 0 && i + len <= s.size() && text::IsValidUtf8(s.substr(i, len))) {
    out.append(s, i, len);
    i += len;
  } else {
    out += "\xEF\xBF\xBD";
    ++i;
  }
}

std::string Hex(const std::string& s) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      ++i;
    } else {
      AppendUtf8Char(s, i, out);
    }
  }
  return out + "\"";
}

void WriteTextResults(std::ostream& out, TScanEngine& engine) {
  bool first = true;
  for (const auto& group : engine.GetGroups()) {
    if (!first) out << '\n';
    first = false;
    for (const auto& f : group->Files()) out << f->GetFullName() << '\n';
  }
}

void WriteJsonResults(std::ostream& out, TScanEngine& engine, const std::string& mode) {
  auto p = engine.GetProgress();
  out << "{\"mode\": " << JsonString(mode) << ", \"stats\": {\"total_files\": " << p.TotalFiles
      << ", \"skipped_files\": " << p.SkippedFiles << ", \"total_size\": " << p.TotalSize
      << ", \"duplicate_files\": " << p.DuplicateFiles
      << ", \"duplicates_size\": " << p.DuplicatesSize
      << ", \"groups\": " << engine.GetGroups().size() << "}, \"groups\": [";
  bool first_group = true;
  for (const auto& group : engine.GetGroups()) {
    out << (first_group ? "" : ", ") << "{\"group\": " << group->GroupNo() << ", \"files\": [";
    first_group = false;
    bool first_file = true;
    for (const auto& f : group->Files()) {
      const std::string path = f->GetFullName();
      auto master = f->GetAttributeValue(TSupportedAttribute::atMaster);
      bool is_master = std::holds_alternative<bool>(master) && std::get<bool>(master);
      out << (first_file ? "" : ", ") << "{\"path\": " << JsonString(path);
      if (!text::IsValidUtf8(path)) out << ", \"path_hex\": \"" << Hex(path) << "\"";
      out << ", \"size\": " << f->GetSize() << ", \"modified\": \""
          << f->GetModified().ToIso8601Utc() << "\", \"checked\": "
          << (f->IsChecked() ? "true" : "false") << ", \"master\": "
          << (is_master ? "true" : "false") << "}";
      first_file = false;
    }
    out << "]}";
  }
  out << "]}\n";
}

}  // namespace nrv::cli
