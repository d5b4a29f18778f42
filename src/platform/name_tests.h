#pragma once
#include <string>

namespace nrv::platform {

// Tests on the text of a path alone; they never touch the file system.

// The last name (of a file, or of a folder given with or without trailing "/")
// starts with "."; the root "/" and the names "." and ".." are never hidden.
bool IsHiddenPath(const std::string& path);

// The path lies in a trash folder of the freedesktop.org layout: the home trash
// (".local/share/Trash/", or "Trash/" in $XDG_DATA_HOME) or the trash of another
// volume (".Trash-<uid>/" or ".Trash/"). Letter case is ignored.
bool IsTrashPath(const std::string& path);

// The file name, lower-cased, matches "*.tmp*" or "*.~*", or ends in "~"
// (the backup copies editors leave behind).
bool IsTempFilePath(const std::string& path);

}  // namespace nrv::platform
