#include "engine/file_mask.h"

#include "services/text.h"

namespace nrv {

namespace {

// Matches the set starting at p[i] == '[' against c; moves i past the set.
// A "[" without its "]" is an ordinary character.
bool MatchSet(const std::u32string& p, size_t& i, char32_t c, bool& ok) {
  size_t j = i + 1;
  bool negate = j < p.size() && (p[j] == U'!' || p[j] == U'^');
  if (negate) ++j;
  bool hit = false;
  bool first = true;
  while (j < p.size() && (p[j] != U']' || first)) {
    first = false;
    char32_t lo = p[j];
    if (j + 2 < p.size() && p[j + 1] == U'-' && p[j + 2] != U']') {
      if (lo <= c && c <= p[j + 2]) hit = true;
      j += 3;
    } else {
      if (lo == c) hit = true;
      ++j;
    }
  }
  if (j >= p.size()) {
    ok = false;  // no closing bracket
    return false;
  }
  ok = true;
  i = j + 1;
  return hit != negate;
}

bool Match(const std::u32string& p, const std::u32string& t) {
  // Iterative matching with backtracking to the last "*": linear in practice and
  // never exponential.
  size_t pi = 0, ti = 0, star_p = std::u32string::npos, star_t = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi] == U'*') {
      star_p = pi++;
      star_t = ti;
      continue;
    }
    if (pi < p.size()) {
      if (p[pi] == U'?') {
        ++pi;
        ++ti;
        continue;
      }
      if (p[pi] == U'[') {
        size_t next = pi;
        bool ok = false;
        bool hit = MatchSet(p, next, t[ti], ok);
        if (ok && hit) {
          pi = next;
          ++ti;
          continue;
        }
        if (!ok && t[ti] == U'[') {
          ++pi;
          ++ti;
          continue;
        }
      } else if (p[pi] == t[ti]) {
        ++pi;
        ++ti;
        continue;
      }
    }
    if (star_p == std::u32string::npos) return false;
    pi = star_p + 1;
    ti = ++star_t;
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

}  // namespace

bool MatchesFileMask(const std::string& mask, const std::string& name) {
  if (mask == "*.*") return true;
  return Match(text::FoldedCodePoints(mask), text::FoldedCodePoints(name));
}

bool MatchesAnyFileMask(const std::string& masks, const std::string& name) {
  size_t start = 0;
  while (start <= masks.size()) {
    size_t end = masks.find(';', start);
    if (end == std::string::npos) end = masks.size();
    std::string mask = masks.substr(start, end - start);
    // Masks typed by hand often carry spaces around the separators.
    while (!mask.empty() && mask.front() == ' ') mask.erase(mask.begin());
    while (!mask.empty() && mask.back() == ' ') mask.pop_back();
    if (!mask.empty() && MatchesFileMask(mask, name)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace nrv
