#include "platform/folder_classes.h"

#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/path_forms.h"
#include "platform/xdg_paths.h"

namespace nrv::platform {

namespace {

using TFolderList = std::vector<std::string>;

std::mutex g_mutex;
std::shared_ptr<const TFolderList> g_app_folders;
std::shared_ptr<const TFolderList> g_sys_folders;

TFolderList BuildAppFolders() {
  TFolderList folders = {XdgConfigHome(), XdgDataHome(),
                         IncludeTrailingSeparator(HomeDir()) + ".var/app/"};
  for (const char* f : {"/usr/", "/opt/", "/var/lib/", "/snap/"}) folders.emplace_back(f);
  return folders;
}

TFolderList BuildSysFolders() {
  return {"/proc/", "/sys/",  "/dev/", "/run/",   "/boot/",  "/etc/",
          "/bin/",  "/sbin/", "/lib/", "/lib32/", "/lib64/", "/libx32/"};
}

std::shared_ptr<const TFolderList> Cached(std::shared_ptr<const TFolderList>& slot,
                                          TFolderList (*build)()) {
  std::lock_guard lock(g_mutex);
  if (!slot) slot = std::make_shared<const TFolderList>(build());
  return slot;
}

bool IsUnder(const std::string& path, const std::string& folder) {
  // A variable set to "/" must not turn every path into a member of the class.
  if (folder.size() <= 1) return false;
  const std::string p = IncludeTrailingSeparator(path);
  return p.compare(0, folder.size(), folder) == 0;
}

bool IsUnderAny(const std::string& path, const TFolderList& folders) {
  for (const auto& f : folders) {
    if (IsUnder(path, f)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> AppFolders() {
  return *Cached(g_app_folders, BuildAppFolders);
}
std::vector<std::string> SysFolders() {
  return *Cached(g_sys_folders, BuildSysFolders);
}

void ResetFolderCaches() {
  std::lock_guard lock(g_mutex);
  g_app_folders.reset();
  g_sys_folders.reset();
}

bool IsTempFolderPath(const std::string& path) {
  TFolderList folders = {"/tmp/", "/var/tmp/", XdgCacheHome()};
  if (const char* tmp = std::getenv("TMPDIR"); tmp && tmp[0] == '/') {
    folders.push_back(IncludeTrailingSeparator(tmp));
  }
  return IsUnderAny(path, folders);
}

bool IsAppFolderPath(const std::string& path) {
  return IsUnderAny(path, *Cached(g_app_folders, BuildAppFolders));
}

bool IsSysFolderPath(const std::string& path) {
  return IsUnderAny(path, *Cached(g_sys_folders, BuildSysFolders));
}

}  // namespace nrv::platform
