#include "platform/path_forms.h"

namespace nrv::platform {

std::string ToDisplayPath(const std::string& path) {
  return path;
}

std::string IncludeTrailingSeparator(const std::string& path) {
  if (path.empty() || path.back() == '/') return path;
  return path + '/';
}

std::string ExcludeTrailingSeparator(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  return path.substr(0, end);
}

std::string ExtractFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return name.substr(dot);
}

}  // namespace nrv::platform
