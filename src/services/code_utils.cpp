#include "services/code_utils.h"
#include "services/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

namespace nrv {

namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0x8408u : c >> 1;
    table[i] = static_cast<uint16_t>(c);
  }
  return table;
}

constexpr auto kCrc16Table = MakeCrc16Table();
static_assert(kCrc16Table[1] == 0x1189 && kCrc16Table[2] == 0x2312 && kCrc16Table[3] == 0x329B);

// Digits in groups of three from the right, separated by single spaces.
std::string GroupDigits(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(' ');
    out.push_back(digits[i]);
  }
  return out;
}

std::string FormatWhole(int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string out = GroupDigits(magnitude);
  if (value < 0) out.insert(out.begin(), '-');
  return out;
}

// Up to two decimals, trailing zeros dropped, the locale's decimal separator.
std::string FormatTwoDecimals(double value) {
  bool negative = value < 0;
  auto hundredths = static_cast<uint64_t>(std::llround(std::fabs(value) * 100.0));
  std::string out = GroupDigits(hundredths / 100);
  if (negative && hundredths != 0) out.insert(out.begin(), '-');
  unsigned fraction = static_cast<unsigned>(hundredths % 100);
  if (fraction != 0) {
    const lconv* lc = std::localeconv();
    out += (lc && lc->decimal_point && *lc->decimal_point) ? lc->decimal_point : ".";
    out.push_back(static_cast<char>('0' + fraction / 10));
    if (fraction % 10 != 0) out.push_back(static_cast<char>('0' + fraction % 10));
  }
  return out;
}

}  // namespace

void UpdateCrc32(const void* buffer, uint16_t length, uint32_t& crc) {
  // zlib computes the same CRC many bytes at a time; it complements the value on
  // the way in and out, which the complements here undo.
  crc = ~static_cast<uint32_t>(
      crc32(~static_cast<uLong>(crc) & 0xFFFFFFFFUL, static_cast<const Bytef*>(buffer), length));
}

uint16_t Crc16OfText(const std::string& text) {
  uint16_t crc = 0xFFFF;
  for (unsigned char b : text) {
    crc = static_cast<uint16_t>(((crc >> 8) & 0xFF) ^ kCrc16Table[(b ^ crc) & 0xFF]);
  }
  return crc;
}

bool MatchesWildcard(const std::string& pattern, const std::string& text) {
  // Letter case is ignored character by character (bytes that are not UTF-8
  // count one character each and match only themselves).
  const std::u32string pat = nrv::text::FoldedCodePoints(pattern);
  const std::u32string txt = nrv::text::FoldedCodePoints(text);
  // Greedy matching that returns to the last "*" on a mismatch: the same answers
  // as trying every split recursively, without the exponential cost.
  size_t p = 0;
  size_t t = 0;
  size_t star = std::string::npos;
  size_t star_text = 0;
  while (t < txt.size()) {
    if (p < pat.size() && pat[p] == U'*') {
      star = p++;
      star_text = t;
    } else if (p < pat.size() && (pat[p] == U'?' || pat[p] == txt[t])) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++star_text;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == U'*') ++p;
  return p == pat.size();
}

std::string FormatSize(int64_t size, int& unit) {
  std::string text;
  if (size < 1024 || unit == 0) {
    // Bytes are shown as the plain number; grouping starts with the larger units.
    unit = 0;
    text = std::to_string(size);
  } else if (size < 1048576 || unit == 1) {
    unit = 1;
    text = FormatWhole(size / 1024);
  } else if (size < 1073741824 || unit == 2) {
    unit = 2;
    text = FormatTwoDecimals(static_cast<double>(size) / 1048576.0);
  } else {
    unit = 3;
    text = FormatTwoDecimals(static_cast<double>(size) / 1073741824.0);
  }
  return text;
}

int64_t FileSizeOf(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), path);
  struct stat st {};
  int64_t size = ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  ::close(fd);
  return size;
}

std::string NextToken(size_t& index, const std::string& text, char separator) {
  size_t start = index == 0 ? 0 : index - 1;
  if (start >= text.size()) {
    index = text.size() + 1;
    return std::string();
  }
  size_t pos = text.find(separator, start);
  if (pos == std::string::npos) {
    index = text.size() + 1;
    return text.substr(start);
  }
  index = pos + 2;
  return text.substr(start, pos - start);
}

std::string Utf8ToText(const std::string& bytes) {
  // Well-formed sequences of up to four bytes are kept; overlong forms, surrogates,
  // stray continuation bytes and truncated sequences end the text, as any other
  // malformed sequence does.
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto n = static_cast<int32_t>(bytes.size());
  int32_t i = 0;
  while (i < n) {
    int32_t start = i;
    UChar32 c;
    U8_NEXT(p, i, n, c);
    if (c < 0) return bytes.substr(0, static_cast<size_t>(start));
  }
  return bytes;
}

std::string FormatDuration(double seconds) {
  if (!(seconds > 0)) seconds = 0;  // negative or not a number
  auto total = static_cast<int64_t>(std::min(seconds, 9.0e15));
  int64_t h = total / 3600;
  int64_t m = (total % 3600) / 60;
  int64_t s = total % 60;
  char buf[64];
  if (h > 0) {
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(h),
                  static_cast<long long>(m), static_cast<long long>(s));
  } else {
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(m),
                  static_cast<long long>(s));
  }
  return buf;
}

}  // namespace nrv
