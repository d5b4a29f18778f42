#pragma once
#include <string>

namespace nrv::platform {

// Tests that read the entry's status from the file system. A path whose status
// cannot be read tests false. A trailing "/" of a folder path is ignored, so
// that the entry itself is examined and not what a link points to.

// The file or folder carries the file system's compression flag (btrfs, ext with
// compression...). Only regular files and folders are opened, without following a
// link and without blocking.
bool IsCompressedPath(const std::string& path);

// The entry is a symbolic link (to a file or a folder).
bool IsSymLinkPath(const std::string& path);

// The entry is a folder on which another file system (or a bind mount) is
// mounted. The root "/" is not.
bool IsJunctionPath(const std::string& path);

// The entry is a regular file with more than one name (hard link count above 1).
bool IsHardLinkFile(const std::string& path);

// The entry is not a regular file: a device, FIFO, socket or folder. A symbolic
// link is judged by what it points to, since reading a link to a FIFO blocks
// just as the FIFO does. Such entries must never have their content read.
bool IsSystemFile(const std::string& path);

}  // namespace nrv::platform
