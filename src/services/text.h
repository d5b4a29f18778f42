#pragma once
#include <string>

namespace nrv::text {

// The one place where Unicode-aware text handling happens. Input is UTF-8;
// bytes that are not valid UTF-8 (a Linux file name need not be) are kept and
// compared as they are, never dropped.

// Full Unicode case folding (for comparisons without regard to letter case).
std::string FoldCase(const std::string& s);
// Unicode lower-casing (root locale).
std::string ToLower(const std::string& s);
std::string ToUpper(const std::string& s);
// <0, 0, >0 comparing the folded forms.
int CompareNoCase(const std::string& a, const std::string& b);
bool EqualsNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& s, const std::string& prefix);
// Locale-aware comparison for sorting texts shown to the user (the user's collation).
int CompareLocale(const std::string& a, const std::string& b);
bool IsValidUtf8(const std::string& s);
// The code points of s, each case-folded (simple folding), for matchers that
// work character by character. A byte that is not part of valid UTF-8 becomes
// 0xDC00 + byte, so it still matches only itself.
std::u32string FoldedCodePoints(const std::string& s);
// Number of code points (invalid bytes count one each).
size_t CodePointCount(const std::string& s);

}  // namespace nrv::text
