#include "platform/special_folders.h"

#include <sys/stat.h>

#include "platform/drives.h"
#include "platform/folder_classes.h"
#include "platform/path_forms.h"
#include "platform/xdg_paths.h"

namespace nrv::platform {

namespace {

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string UserDirOrHome(const char* name) {
  std::string dir = XdgUserDir(name);
  return dir.empty() ? IncludeTrailingSeparator(HomeDir()) : dir;
}

}  // namespace

std::string GetDocumentsPath() {
  return UserDirOrHome("DOCUMENTS");
}
std::string GetVideosPath() {
  return UserDirOrHome("VIDEOS");
}
std::string GetMusicPath() {
  return UserDirOrHome("MUSIC");
}
std::string GetPicturesPath() {
  return UserDirOrHome("PICTURES");
}

std::string GetDesktopPath() {
  std::string dir = XdgUserDir("DESKTOP");
  return dir.empty() ? IncludeTrailingSeparator(HomeDir()) + "Desktop/" : dir;
}

std::vector<std::string> GetSystemExcludeFolders() {
  std::vector<std::string> list = {"/proc/", "/sys/", "/dev/", "/run/", "/boot/"};
  for (const auto& folder : AppFolders()) {
    if (FolderExists(folder)) list.push_back(folder);
  }
  list.emplace_back("*/lost+found");
  return list;
}

std::vector<std::string> ExpandSpecialFolder(const std::string& name) {
  if (name.empty()) return {};
  const std::string folder = IncludeTrailingSeparator(name);
  if (folder == GetDesktopPath()) return GetLocalDrives();
  if (FolderExists(folder)) return {folder};
  return {};
}

}  // namespace nrv::platform
