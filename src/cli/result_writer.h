#pragma once
#include <ostream>
#include <string>

#include "engine/scan_engine.h"

namespace nrv::cli {

// Text: one group after another, a blank line between groups, one full path per line.
void WriteTextResults(std::ostream& out, TScanEngine& engine);
// JSON: the statistics and the groups with their members.
void WriteJsonResults(std::ostream& out, TScanEngine& engine, const std::string& mode);
// A JSON string literal of UTF-8 text (invalid bytes become U+FFFD).
std::string JsonString(const std::string& s);

}  // namespace nrv::cli
