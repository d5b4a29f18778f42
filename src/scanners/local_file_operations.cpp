// File operations of the local scanner: delete, trash, move, rename, link and
// their undo. None of them ever replaces an existing file: a name that is taken
// makes the operation fail, and the files stay as they were.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "engine/group.h"
#include "platform/drives.h"
#include "platform/file_copy.h"
#include "platform/file_tests.h"
#include "platform/path_forms.h"
#include "platform/symlink.h"
#include "platform/trash.h"
#include "scanners/scanner_local.h"
#include "services/app_log.h"

namespace nrv {

namespace {

// Whether a directory entry other than a folder stands at path. Unlike
// TLocalFile::Exists this does not follow a link: a dangling link is still an
// entry that can be deleted, moved or renamed, and is in the way of a new file.
bool EntryPresent(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool AnyEntryAt(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// The first member of the item's group that still exists and is not the item
// itself: a link left by "replace with link" exists through its target, yet its
// content cannot be copied onto its own place.
IFileInfoPtr OtherExistingMember(const IFileInfoPtr& file) {
  TGroup* group = file->GetGroup();
  if (!group) return nullptr;
  for (const auto& f : group->Files()) {
    if (f != file && f->Exists()) return f;
  }
  return nullptr;
}

std::string SystemErrorText(int err) {
  return std::strerror(err);
}

}  // namespace

bool TScannerLocal::DeleteFile(const IFileInfoPtr& file, bool permanently) {
  TLocalFile* local = AsLocalFile(file);
  if (!local) return false;
  try {
    const std::string full = local->GetFullName();
    if (permanently) {
      bool ok = true;
      int err = 0;
      if (EntryPresent(full) && unlink(full.c_str()) != 0) {
        err = errno;
        ok = false;
      }
      if (ok) {
        AppLog().WriteLog("File deleted: " + local->GetDisplayName(), 3);
      } else {
        AppLog().WriteLog(
            "Failed to delete file: " + local->GetDisplayName() + "\r\n" + SystemErrorText(err), 1);
      }
      return ok;
    }
    if (!EntryPresent(full)) {
      AppLog().WriteLog("File moved to trash: " + local->GetDisplayName(), 3);
      return true;  // already gone; nothing to record
    }
    std::string trash_name;
    if (!platform::MoveFileToTrash(full, trash_name)) {
      const int err = errno;
      AppLog().WriteLog("Failed to move file to trash: " + local->GetDisplayName() + "\r\n" +
                            SystemErrorText(err),
                        1);
      return false;
    }
    local->SetDestLocation(trash_name);
    AppLog().WriteLog("File moved to trash: " + local->GetDisplayName(), 3);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to delete file " + local->GetFullName(), e);
    return false;
  }
}

bool TScannerLocal::MoveFile(const IFileInfoPtr& file, const IFolderPtr& dest_folder,
                             bool keep_folder_structure) {
  TLocalFile* local = AsLocalFile(file);
  if (!local || !AsLocalFolder(dest_folder) || !dest_folder->Exists()) return false;
  try {
    const std::string full = local->GetFullName();
    std::string target;
    if (keep_folder_structure) {
      // The path below the mount point is kept below the destination.
      const std::string root = platform::IncludeTrailingSeparator(platform::GetDisplayDrive(full));
      const size_t at = root.empty() ? std::string::npos : full.find(root);
      if (at == std::string::npos) throw std::invalid_argument("no mount point in " + full);
      target = dest_folder->GetName() + full.substr(at + root.size());
    } else {
      target = dest_folder->GetName() + local->GetName();
    }
    if (AnyEntryAt(target)) {
      AppLog().WriteLog("Target file already exists: " + platform::ToDisplayPath(target), 3);
      return false;
    }
    platform::ForceDirectories(platform::ExtractFilePath(target));
    // Either the file is at the target afterwards and gone from its place, or
    // nothing changed: there is no half-moved state to clean up.
    platform::MoveFileNoReplace(full, target);
    local->SetDestLocation(target);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException(
        "Failed to move file " + platform::ToDisplayPath(local->GetFullName()), e);
    return false;
  }
}

bool TScannerLocal::PutBack(const IFileInfoPtr& file) {
  TLocalFile* local = AsLocalFile(file);
  if (!local) return false;
  try {
    const std::string full = local->GetFullName();
    const std::string moved = local->GetDestLocation();
    if (AnyEntryAt(full)) {
      AppLog().WriteLog("Original file already exists: " + platform::ToDisplayPath(full), 3);
      return false;
    }
    if (moved.empty()) throw std::invalid_argument("the file was not moved");
    platform::ForceDirectories(local->GetPath());
    platform::MoveFileNoReplace(moved, full);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException(
        "Failed to put file back " + platform::ToDisplayPath(local->GetFullName()), e);
    return false;
  }
}

bool TScannerLocal::UnDeleteFile(const IFileInfoPtr& file, bool permanently) {
  TLocalFile* local = AsLocalFile(file);
  if (!local) return false;
  if (local->Exists()) return true;
  try {
    if (permanently) {
      const IFileInfoPtr source = OtherExistingMember(file);
      if (!source) return false;
      platform::ForceDirectories(local->GetDisplayPath());
      platform::CopyFileNoReplace(source->GetFullName(), local->GetFullName());
      return true;
    }
    if (local->GetDestLocation().empty()) return false;
    return platform::RestoreFromTrash(local->GetDestLocation(), local->GetFullName());
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to undelete " + local->GetDisplayName(), e);
    return false;
  }
}

bool TScannerLocal::LinkToOriginal(const IFileInfoPtr& file) {
  TLocalFile* local = AsLocalFile(file);
  if (!local || !local->GetGroup()) return false;
  const IFileInfoPtr original = local->GetGroup()->GetOrigial(file);
  if (!original) return false;
  return platform::CreateFileSymLink(original->GetFullName(), local->GetFullName());
}

bool TScannerLocal::Unlink(const IFileInfoPtr& file) {
  TLocalFile* local = AsLocalFile(file);
  if (!local || !IsSymbolicLink(file)) return false;
  try {
    const IFileInfoPtr source = OtherExistingMember(file);
    if (!source) return false;
    // The link waits beside the new copy until the copy is complete, so that a
    // failed copy leaves the link as it was.
    const std::string full = local->GetFullName();
    const std::string backup = full + ".slt";
    if (!platform::RenameNoReplace(full, backup)) {
      throw std::system_error(errno, std::generic_category(), "rename " + full);
    }
    try {
      platform::CopyFileNoReplace(source->GetFullName(), full);
    } catch (...) {
      platform::RenameNoReplace(backup, full);
      throw;
    }
    unlink(backup.c_str());
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to unlink " + local->GetDisplayName(), e);
    return false;
  }
}

bool TScannerLocal::Rename(const IFileInfoPtr& file, const std::string& new_name) {
  TLocalFile* local = AsLocalFile(file);
  if (!local || !EntryPresent(local->GetFullName())) return false;
  if (local->GetName() == new_name) return true;
  try {
    // A name with a separator would move the file elsewhere.
    if (new_name.empty() || new_name == "." || new_name == ".." ||
        new_name.find('/') != std::string::npos) {
      throw std::invalid_argument("not a file name");
    }
    const std::string ext = platform::ExtractFileExt(new_name);
    const std::string base = new_name.substr(0, new_name.size() - ext.size());
    std::string candidate = new_name;
    for (int i = 1; AnyEntryAt(local->GetPath() + candidate) && i <= 99; ++i) {
      candidate = base + " (" + std::to_string(i) + ")" + ext;
    }
    const std::string target = local->GetPath() + candidate;
    if (!platform::RenameNoReplace(local->GetFullName(), target)) {
      throw std::system_error(errno, std::generic_category(), "rename to " + candidate);
    }
    local->SetDestLocation(target);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to rename file " + local->GetFullName() + " to " + new_name,
                               e);
    return false;
  }
}

bool TScannerLocal::RestoreName(const IFileInfoPtr& file) {
  TLocalFile* local = AsLocalFile(file);
  if (!local) return false;
  if (local->GetFullName() == local->GetDestLocation()) return true;
  if (local->GetDestLocation().empty()) return false;
  return platform::RenameNoReplace(local->GetDestLocation(), local->GetFullName());
}

}  // namespace nrv
