#include "platform/file_tests.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/mount_table.h"
#include "platform/path_forms.h"

namespace nrv::platform {

namespace {

bool LStat(const std::string& path, struct stat& st) {
  const std::string entry = ExcludeTrailingSeparator(path);
  return !entry.empty() && lstat(entry.c_str(), &st) == 0;
}

bool IsListedMountPoint(const std::string& folder) {
  const auto mounts = CurrentMounts();
  auto listed = [&](const std::string& p) {
    for (const auto& e : *mounts) {
      if (e.mount_point == p) return true;
    }
    return false;
  };
  if (listed(folder)) return true;
  // The table holds resolved paths; the folder may have been reached through a
  // link or a relative path.
  std::unique_ptr<char, decltype(&std::free)> real(realpath(folder.c_str(), nullptr), &std::free);
  return real && std::string(real.get()) != "/" && listed(real.get());
}

}  // namespace

bool IsCompressedPath(const std::string& path) {
  struct stat st {};
  if (!LStat(path, st) || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) return false;
  const std::string entry = ExcludeTrailingSeparator(path);
  const int fd = open(entry.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;  // the kernel reads and writes an int here, whatever the macro says
  const bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  close(fd);
  return ok && (flags & FS_COMPR_FL) != 0;
}

bool IsSymLinkPath(const std::string& path) {
  struct stat st {};
  return LStat(path, st) && S_ISLNK(st.st_mode);
}

bool IsJunctionPath(const std::string& path) {
  const std::string folder = ExcludeTrailingSeparator(path);
  struct stat st {};
  if (folder == "/" || !LStat(folder, st) || !S_ISDIR(st.st_mode)) return false;
  struct stat parent {};
  if (stat((folder + "/..").c_str(), &parent) == 0 && parent.st_dev != st.st_dev) return true;
  // A bind mount of a folder of the same file system keeps the device number.
  return IsListedMountPoint(folder);
}

bool IsHardLinkFile(const std::string& path) {
  struct stat st {};
  return LStat(path, st) && S_ISREG(st.st_mode) && st.st_nlink > 1;
}

bool IsSystemFile(const std::string& path) {
  struct stat st {};
  if (!LStat(path, st)) return false;
  if (S_ISLNK(st.st_mode) && stat(ExcludeTrailingSeparator(path).c_str(), &st) != 0) {
    return false;  // a dangling link: opening it fails, it cannot block
  }
  return !S_ISREG(st.st_mode);
}

}  // namespace nrv::platform
