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
  l->EnsureShortHash(engine_);
  r->EnsureShortHash(engine_);
  c = TFileSHA256::Compare(l->ShortDigest(), *l, r->ShortDigest(), *r);
  if (c != 0) return c;
  l->EnsureFullHash(engine_);
  r->EnsureFullHash(engine_);
  return TFileSHA256::Compare(l->FullDigest(), *l, r->FullDigest(), *r);
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
