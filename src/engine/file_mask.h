#pragma once
#include <string>

namespace nrv {

// File-name masks: "*.*" matches every name; otherwise "*" matches any run of
// characters, "?" one character, "[abc]" or "[a-z]" one character of a set
// ("[!...]" or "[^...]" outside it). Letter case is ignored.
bool MatchesFileMask(const std::string& mask, const std::string& name);
// Masks separated by ";"; empty masks are ignored. False when no mask matches
// (so a list with no non-empty mask matches nothing).
bool MatchesAnyFileMask(const std::string& masks, const std::string& name);

}  // namespace nrv
