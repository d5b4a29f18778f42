#include "platform/file_attributes.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/path_forms.h"
#include "services/app_log.h"

namespace nrv::platform {

void ResetReadOnly(const std::string& path) {
  const std::string entry = ExcludeTrailingSeparator(path);
  struct stat st {};
  if (entry.empty() || lstat(entry.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return;
  if (st.st_mode & S_IWUSR) return;
  try {
    if (chmod(entry.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
      throw std::system_error(errno, std::generic_category(), entry);
    }
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to reset readonly attribute for file " + ToDisplayPath(path),
                               e);
  }
}

}  // namespace nrv::platform
