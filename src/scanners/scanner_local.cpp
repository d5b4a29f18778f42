#include "scanners/scanner_local.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "engine/scan_engine.h"
#include "platform/drives.h"
#include "platform/file_tests.h"
#include "platform/folder_classes.h"
#include "platform/name_tests.h"
#include "platform/special_folders.h"
#include "services/app_log.h"
#include "services/text.h"

namespace nrv {

TLocalFile* AsLocalFile(const IFileInfoPtr& file) { return dynamic_cast<TLocalFile*>(file.get()); }
TLocalFolder* AsLocalFolder(const IFolderPtr& folder) {
  return dynamic_cast<TLocalFolder*>(folder.get());
}

namespace {

// A deep tree keeps one descriptor open per level of the walk; allow as many as
// the system lets this process have.
void RaiseDescriptorLimit() {
  rlimit lim{};
  if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
    lim.rlim_cur = lim.rlim_max;
    setrlimit(RLIMIT_NOFILE, &lim);
  }
}

}  // namespace

void TScannerLocal::Initialize() {
  FScanFolders.clear();
  walked_.clear();
  RaiseDescriptorLimit();
}

std::vector<IFolderPtr> TScannerLocal::ConvertFolder(const IFolderPtr& folder) {
  std::vector<IFolderPtr> result;
  try {
    if (!AsLocalFolder(folder)) return result;
    for (const auto& p : platform::ExpandSpecialFolder(folder->GetName())) {
      result.push_back(std::make_shared<TLocalFolder>(p));
    }
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Folder conversion failed", e);
  }
  return result;
}

TSettingsInfo TScannerLocal::GetSettingsInfo() {
  return TSettingsInfo{"Scan.Settings", "Scan.Settings.Data", "IncludeFolders", "ExcludeFolders",
                       "IncludeMasks",  "ExcludeMasks",       "*.*"};
}

bool TScannerLocal::CheckValidDragDropData(const std::vector<std::string>& data) {
  for (const auto& p : data) {
    struct stat st {};
    if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  }
  return false;
}

bool TScannerLocal::FolderExists(const IFolderPtr& folder) {
  return AsLocalFolder(folder) && folder->Exists();
}

#define NRV_FOLDER_TEST(Method, Test)                        \
  bool TScannerLocal::Method(const IFolderPtr& folder) {     \
    return AsLocalFolder(folder) && Test(folder->GetName()); \
  }
#define NRV_FILE_TEST(Method, Test)                            \
  bool TScannerLocal::Method(const IFileInfoPtr& file) {       \
    return AsLocalFile(file) && Test(file->GetFullName());     \
  }

NRV_FOLDER_TEST(IsAppFolder, platform::IsAppFolderPath)
NRV_FOLDER_TEST(IsSysFolder, platform::IsSysFolderPath)
NRV_FOLDER_TEST(IsJunctionPoint, platform::IsJunctionPath)
NRV_FOLDER_TEST(IsTempFolder, platform::IsTempFolderPath)
NRV_FOLDER_TEST(IsTrashFolder, platform::IsTrashPath)
NRV_FOLDER_TEST(IsHidden, platform::IsHiddenPath)
NRV_FOLDER_TEST(IsSymbolicLink, platform::IsSymLinkPath)
NRV_FILE_TEST(IsTempFile, platform::IsTempFilePath)
NRV_FILE_TEST(IsCompressed, platform::IsCompressedPath)
NRV_FILE_TEST(IsHidden, platform::IsHiddenPath)
NRV_FILE_TEST(IsSymbolicLink, platform::IsSymLinkPath)

#undef NRV_FOLDER_TEST
#undef NRV_FILE_TEST

// The walk recorded the entry's type and link count; no second look at the disk.
bool TScannerLocal::IsSysFile(const IFileInfoPtr& file) {
  auto* f = AsLocalFile(file);
  return f && !S_ISREG(f->Mode());
}

bool TScannerLocal::IsHardLink(const IFileInfoPtr& file) {
  auto* f = AsLocalFile(file);
  return f && S_ISREG(f->Mode()) && f->Links() > 1;
}

IFolderPtr TScannerLocal::GetFolder(const std::string& folder_name) {
  // Linux names are case-sensitive: the cache key is the exact path.
  auto key = TLocalFolder(folder_name).GetName();
  auto it = FScanFolders.find(key);
  if (it != FScanFolders.end()) return it->second;
  auto folder = std::make_shared<TLocalFolder>(folder_name);
  FScanFolders.emplace(key, folder);
  return folder;
}

bool TScannerLocal::BeginWalk(const TLocalFolderPtr& folder) {
  if (folder->walked_elsewhere) return false;
  if (folder->Fd() >= 0) return true;
  if (!folder->OpenForWalk()) return false;
  // A folder reached again (a bind mount, or overlapping include folders) would
  // list its files twice under two names: deleting one "duplicate" would then
  // delete the only copy.
  if (!walked_.emplace(folder->Device(), folder->Inode()).second) {
    folder->walked_elsewhere = true;
    folder->EndWalk();
    AppLog().WriteLog("Folder skipped (already scanned): " + folder->GetDisplayName(), 2);
    return false;
  }
  return true;
}

std::vector<IFolderPtr> TScannerLocal::GetFolders(const IFolderPtr& folder) {
  std::vector<IFolderPtr> result;
  auto local = std::dynamic_pointer_cast<TLocalFolder>(folder);
  if (!local || !BeginWalk(local)) return result;
  for (const auto& e : local->Entries()) {
    bool is_dir = e.type == DT_DIR;
    if (e.type == DT_UNKNOWN) {
      struct stat st {};
      is_dir = fstatat(local->Fd(), e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISDIR(st.st_mode);
    }
    if (!is_dir) continue;
    const std::string path = local->GetName() + e.name + "/";
    auto it = FScanFolders.find(path);
    if (it != FScanFolders.end()) {
      result.push_back(it->second);
    } else {
      auto sub = std::make_shared<TLocalFolder>(local, e.name);
      FScanFolders.emplace(path, sub);
      result.push_back(sub);
    }
  }
  return result;
}

bool TScannerLocal::AddFoundFile(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry) {
  return engine_.AddFile(CreateFileItem(folder, entry));
}

void TScannerLocal::ScanFolder(const IFolderPtr& folder) {
  auto local = std::dynamic_pointer_cast<TLocalFolder>(folder);
  if (!local || !BeginWalk(local)) return;
  struct TEnd {
    TLocalFolder* f;
    ~TEnd() { f->EndWalk(); }
  } end{local.get()};
  const int dir_fd = local->Fd();
  for (const auto& e : local->Entries()) {
    if (e.type == DT_DIR) continue;
    struct stat st {};
    if (fstatat(dir_fd, e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      // Gone since the listing, or not accessible: nothing to compare.
      AppLog().WriteLog("File skipped (cannot read its status: " +
                            std::string(std::strerror(errno)) + "): " + local->GetDisplayName() + e.name,
                        2);
      continue;
    }
    if (S_ISDIR(st.st_mode)) continue;
    if (S_ISLNK(st.st_mode)) {
      // A link holds no data of its own and is never followed: grouping it with
      // its target would let the user delete the target and keep a dangling link.
      struct stat target {};
      bool to_folder = fstatat(dir_fd, e.name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
      if (to_folder) {
        AppLog().WriteLog("Folder skipped (symbolic link): " + local->GetDisplayName() + e.name + "/", 2);
      } else {
        AppLog().WriteLog("File skipped (symbolic link): " + local->GetDisplayName() + e.name, 3);
      }
      continue;
    }
    if (!text::IsValidUtf8(e.name)) {
      AppLog().WriteLog("File name is not valid UTF-8 (kept as it is): " + local->GetDisplayName() + e.name, 3);
    }
    TLocalEntryInfo info;
    info.name = e.name;
    info.size = static_cast<int64_t>(st.st_size);
    info.modified = TDateTime::FromTimespec(st.st_mtim);
    info.mode = st.st_mode;
    info.links = st.st_nlink;
    info.device = st.st_dev;
    info.inode = st.st_ino;
    AddFoundFile(local, info);
  }
}

int TScannerLocal::CompareAttributes(const IFileInfoPtr& left, const IFileInfoPtr& right,
                                     TSupportedAttribute attribute) {
  switch (attribute) {
    case TSupportedAttribute::atGroup:
      return left->GetGroupNo() - right->GetGroupNo();
    case TSupportedAttribute::atSize: {
      auto a = left->GetSize(), b = right->GetSize();
      return a < b ? -1 : (a > b ? 1 : 0);
    }
    case TSupportedAttribute::atModified: {
      auto a = left->GetModified(), b = right->GetModified();
      return a == b ? 0 : (a > b ? 1 : -1);
    }
    default:
      break;
  }
  auto as_text = [](const TAttributeValue& v) -> std::string {
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    if (auto* l = std::get_if<int64_t>(&v)) return std::to_string(*l);
    if (auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (auto* d = std::get_if<TDateTime>(&v)) return d->ToLocalString();
    return {};
  };
  return text::CompareLocale(text::FoldCase(as_text(left->GetAttributeValue(attribute))),
                             text::FoldCase(as_text(right->GetAttributeValue(attribute))));
}

TScannerFeatures TScannerLocal::SupportedFeatures() {
  using F = TScannerFeature;
  // Symbolic links are never followed nor grouped on Linux, so skipping them is
  // not an option the user needs.
  return TScannerFeatures{F::sfSkipSysAppFolders, F::sfSkipSysFiles,     F::sfSkipTemporary,
                          F::sfSkipZero,          F::sfSkipCompressed,   F::sfSkipJunctionPoints,
                          F::sfSkipHardLinks,     F::sfSkipRecycler,     F::sfIncludeFileName,
                          F::sfIncludeExtension,  F::sfIncludeSubdirs,   F::sfIncludeHidden,
                          F::sfRemoveEmptyFolders, F::sfDirectPathInput, F::sfLocalFileSystem,
                          F::sfViewFileProperties, F::sfViewFile,        F::sfViewFileWith,
                          F::sfViewFileLocation,  F::sfViewTrash,        F::sfFileMask,
                          F::sfPreview,           F::sfKeepFolderStructure, F::sfWizard};
}

std::vector<TSupportedAttribute> TScannerLocal::SupportedAttributes() {
  using A = TSupportedAttribute;
  return {A::atName, A::atPath, A::atSize, A::atGroup, A::atModified};
}

IFolderPtr TScannerLocal::GetFolderByName(const std::string& name) {
  return std::make_shared<TLocalFolder>(name);
}

}  // namespace nrv
