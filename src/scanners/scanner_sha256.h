#pragma once
#include "engine/comparison_preparer.h"
#include "scanners/scanner_local.h"

namespace nrv {

// Mode 0: files of equal size whose SHA-256 digests are equal.
class TScannerSHA256 : public TScannerLocal, public IComparisonPreparer {
 public:
  using TScannerLocal::TScannerLocal;
  int CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) override;
  TSettingsInfo GetSettingsInfo() override;
  TScannerFeatures SupportedFeatures() override;
  // Computes, in parallel, the first-block digests of the items that share their
  // size (and names, when asked), then the whole-file digests of those whose
  // first-block digest is shared, taking the cache in batches.
  void PrepareComparison(const std::vector<IFileInfoPtr>& files,
                         IPrepareProgress& progress) override;

 protected:
  IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) override;
};

}  // namespace nrv
