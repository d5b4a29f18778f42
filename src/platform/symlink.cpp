#include "platform/symlink.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/file_copy.h"
#include "platform/path_forms.h"
#include "platform/real_paths.h"
#include "services/app_log.h"

namespace nrv::platform {

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& what) {
  throw std::system_error(err, std::generic_category(), what);
}

std::string ReadLinkTarget(const std::string& path) {
  std::vector<char> buf(PATH_MAX + 1);
  ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
  if (n < 0 || static_cast<size_t>(n) >= buf.size()) return {};
  return std::string(buf.data(), static_cast<size_t>(n));
}

}  // namespace

bool CreateFileSymLink(const std::string& original, const std::string& link) {
  try {
    const std::string target = AbsolutePath(original);
    struct stat orig_st {};
    if (stat(target.c_str(), &orig_st) != 0) ThrowErrno(errno, "original " + original);

    struct stat link_st {};
    if (lstat(link.c_str(), &link_st) != 0) {
      if (errno != ENOENT) ThrowErrno(errno, "link " + link);
      if (symlink(target.c_str(), link.c_str()) != 0) ThrowErrno(errno, "symlink " + link);
      return true;
    }
    if (S_ISLNK(link_st.st_mode) && ToDisplayPath(ReadLinkTarget(link)) == ToDisplayPath(target)) {
      return true;
    }
    if (S_ISDIR(link_st.st_mode)) ThrowErrno(EISDIR, link);
    // When the original resolves to the very entry being replaced (it is a link
    // to it, or lies below a linked folder that leads here), the new link would
    // point at itself and the data would be gone.
    if (RealPath(target) == RealEntryPath(link)) {
      ThrowErrno(ELOOP, "the original is the file itself: " + original);
    }

    const std::string backup = link + ".slt";
    if (!RenameNoReplace(link, backup)) ThrowErrno(errno, "backup " + backup);
    if (symlink(target.c_str(), link.c_str()) != 0) {
      const int err = errno;
      if (!RenameNoReplace(backup, link)) {
        AppLog().WriteLog("Failed to restore " + link + " from " + backup, 1);
      }
      ThrowErrno(err, "symlink " + link);
    }
    if (unlink(backup.c_str()) != 0) {
      AppLog().WriteLog("Failed to remove " + backup, 2);
    }
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to create symlink " + original + " -> " + link, e);
    return false;
  }
}

}  // namespace nrv::platform
