// The engine's result groups: the file-type filter, statistics, sorting, the
// selection rules, the safety check and the removal of members from the results.
// Everything here runs on the thread that owns the windows, while no scan and no
// action runs (the scan thread calls the filter, the sort and rule 17 itself at
// the end of a scan).

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <variant>

#include "engine/file_category.h"
#include "engine/message_bus.h"
#include "engine/messages.h"
#include "engine/scan_engine.h"
#include "platform/path_forms.h"
#include "services/app_log.h"
#include "services/text.h"

namespace nrv {
namespace {

// The folder-comparison mode: its items know whether they lie in a master folder.
constexpr int kMasterScanMode = 5;

template <class F>
void Guarded(const char* failure_text, F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    AppLog().WriteLogException(failure_text, e);
  } catch (...) {
    AppLog().WriteLogException(failure_text);
  }
}

const char* RemovalFailureText(TResolveAction action) {
  switch (action) {
    case TResolveAction::raRemoveResolved:
      return "Failed to remove resolved from results";
    case TResolveAction::raClearResults:
      return "Failed to clear results";
    case TResolveAction::raRemoveByFileType:
      return "Failed to remove files by type from results";
    default:
      return "Failed to remove files by folder from results";
  }
}

// "In this folder and its subfolders". Display paths end with "/", so a prefix
// test keeps "/a/b/" from taking in "/a/bc/" and, unlike a substring test, also
// from taking in an unrelated "/x/a/b/".
bool IsInFolderTree(const std::string& display_path, const std::string& folder) {
  return !folder.empty() && display_path.compare(0, folder.size(), folder) == 0;
}

// ";text;" — one entry of a semicolon-delimited fact list. Built by appending
// (g++ 12 warns falsely about concatenating ";" + s + ";").
std::string Delimited(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 2);
  out += ';';
  out += s;
  out += ';';
  return out;
}

int Sign(int64_t a, int64_t b) {
  return (a > b) - (a < b);
}

std::vector<std::string> SplitNameList(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// Drops every name that another, different name of the list followed by a space
// begins (a copy named "photo (2)" or "photo copy" next to "photo").
std::string ReduceToOriginalNames(const std::string& list) {
  const std::vector<std::string> names = SplitNameList(list);
  std::string kept = ";";
  for (const auto& name : names) {
    bool is_copy = std::any_of(names.begin(), names.end(), [&](const std::string& other) {
      return other != name && name.size() > other.size() &&
             name.compare(0, other.size() + 1, other + " ") == 0;
    });
    if (!is_copy) kept += name + ";";
  }
  return kept;
}

}  // namespace

// --- the shown list ---

const std::vector<IFileInfoPtr>& TScanEngine::GetFiles() {
  return FFilteredFiles;
}

void TScanEngine::SetResults(std::vector<TGroupPtr> groups) {
  Guarded("Failed to set results", [&] {
    FCurrentItem.reset();  // it belonged to the results being replaced
    FFiles.clear();
    FGroupList = std::move(groups);
    std::erase(FGroupList, nullptr);
    for (const auto& group : FGroupList) {
      for (const auto& file : group->Files()) {
        if (file) FFiles.push_back(file);
      }
    }
  });
  ApplyFilter();
  UpdateSort();
  MessageBus().Publish(TResultSetChanged{});
}

void TScanEngine::ApplyFilter() {
  Guarded("Failed to apply file type filter", [&] {
    FFilteredFiles.clear();
    const bool all = FFilterCategory == TFileCategory::fcAllFiles;
    for (const auto& file : FFiles) {
      file->SetVisible(all || GetFileCategory(file) == FFilterCategory);
      if (file->IsVisible()) FFilteredFiles.push_back(file);  // removed members stay hidden
    }
    ResetGroupsInfo();
  });
}

void TScanEngine::SetFilterCategory(TFileCategory category) {
  if (category == FFilterCategory) return;
  FFilterCategory = category;
  ApplyFilter();
  UpdateSort();
  MessageBus().Publish(TResultSetChanged{});
}

TResultStats TScanEngine::GetResultStats() {
  TResultStats stats;
  Guarded("Failed to calculate results statistics", [&] {
    if (FFilterCategory != TFileCategory::fcAllFiles) {
      stats[FFilterCategory] = static_cast<int32_t>(FFilteredFiles.size());
      return;
    }
    for (const auto& file : FFilteredFiles) ++stats[GetFileCategory(file)];
  });
  return stats;
}

// --- sorting ---

void TScanEngine::UpdateSort() {
  SetStatus(TScanStatus::ssSorting, false);
  Guarded("Failed to update sort", [&] {
    IScannerPtr scanner = GetScanner();
    if (!scanner) return;
    const TSupportedAttribute attr = FSortAttribute;
    const bool descending = FSortOrder == TSortOrder::soDesc;
    // Each step only decides what the steps before left equal, so the order is a
    // strict weak one as long as the scanner's attribute order is.
    auto compare = [&](const IFileInfoPtr& left, const IFileInfoPtr& right) {
      int r = scanner->CompareAttributes(left, right, attr);
      if (r == 0 && attr != TSupportedAttribute::atName) {
        // Equal values put the larger name first.
        r = text::CompareNoCase(right->GetName(), left->GetName());
      }
      if (r == 0 && attr != TSupportedAttribute::atModified) {
        r = Sign(left->GetModified().ns, right->GetModified().ns);
      }
      if (r == 0) r = Sign(left->GetIndex(), right->GetIndex());
      if (descending) r = -r;
      return r < 0;
    };
    // Sorted on a copy: a comparison that throws half-way leaves the shown list whole.
    std::vector<IFileInfoPtr> sorted = FFilteredFiles;
    std::stable_sort(sorted.begin(), sorted.end(), compare);
    FFilteredFiles.swap(sorted);
  });
  SetStatus(TScanStatus::ssIdle, false);
}

void TScanEngine::SortResults(TSupportedAttribute attr, TSortOrder order) {
  if (attr == FSortAttribute && order == FSortOrder) return;
  Guarded("Failed to sort results", [&] {
    FSortAttribute = attr;
    FSortOrder = order;
    UpdateSort();
    MessageBus().Publish(TResultSetChanged{});
  });
}

// --- facts for the selection rules ---

void TScanEngine::ResetGroupsInfo() {
  FGroups.clear();
  FFolders.clear();
  FNeedUpdateInfo.fill(false);
  for (int rule : {8, 9, 10, 11, 14, 15, 16}) FNeedUpdateInfo[rule] = true;
}

void TScanEngine::UpdateGroupsInfo(int rule) {
  if (rule < 1 || rule > 18 || rule == 14 || !FNeedUpdateInfo[rule]) return;
  Guarded("Failed to update groups info", [&] {
    const bool folder_facts = rule == 15 || rule == 16;
    for (const auto& file : FFilteredFiles) {
      const TDateTime modified = file->GetModified();
      if (folder_facts) {
        auto [it, added] =
            FFolders.try_emplace(file->GetDisplayPath(), TFolderInfo{modified, modified});
        if (!added) {
          it->second.Newest = std::max(it->second.Newest, modified);
          it->second.Oldest = std::min(it->second.Oldest, modified);
        }
        continue;
      }
      const std::string type = text::ToLower(file->GetFileType());
      const std::string base_name = text::ToLower(file->GetBaseName());
      auto it = FGroups.find(file->GetGroupNo());
      if (it == FGroups.end()) {
        FGroups.emplace(file->GetGroupNo(),
                        TGroupInfo{modified, modified, Delimited(type), Delimited(base_name)});
        continue;
      }
      TGroupInfo& info = it->second;
      if (rule == 8 || rule == 9) {
        info.Newest = std::max(info.Newest, modified);
        info.Oldest = std::min(info.Oldest, modified);
      } else if (rule == 10) {
        if (info.Extensions.find(Delimited(type)) == std::string::npos) {
          info.Extensions += type + ";";
        }
      } else if (rule == 11) {
        if (info.OriginalNames.find(Delimited(base_name)) == std::string::npos) {
          info.OriginalNames += base_name + ";";
        }
      }
    }
    if (rule == 11) {
      for (auto& [group_no, info] : FGroups)
        info.OriginalNames = ReduceToOriginalNames(info.OriginalNames);
    }
    if (rule == 8 || rule == 9) {
      FNeedUpdateInfo[8] = FNeedUpdateInfo[9] = false;
    } else if (folder_facts) {
      FNeedUpdateInfo[15] = FNeedUpdateInfo[16] = false;
    } else {
      FNeedUpdateInfo[rule] = false;
    }
  });
}

const std::vector<std::string>& TScanEngine::GetFoundPaths() {
  if (!FNeedUpdateInfo[14]) return FPaths;
  Guarded("Failed to get found paths", [&] {
    FPaths.clear();
    // Linux folders that differ only in letter case are different folders, so
    // each keeps its own entry.
    std::unordered_set<std::string> seen;
    for (const auto& file : FFilteredFiles) {
      std::string path = file->GetDisplayPath();
      if (seen.insert(path).second) FPaths.push_back(std::move(path));
    }
    FNeedUpdateInfo[14] = false;
  });
  return FPaths;
}

// --- selection ---

void TScanEngine::AutoSelect(int rule, const std::pair<std::string, std::string>& param) {
  UpdateGroupsInfo(rule);
  Guarded("Duplicate auto-selection failed", [&] {
    const IFileInfoPtr current = FCurrentItem;
    // Facts of the current item that several rules compare against.
    std::string current_path, current_drive, current_type;
    if (current) {
      current_path = current->GetDisplayPath();
      current_drive = current->GetDrive();
      current_type = Delimited(text::ToLower(current->GetFileType()));
    }
    std::string custom_folder = param.first;
    if (!custom_folder.empty()) custom_folder = platform::IncludeTrailingSeparator(custom_folder);
    const bool custom_subfolders = text::EqualsNoCase(param.second, "True");

    auto group_info = [&](const IFileInfoPtr& f) -> const TGroupInfo* {
      auto it = FGroups.find(f->GetGroupNo());
      return it == FGroups.end() ? nullptr : &it->second;
    };
    auto folder_info = [&](const IFileInfoPtr& f) -> const TFolderInfo* {
      auto it = FFolders.find(f->GetDisplayPath());
      return it == FFolders.end() ? nullptr : &it->second;
    };
    // Keep the newest (or oldest) of a set: all stay unchecked when their times are all equal.
    auto keep_extreme = [](const IFileInfoPtr& f, TDateTime newest, TDateTime oldest,
                           bool keep_newest) {
      if (newest == oldest) {
        f->SetChecked(false);
      } else {
        f->SetChecked(f->GetModified() != (keep_newest ? newest : oldest));
      }
    };
    // A group's original is taken once, before the rule changes any of its marks.
    // Asked anew at every member, checking the original (rule 18) would make the
    // next unchecked member the original, so a group could end up all checked.
    std::unordered_map<TGroup*, IFileInfoPtr> originals;
    auto is_original = [&](const IFileInfoPtr& f) {
      TGroup* group = f->GetGroup();
      if (group == nullptr) return false;
      auto [it, added] = originals.try_emplace(group);
      if (added) it->second = group->GetOrigial(nullptr);
      return it->second == f;
    };

    for (const auto& f : FFilteredFiles) {
      switch (rule) {
        case 1:
          f->SetChecked(false);
          break;
        case 2:
          f->SetChecked(true);
          break;
        case 3:
          f->SetChecked(!f->IsChecked());
          break;
        case 4:
          f->SetChecked(current && f->GetDrive() == current_drive);
          break;
        case 5:
          f->SetChecked(current && f->GetDisplayPath() == current_path);
          break;
        case 6:
          f->SetChecked(current && IsInFolderTree(f->GetDisplayPath(), current_path));
          break;
        case 7:
          if (!current) break;
          if (f == current) {
            f->SetChecked(false);
          } else if (current->GetGroup() != nullptr && f->GetGroup() == current->GetGroup()) {
            f->SetChecked(true);
          }
          break;
        case 8:
        case 9:
          if (const TGroupInfo* info = group_info(f)) {
            keep_extreme(f, info->Newest, info->Oldest, rule == 8);
          }
          break;
        case 10: {
          const TGroupInfo* info = group_info(f);
          if (current && info && info->Extensions.find(current_type) != std::string::npos) {
            f->SetChecked(Delimited(text::ToLower(f->GetFileType())) != current_type);
          } else {
            f->SetChecked(false);
          }
          break;
        }
        case 11:
          if (const TGroupInfo* info = group_info(f)) {
            const std::string name = Delimited(text::ToLower(f->GetBaseName()));
            f->SetChecked(info->OriginalNames.find(name) == std::string::npos);
          }
          break;
        case 12:
          f->SetChecked(current && f->GetDisplayPath() != current_path);
          break;
        case 13:
          f->SetChecked(current && !IsInFolderTree(f->GetDisplayPath(), current_path));
          break;
        case 14:
          if (custom_subfolders) {
            f->SetChecked(IsInFolderTree(f->GetDisplayPath(), custom_folder));
          } else {
            f->SetChecked(!custom_folder.empty() && f->GetDisplayPath() == custom_folder);
          }
          break;
        case 15:
        case 16:
          if (const TFolderInfo* info = folder_info(f)) {
            keep_extreme(f, info->Newest, info->Oldest, rule == 15);
          }
          break;
        case 17:
          if (FCurrentScanMode == kMasterScanMode) {
            const TAttributeValue master = f->GetAttributeValue(TSupportedAttribute::atMaster);
            const bool* is_master = std::get_if<bool>(&master);
            f->SetChecked(!(is_master && *is_master));
          } else if (f->GetGroup() != nullptr) {
            f->SetChecked(!is_original(f));
          }
          break;
        case 18:
          if (f->GetGroup() != nullptr) f->SetChecked(is_original(f));
          break;
        default:
          break;
      }
    }
  });
  // Also after a failure half-way: the marks changed so far must be shown.
  MessageBus().Publish(TSelectionChanged{});
}

bool TScanEngine::HasSelectedItems() {
  return std::any_of(FFilteredFiles.begin(), FFilteredFiles.end(),
                     [](const IFileInfoPtr& f) { return f->IsChecked(); });
}

TSelectionInfo TScanEngine::GetSelectionInfo() {
  TSelectionInfo info;
  for (const auto& f : FFilteredFiles) {
    if (!f->IsChecked()) continue;
    ++info.Count;
    info.Size += f->GetSize();
  }
  return info;
}

bool TScanEngine::CheckSafeGroupSelection(int32_t& first_group_no, int32_t& total_unsafe) {
  first_group_no = 0;
  total_unsafe = 0;
  try {
    for (const auto& group : FGroupList) {
      if (group->CheckSafeSelection()) continue;
      ++total_unsafe;
      if (first_group_no == 0) first_group_no = group->GroupNo();
    }
    return total_unsafe == 0;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to check safe group selection", e);
  } catch (...) {
    AppLog().WriteLogException("Failed to check safe group selection");
  }
  return false;
}

// --- removal from the results ---

void TScanEngine::PushUndo(TResolveAction action, std::vector<IFileInfoPtr> items) {
  if (items.empty() || !SupportsUndo()) return;
  FUndo.push_back(TActionInfo{action, std::move(items)});
}

template <class Pred>
void TScanEngine::RemoveFromResults(TResolveAction action, Pred pred) {
  const char* failure_text = RemovalFailureText(action);
  std::vector<IFileInfoPtr> removed;
  Guarded(failure_text, [&] {
    for (const auto& f : FFilteredFiles) {
      if (!pred(f)) continue;
      f->SetRemoved(true);
      removed.push_back(f);
    }
  });
  // Whatever was removed before a failure is still recorded and shown as gone.
  Guarded(failure_text, [&] {
    PushUndo(action, std::move(removed));
    ApplyFilter();
    // The filter rebuilds the list in group order; the shown order must stay the chosen one.
    UpdateSort();
    MessageBus().Publish(TResultSetChanged{});
  });
}

void TScanEngine::RemoveResolved() {
  RemoveFromResults(TResolveAction::raRemoveResolved,
                    [](const IFileInfoPtr& f) { return f->IsResolved(); });
}

void TScanEngine::ClearResults() {
  RemoveFromResults(TResolveAction::raClearResults, [](const IFileInfoPtr&) { return true; });
}

void TScanEngine::RemoveFileTypeFromResults(const IFileInfoPtr& file) {
  const IFileInfoPtr reference = file ? file : FCurrentItem;
  if (!reference) return;
  std::string type;
  bool ok = false;
  Guarded(RemovalFailureText(TResolveAction::raRemoveByFileType), [&] {
    type = reference->GetFileType();
    ok = true;
  });
  if (!ok) return;
  RemoveFromResults(TResolveAction::raRemoveByFileType,
                    [&](const IFileInfoPtr& f) { return f->GetFileType() == type; });
}

void TScanEngine::RemoveFolderFromResults(const IFolderPtr& folder, bool include_subfolders) {
  std::string reference;
  Guarded(RemovalFailureText(TResolveAction::raRemoveByFolder), [&] {
    // Compared with the members' display paths, so the folder's display form is taken.
    if (folder) {
      reference = platform::IncludeTrailingSeparator(folder->GetDisplayName());
    } else if (FCurrentItem) {
      reference = FCurrentItem->GetDisplayPath();
    }
  });
  if (reference.empty()) return;
  RemoveFromResults(TResolveAction::raRemoveByFolder, [&](const IFileInfoPtr& f) {
    const std::string path = f->GetDisplayPath();
    return include_subfolders ? IsInFolderTree(path, reference) : path == reference;
  });
}

}  // namespace nrv
