#pragma once
#include <string>

namespace nrv::platform {

// The desktop trash (the freedesktop.org layout): a trash folder holds files/NAME,
// the trashed entry, and info/NAME.trashinfo, where it came from and when.
//
// A file on the file system of $XDG_DATA_HOME goes to $XDG_DATA_HOME/Trash/. A
// file elsewhere goes to the trash at the top of its own file system:
// $topdir/.Trash/$uid/ when $topdir/.Trash is a real folder with the sticky bit,
// else $topdir/.Trash-$uid/. Entries are only ever renamed into a trash, never
// copied across file systems, and never deleted for want of a trash.

// The trash folder (with trailing "/") that the entry path would be moved to,
// created or not; "" when the entry does not exist or no trash can be used.
std::string TrashFolderFor(const std::string& path);

// Moves the entry path into its trash. True with trash_name set to the path of
// the entry in files/; also true, with trash_name empty, when there is no entry
// at path. False (logged, errno set) when no trash could take it: the entry then
// stays where it is.
bool MoveFileToTrash(const std::string& path, std::string& trash_name);

// Moves the trashed entry trash_path (files/NAME of a trash) back to
// original_path, creating missing folders, and removes its .trashinfo record.
// Fails, leaving both alone, when something stands at original_path. Logged.
bool RestoreFromTrash(const std::string& trash_path, const std::string& original_path);

// The Path value of a .trashinfo record: every byte but the unreserved
// characters and "/" as %XX, so that any file name survives.
std::string EncodeTrashInfoPath(const std::string& path);

}  // namespace nrv::platform
