#pragma once
#include <string>
#include <vector>

namespace nrv {

// The lines of a text from `start` on; CR LF, a lone CR and a lone LF each end a
// line. A last line without an ending counts when it is not empty.
std::vector<std::string> SplitLines(const std::string& text, size_t start = 0);

}  // namespace nrv
