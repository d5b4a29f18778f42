#pragma once
#include <string>

namespace nrv::platform {

// Gives the owner write permission (u+w) to a file or folder whose mode can be
// read, so that it can be moved or replaced. A symbolic link is left alone: its
// own mode means nothing, and changing its target would alter a file the user
// did not act on. A failure is logged, never raised.
void ResetReadOnly(const std::string& path);

}  // namespace nrv::platform
