#include "services/settings_values.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <system_error>

namespace nrv::settings_values {

namespace {

std::string Trim(const std::string& s) {
  const char* ws = " \t";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

bool ParseInt(const std::string& raw, int32_t& value) {
  std::string s = Trim(raw);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void WriteBool(TIniFile& ini, const std::string& section, const std::string& key, bool value) {
  ini.WriteString(section, key, value ? "1" : "0");
}

bool ReadBool(const TIniFile& ini, const std::string& section, const std::string& key, bool def) {
  int32_t v = 0;
  return ParseInt(ini.ReadString(section, key, ""), v) ? v != 0 : def;
}

void WriteInt(TIniFile& ini, const std::string& section, const std::string& key, int32_t value) {
  ini.WriteString(section, key, std::to_string(value));
}

int32_t ReadInt(const TIniFile& ini, const std::string& section, const std::string& key,
                int32_t def) {
  int32_t v = 0;
  return ParseInt(ini.ReadString(section, key, ""), v) ? v : def;
}

char UserDecimalSeparator() {
  static const char sep = [] {
    char c = '.';
    if (locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr))) {
      const char* radix = nl_langinfo_l(RADIXCHAR, loc);
      if (radix && radix[0] && !radix[1]) c = radix[0];
      freelocale(loc);
    }
    return c;
  }();
  return sep;
}

std::string FormatFloat(float value, char decimal_separator) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string s(buf, ec == std::errc() ? end : buf);
  for (char& c : s) {
    if (c == '.') c = decimal_separator;
  }
  return s;
}

bool ParseFloat(const std::string& text, char decimal_separator, float& value) {
  std::string s = Trim(text);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  if (s.empty()) return false;
  if (decimal_separator != '.') {
    if (s.find('.') != std::string::npos) return false;
    for (char& c : s) {
      if (c == decimal_separator) c = '.';
    }
  }
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

void WriteFloat(TIniFile& ini, const std::string& section, const std::string& key, float value) {
  ini.WriteString(section, key, FormatFloat(value, UserDecimalSeparator()));
}

float ReadFloat(const TIniFile& ini, const std::string& section, const std::string& key,
                float def) {
  float v = 0;
  return ParseFloat(ini.ReadString(section, key, ""), UserDecimalSeparator(), v) ? v : def;
}

std::string EncodeFolderList(const std::vector<std::string>& folders) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (const std::string& folder : folders) {
    for (unsigned char c : folder + "\r\n") {
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::vector<std::string> DecodeFolderList(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    int hi = HexDigit(hex[i]);
    int lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) break;  // the list ends at the first pair that is no hex byte
    bytes += static_cast<char>(hi << 4 | lo);
  }
  std::vector<std::string> folders;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      folders.push_back(bytes.substr(start));
      break;
    }
    folders.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return folders;
}

}  // namespace nrv::settings_values
