#pragma once
#include "scanners/scanner_local.h"

namespace nrv {

// Mode 0: files of equal size whose SHA-256 digests are equal.
class TScannerSHA256 : public TScannerLocal {
 public:
  using TScannerLocal::TScannerLocal;
  int CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) override;
  TSettingsInfo GetSettingsInfo() override;
  TScannerFeatures SupportedFeatures() override;

 protected:
  IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) override;
};

}  // namespace nrv
