#include "services/text_lines.h"

namespace nrv {

std::vector<std::string> SplitLines(const std::string& text, size_t start) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

}  // namespace nrv
