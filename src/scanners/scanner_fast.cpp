#include "scanners/scanner_fast.h"

#include "engine/scan_engine.h"
#include "scanners/comparison_steps.h"

namespace nrv {

IFileInfoPtr TScannerFAST::CreateFileItem(const TLocalFolderPtr& folder,
                                          const TLocalEntryInfo& entry) {
  return std::make_shared<TLocalFile>(folder, entry);
}

int TScannerFAST::CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) {
  return CompareNames(*left, *right, true, engine_.ScanSettings().IncludeExtension);
}

TSettingsInfo TScannerFAST::GetSettingsInfo() {
  auto info = TScannerLocal::GetSettingsInfo();
  info.SectionName = "FAST.Settings";
  info.DataSectionName = "FAST.Settings.Data";
  return info;
}

TScannerFeatures TScannerFAST::SupportedFeatures() {
  auto f = TScannerLocal::SupportedFeatures();
  f.Exclude(TScannerFeature::sfIncludeFileName);
  return f;
}

}  // namespace nrv
