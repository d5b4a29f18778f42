#include "platform/name_tests.h"

#include "platform/path_forms.h"
#include "platform/xdg_paths.h"

namespace nrv::platform {

namespace {

// The markers are ASCII, so lowering ASCII letters is enough and leaves every
// other byte (also invalid UTF-8) as it is.
std::string AsciiLower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool HasUidTrash(const std::string& lower) {
  const std::string marker = "/.trash-";
  for (size_t pos = lower.find(marker); pos != std::string::npos;
       pos = lower.find(marker, pos + 1)) {
    size_t i = pos + marker.size();
    const size_t digits_start = i;
    while (i < lower.size() && lower[i] >= '0' && lower[i] <= '9') ++i;
    if (i > digits_start && i < lower.size() && lower[i] == '/') return true;
  }
  return false;
}

}  // namespace

bool IsHiddenPath(const std::string& path) {
  const std::string name = ExtractFileName(ExcludeTrailingSeparator(path));
  if (name.empty() || name == "." || name == "..") return false;
  return name[0] == '.';
}

bool IsTrashPath(const std::string& path) {
  const std::string lower = AsciiLower(path);
  if (lower.find("/.local/share/trash/") != std::string::npos) return true;
  if (lower.find("/.trash/") != std::string::npos) return true;
  if (HasUidTrash(lower)) return true;
  const std::string home_trash = AsciiLower(XdgDataHome() + "Trash/");
  return lower.compare(0, home_trash.size(), home_trash) == 0;
}

bool IsTempFilePath(const std::string& path) {
  const std::string name = AsciiLower(ExtractFileName(path));
  if (name.empty()) return false;
  return name.find(".tmp") != std::string::npos || name.find(".~") != std::string::npos ||
         name.back() == '~';
}

}  // namespace nrv::platform
