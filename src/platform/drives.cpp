#include "platform/drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <algorithm>

#include "platform/mount_table.h"
#include "platform/path_forms.h"

namespace nrv::platform {

std::string GetDisplayDrive(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  const auto mounts = CurrentMounts();
  const TMountEntry* e = FindMountEntry(*mounts, path);
  // Every absolute path lies below the root, even when /proc cannot be read.
  return e ? e->mount_point : std::string("/");
}

bool IsLocalPath(const std::string& path) {
  return IsLocalPathIn(*CurrentMounts(), path);
}

bool IsLocalPathIn(const TMountList& mounts, const std::string& path) {
  // The text of the path first: this never touches the file system, so a share
  // whose server is gone cannot block the answer.
  if (const TMountEntry* e = FindMountEntry(mounts, path); e && IsNetworkFileSystem(*e)) {
    return false;
  }
  // A symbolic link on the way may lead onto a share the text does not show;
  // the device of the path itself tells.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return true;
  for (const auto& e : mounts) {
    if (e.major == major(st.st_dev) && e.minor == minor(st.st_dev) && IsNetworkFileSystem(e)) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> GetLocalDrives() {
  std::vector<std::string> drives;
  const auto mounts = CurrentMounts();
  for (const auto& e : *mounts) {
    if (IsPseudoFileSystem(e) || IsNetworkFileSystem(e)) continue;
    struct stat st {};
    // Containers bind single files (/etc/hosts...) as mounts; only folders are drives.
    if (stat(e.mount_point.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    struct statvfs vfs {};
    if (statvfs(e.mount_point.c_str(), &vfs) != 0 || vfs.f_blocks == 0) continue;
    drives.push_back(IncludeTrailingSeparator(e.mount_point));
  }
  std::sort(drives.begin(), drives.end());
  drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
  return drives;
}

}  // namespace nrv::platform
