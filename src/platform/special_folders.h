#pragma once
#include <string>
#include <vector>

namespace nrv::platform {

// The user's standard folders from the XDG user-dirs configuration
// ($XDG_CONFIG_HOME/user-dirs.dirs), else the home folder; each ends with "/".
std::string GetDocumentsPath();
std::string GetVideosPath();
std::string GetMusicPath();
std::string GetPicturesPath();
// The desktop folder, else ~/Desktop/.
std::string GetDesktopPath();

// The default ignore list: folders never scanned. Kernel and boot folders, the
// application folders that exist, and last the mask "*/lost+found".
std::vector<std::string> GetSystemExcludeFolders();

// What a folder chosen by the user stands for: the desktop folder stands for all
// local drives (GetLocalDrives); any other existing folder for itself (with
// trailing "/"); anything else for nothing.
std::vector<std::string> ExpandSpecialFolder(const std::string& name);

}  // namespace nrv::platform
