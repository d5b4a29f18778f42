#pragma once
#include <cstdint>

#include "engine/comparison_preparer.h"
#include "scanners/scanner_local.h"

namespace nrv {

// A file compared byte by byte. FHash is the running CRC-32 once the file has
// been read to its end by a comparison (0 until then).
class TFileBBB : public TLocalFile {
 public:
  using TLocalFile::TLocalFile;
  bool IsReady() const override { return FHash != 0; }
  uint32_t Hash() const { return FHash; }
  void SetHash(uint32_t value) { FHash = value; }
  // Files read together to their end and found equal share a content class;
  // 0 until the file has been classed.
  uint64_t ContentClass() const { return content_class_; }
  void SetContentClass(uint64_t value) { content_class_ = value; }

 private:
  uint32_t FHash = 0;
  uint64_t content_class_ = 0;
};

// Mode 1: files of equal size whose bytes are equal.
class TScannerBBB : public TScannerLocal, public IComparisonPreparer {
 public:
  using TScannerLocal::TScannerLocal;
  int CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) override;
  TSettingsInfo GetSettingsInfo() override;
  // Reads the files of each set of candidates in step, block by block, splitting
  // the set as contents diverge, so that each file is read at most once.
  void PrepareComparison(const std::vector<IFileInfoPtr>& files,
                         IPrepareProgress& progress) override;

 protected:
  IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) override;
};

}  // namespace nrv
