#pragma once
#include <string>

namespace nrv::platform {

// Moving and copying files without ever replacing what stands at the target: a
// name that is taken makes the operation fail and leaves both files as they were.

// Renames from to to unless an entry named to exists (renameat2 with
// RENAME_NOREPLACE; on a file system that lacks it, link + unlink, or a rename
// after checking the target). False with errno set on failure.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Copies the regular file from to the new file to (created exclusively), with
// the mode and the access and modification times of from. A symbolic link from is
// followed. Throws std::system_error; a partial target is removed.
void CopyFileNoReplace(const std::string& from, const std::string& to);

// Moves the entry from to to: a rename on one file system, across file systems a
// copy followed by the removal of from (a symbolic link is recreated, not
// followed). Either the entry is at to afterwards and from is gone, or nothing
// changed. Throws std::system_error.
void MoveFileNoReplace(const std::string& from, const std::string& to);

// Creates folder with all missing parents. Throws std::system_error.
void ForceDirectories(const std::string& folder);

}  // namespace nrv::platform
