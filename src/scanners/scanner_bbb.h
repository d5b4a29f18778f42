#pragma once
#include <cstdint>

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

 private:
  uint32_t FHash = 0;
};

// Mode 1: files of equal size whose bytes are equal.
class TScannerBBB : public TScannerLocal {
 public:
  using TScannerLocal::TScannerLocal;
  int CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) override;
  TSettingsInfo GetSettingsInfo() override;

 protected:
  IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) override;
};

}  // namespace nrv
