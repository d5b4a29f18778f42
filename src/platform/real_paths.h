#pragma once
#include <string>

namespace nrv::platform {

// path made absolute against the current folder (text only, nothing resolved).
// Throws std::system_error when the current folder cannot be read.
std::string AbsolutePath(const std::string& path);
// realpath(3) of path: every link resolved; "" when it cannot be resolved.
std::string RealPath(const std::string& path);
// The entry's own path with its folder resolved but not the entry itself, which
// may be a link: "" when the folder cannot be resolved.
std::string RealEntryPath(const std::string& path);

}  // namespace nrv::platform
