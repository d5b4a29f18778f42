#pragma once
#include "scanners/file_sha256.h"
#include "scanners/scanner_sha256.h"

namespace nrv {

// An item of the folder comparison: master items come from the include folders
// and can never be checked for an action.
class TFileMaster : public TFileSHA256 {
 public:
  TFileMaster(TLocalFolderPtr folder, const TLocalEntryInfo& entry, bool master)
      : TFileSHA256(std::move(folder), entry), FMaster(master) {}
  bool Master() const { return FMaster; }
  void SetMaster(bool value) { FMaster = value; }
  TAttributeValue GetAttributeValue(TSupportedAttribute attr) const override;
  void SetChecked(bool value) override;

 private:
  bool FMaster;
};

// Mode 5: files of the compared folders that equal a file of the master folders.
class TScannerMaster : public TScannerSHA256 {
 public:
  using TScannerSHA256::TScannerSHA256;
  TSettingsInfo GetSettingsInfo() override;
  std::vector<TSupportedAttribute> SupportedAttributes() override;
  bool ScanExcludedFolders() override { return true; }
  // Keeps only the groups that mix master and compared files.
  void ProcessGroups(std::vector<TGroupPtr>& groups, std::vector<IFileInfoPtr>& files,
                     TScanProgressInfo& progress) override;

 protected:
  IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) override;
};

}  // namespace nrv
