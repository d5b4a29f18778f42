#include "platform/real_paths.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "platform/path_forms.h"

namespace nrv::platform {

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
  if (!cwd) throw std::system_error(errno, std::generic_category(), "getcwd");
  return IncludeTrailingSeparator(cwd.get()) + path;
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : std::string();
}

std::string RealEntryPath(const std::string& path) {
  const std::string abs = AbsolutePath(path);
  const std::string folder = RealPath(ExtractFilePath(abs));
  return folder.empty() ? std::string() : IncludeTrailingSeparator(folder) + ExtractFileName(abs);
}

}  // namespace nrv::platform
