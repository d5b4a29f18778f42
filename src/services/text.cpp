#include "services/text.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

namespace nrv::text {

namespace {

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Length of the valid UTF-8 sequence starting at i, or 0 when the byte there
// does not start one (ICU rejects overlong forms, surrogates and truncation).
int32_t ValidSequenceLength(const std::string& s, int32_t i) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  const auto n = static_cast<int32_t>(s.size());
  int32_t j = i;
  UChar32 c;
  U8_NEXT(p, j, n, c);
  return c < 0 ? 0 : j - i;
}

// Applies `convert` to every run of valid UTF-8 and copies the bytes that are
// not valid UTF-8 through unchanged, so no byte of a file name is ever lost.
template <typename Convert>
std::string MapValidRuns(const std::string& s, Convert convert) {
  std::string out;
  out.reserve(s.size());
  const auto n = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < n) {
    int32_t run_end = i;
    while (run_end < n) {
      int32_t len = ValidSequenceLength(s, run_end);
      if (len == 0) break;
      run_end += len;
    }
    if (run_end > i) {
      icu::UnicodeString u =
          icu::UnicodeString::fromUTF8(icu::StringPiece(s.data() + i, run_end - i));
      convert(u);
      u.toUTF8String(out);
      i = run_end;
    } else {
      out.push_back(s[i]);
      ++i;
    }
  }
  return out;
}

// The collator of the user's locale; one per thread because a collator is not
// safe for concurrent use.
icu::Collator* ThreadCollator() {
  thread_local std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(
        icu::Collator::createInstance(icu::Locale::getDefault(), status));
    if (U_FAILURE(status)) c.reset();
    return c;
  }();
  return collator.get();
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

}  // namespace

std::string FoldCase(const std::string& s) {
  if (IsAscii(s)) {
    std::string out = s;
    for (char& c : out) c = AsciiLower(c);
    return out;
  }
  return MapValidRuns(s, [](icu::UnicodeString& u) { u.foldCase(U_FOLD_CASE_DEFAULT); });
}

std::string ToLower(const std::string& s) {
  if (IsAscii(s)) {
    std::string out = s;
    for (char& c : out) c = AsciiLower(c);
    return out;
  }
  return MapValidRuns(s, [](icu::UnicodeString& u) { u.toLower(icu::Locale::getRoot()); });
}

std::string ToUpper(const std::string& s) {
  if (IsAscii(s)) {
    std::string out = s;
    for (char& c : out) c = AsciiUpper(c);
    return out;
  }
  return MapValidRuns(s, [](icu::UnicodeString& u) { u.toUpper(icu::Locale::getRoot()); });
}

int CompareNoCase(const std::string& a, const std::string& b) {
  if (IsAscii(a) && IsAscii(b)) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      char x = AsciiLower(a[i]);
      char y = AsciiLower(b[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  // Byte order of UTF-8 is code point order, so the folded forms compare bytewise.
  return Sign(FoldCase(a).compare(FoldCase(b)));
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (IsAscii(a) && IsAscii(b)) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
  }
  return FoldCase(a) == FoldCase(b);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (IsAscii(s) && IsAscii(prefix)) {
    if (prefix.size() > s.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
      if (AsciiLower(s[i]) != AsciiLower(prefix[i])) return false;
    }
    return true;
  }
  std::string fs = FoldCase(s);
  std::string fp = FoldCase(prefix);
  return fs.size() >= fp.size() && fs.compare(0, fp.size(), fp) == 0;
}

int CompareLocale(const std::string& a, const std::string& b) {
  icu::Collator* collator = ThreadCollator();
  if (collator == nullptr) return Sign(a.compare(b));
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r = collator->compareUTF8(icu::StringPiece(a.data(), a.size()),
                                             icu::StringPiece(b.data(), b.size()), status);
  if (U_FAILURE(status)) return Sign(a.compare(b));
  return static_cast<int>(r);
}

bool IsValidUtf8(const std::string& s) {
  const auto n = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < n) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    int32_t len = ValidSequenceLength(s, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

size_t CodePointCount(const std::string& s) {
  const auto n = static_cast<int32_t>(s.size());
  size_t count = 0;
  int32_t i = 0;
  while (i < n) {
    int32_t len = ValidSequenceLength(s, i);
    i += len == 0 ? 1 : len;
    ++count;
  }
  return count;
}

}  // namespace nrv::text
