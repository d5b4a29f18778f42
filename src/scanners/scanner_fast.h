#pragma once
#include "scanners/scanner_local.h"

namespace nrv {

// Mode 2: files whose names are equal (sizes and content are not looked at).
class TScannerFAST : public TScannerLocal {
 public:
  using TScannerLocal::TScannerLocal;
  bool ExactMatch() override { return false; }
  int CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) override;
  TSettingsInfo GetSettingsInfo() override;
  TScannerFeatures SupportedFeatures() override;

 protected:
  IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) override;
};

}  // namespace nrv
