#include "scanners/scanner_master.h"

#include <algorithm>
#include <unordered_set>

#include "engine/scan_engine.h"

namespace nrv {

TAttributeValue TFileMaster::GetAttributeValue(TSupportedAttribute attr) const {
  if (attr == TSupportedAttribute::atMaster) return FMaster;
  return TFileSHA256::GetAttributeValue(attr);
}

void TFileMaster::SetChecked(bool value) {
  if (FMaster) return;
  TFileSHA256::SetChecked(value);
}

IFileInfoPtr TScannerMaster::CreateFileItem(const TLocalFolderPtr& folder,
                                            const TLocalEntryInfo& entry) {
  return std::make_shared<TFileMaster>(folder, entry, engine_.IsScanningMaster());
}

TSettingsInfo TScannerMaster::GetSettingsInfo() {
  auto info = TScannerLocal::GetSettingsInfo();
  info.SectionName = "FolderComparison.Settings";
  info.DataSectionName = "FolderComparison.Settings.Data";
  return info;
}

std::vector<TSupportedAttribute> TScannerMaster::SupportedAttributes() {
  auto a = TScannerSHA256::SupportedAttributes();
  a.push_back(TSupportedAttribute::atMaster);
  return a;
}

void TScannerMaster::ProcessGroups(std::vector<TGroupPtr>& groups,
                                   std::vector<IFileInfoPtr>& files,
                                   TScanProgressInfo& progress) {
  std::unordered_set<const IFileInfo*> dropped;
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
    const auto& members = (*it)->Files();
    auto masters = std::count_if(members.begin(), members.end(), [](const auto& f) {
      auto v = f->GetAttributeValue(TSupportedAttribute::atMaster);
      return std::holds_alternative<bool>(v) && std::get<bool>(v);
    });
    if (masters != 0 && masters != static_cast<std::ptrdiff_t>(members.size())) continue;
    for (size_t i = 0; i < members.size(); ++i) {
      if (i > 0) {
        --progress.DuplicateFiles;
        progress.DuplicatesSize -= members[i]->GetSize();
      }
      dropped.insert(members[i].get());
    }
    it->reset();
  }
  groups.erase(std::remove(groups.begin(), groups.end(), nullptr), groups.end());
  files.erase(std::remove_if(files.begin(), files.end(),
                             [&](const auto& f) { return dropped.count(f.get()) > 0; }),
              files.end());
  for (size_t i = 0; i < groups.size(); ++i) groups[i]->SetGroupNo(static_cast<int32_t>(i + 1));
}

}  // namespace nrv
