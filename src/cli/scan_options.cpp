#include "cli/scan_options.h"

#include <cmath>
#include <stdexcept>

namespace nrv::cli {

int ScanModeOf(const std::string& name) {
  if (name == "sha256") return 0;
  if (name == "bytes") return 1;
  if (name == "name") return 2;
  if (name == "folders") return 5;
  return -1;
}

int64_t ParseSize(const std::string& text) {
  if (text.empty()) throw std::invalid_argument("empty size");
  size_t used = 0;
  double value = std::stod(text, &used);
  std::string suffix = text.substr(used);
  double factor = 1;
  if (suffix == "K" || suffix == "k") factor = 1024.0;
  else if (suffix == "M" || suffix == "m") factor = 1024.0 * 1024;
  else if (suffix == "G" || suffix == "g") factor = 1024.0 * 1024 * 1024;
  else if (!suffix.empty()) throw std::invalid_argument("unknown size suffix '" + suffix + "'");
  if (value < 0 || !std::isfinite(value)) throw std::invalid_argument("size out of range");
  return static_cast<int64_t>(value * factor);
}

void ApplyScanOptions(const TScanOptions& o, TScanConfig& c) {
  c.IncludePaths = o.folders;
  c.ExcludePaths = o.exclude;
  if (!o.min_size.empty()) c.MinFileSize = ParseSize(o.min_size);
  if (!o.max_size.empty()) c.MaxFileSize = ParseSize(o.max_size);
  if (!o.include_masks.empty()) c.IncludeMasks = o.include_masks;
  if (!o.exclude_masks.empty()) c.ExcludeMasks = o.exclude_masks;
  if (o.ignore_given) c.IgnoreList = o.ignore;
  if (o.no_subdirs) c.ScanSubdirectories = false;
  if (o.exclude_container) c.ExcludeContainer = true;
  if (o.skip_hidden) c.IncludeHidden = false;
  if (o.skip_zero) c.SkipZeroSize = true;
  if (o.skip_hardlinks) c.SkipHardLinks = true;
  if (o.skip_temporary) c.SkipTemporary = true;
  if (o.skip_mount_points) c.SkipJunctionPoints = true;
  if (o.skip_compressed) c.SkipCompressed = true;
  if (o.scan_trash) c.SkipTrash = false;
  if (o.scan_system) {
    c.SkipSysAppFolders = false;
    c.SkipSysFiles = false;
  }
  if (o.match_name) c.IncludeFileName = true;
  if (o.match_extension) c.IncludeExtension = true;
  if (o.no_cache) c.CacheFileInfo = false;
}

}  // namespace nrv::cli
