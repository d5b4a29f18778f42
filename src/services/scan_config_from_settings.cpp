#include "services/scan_config_from_settings.h"

#include <algorithm>
#include <cmath>

namespace nrv {

namespace {

// A size limit from the value and its unit index (0 B, 1 KB, 2 MB, 3 GB).
int64_t LimitBytes(float value, int32_t index) {
  auto whole = static_cast<int64_t>(std::floor(std::max(0.0f, value)));
  return whole << (10 * std::clamp(index, 0, 3));
}

}  // namespace

TScanConfig ScanConfigFromSettings(const TAppSettings& s) {
  TScanConfig c;
  const auto& limits = s.ScanSettings();
  c.MaxFileSize = limits.FCheckMaxFileSize ? LimitBytes(limits.FMaxFileSizeValue, limits.FMaxFileSizeIndex) : -1;
  c.MinFileSize = limits.FCheckMinFileSize ? LimitBytes(limits.FMinFileSizeValue, limits.FMinFileSizeIndex) : -1;
  c.SkipSysAppFolders = s.SkipSysAppFolders();
  c.SkipJunctionPoints = s.SkipJunctionPoints();
  c.SkipTemporary = s.SkipTemporary();
  c.SkipTrash = s.SkipTrash();
  c.SkipSymbolicLinks = s.SkipSymbolicLinks();
  c.SkipHardLinks = s.SkipHardLinks();
  c.SkipZeroSize = s.SkipZeroSize();
  c.SkipSysFiles = s.SkipSysFiles();
  c.SkipCompressed = s.SkipCompressed();
  c.IncludeHidden = s.IncludeHidden();
  c.IncludeFileName = s.IncludeFileName();
  c.IncludeExtension = s.IncludeExtension();
  c.RemoveEmptyFolders = s.RemoveEmptyFolders();
  c.RemoveEmptyFiles = s.RemoveEmptyFiles();
  c.ScanSubdirectories = s.ScanSubdirectories();
  c.ExcludeContainer = s.ExcludeContainer();
  c.CacheFileInfo = s.CacheFileInfo();
  c.IgnoreList = s.IgnoreList();
  c.MusicScanSettings = limits.FMusicScanInfo;
  c.EmailScanSettings = limits.FEmailScanInfo;
  return c;
}

}  // namespace nrv
