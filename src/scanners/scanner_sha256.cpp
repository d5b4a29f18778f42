#include "scanners/scanner_sha256.h"

#include "engine/scan_engine.h"
#include "scanners/comparison_steps.h"
#include "scanners/file_sha256.h"
#include "services/text.h"

namespace nrv {

IFileInfoPtr TScannerSHA256::CreateFileItem(const TLocalFolderPtr& folder,
                                            const TLocalEntryInfo& entry) {
  return std::make_shared<TFileSHA256>(folder, entry);
}

int TScannerSHA256::CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) {
  auto* l = dynamic_cast<TFileSHA256*>(left.get());
  auto* r = dynamic_cast<TFileSHA256*>(right.get());
  if (!l || !r) return l ? -1 : (r ? 1 : 0);
  int c = CompareSizeAndNames(*l, *r, engine_.ScanSettings());
  if (c != 0) return c;
  // Digests are lower-case hexadecimal, or a path standing for an unreadable file.
  c = l->GetShortHash(engine_).compare(r->GetShortHash(engine_));
  if (c != 0) return c < 0 ? -1 : 1;
  c = l->GetFullHash(engine_).compare(r->GetFullHash(engine_));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

TSettingsInfo TScannerSHA256::GetSettingsInfo() {
  auto info = TScannerLocal::GetSettingsInfo();
  info.SectionName = "SHA256.Settings";
  info.DataSectionName = "SHA256.Settings.Data";
  return info;
}

TScannerFeatures TScannerSHA256::SupportedFeatures() {
  auto f = TScannerLocal::SupportedFeatures();
  f.Include(TScannerFeature::sfCacheFileInfo);
  return f;
}

}  // namespace nrv
