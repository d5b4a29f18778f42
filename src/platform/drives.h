#pragma once
#include <string>
#include <vector>

#include "platform/mount_table.h"

namespace nrv::platform {

// The mount point that holds path (by its text, so that it is always a prefix of
// path), without a trailing "/" except for the root "/". "" for a relative path.
std::string GetDisplayDrive(const std::string& path);

// False when the path lies on a network file system (NFS, SMB, sshfs...), true
// otherwise, also for a path that does not exist.
bool IsLocalPath(const std::string& path);
// The same against a given mount table.
bool IsLocalPathIn(const TMountList& mounts, const std::string& path);

// The mount points of the mounted drives that hold user data: no kernel or memory
// file systems, no network shares, only folders with a non-zero size. Each ends
// with "/"; sorted, without repeats.
std::vector<std::string> GetLocalDrives();

}  // namespace nrv::platform
