#pragma once
#include <string>

namespace nrv::platform {

// Replaces the file link by a symbolic link to original (the target stored as
// an absolute path). While the link is made the file waits beside it as
// link + ".slt"; when making the link fails it gets its name back, so the file is
// never lost. True when link points to original afterwards (also when it did
// already). Refuses when original does not exist, when original is reached
// through link itself (the link would point at nothing), and when the backup name
// is taken. Failures are logged.
bool CreateFileSymLink(const std::string& original, const std::string& link);

}  // namespace nrv::platform
