#include "scanners/local_file.h"

#include <sys/stat.h>

#include "platform/drives.h"
#include "platform/path_forms.h"

namespace nrv {

TLocalFile::TLocalFile(TLocalFolderPtr folder, const TLocalEntryInfo& entry)
    : folder_(std::move(folder)),
      FName(entry.name),
      FSize(entry.size),
      FModified(entry.modified),
      mode_(entry.mode),
      links_(entry.links),
      device_(entry.device),
      inode_(entry.inode) {}

std::string TLocalFile::GetBaseName() const {
  std::string ext = platform::ExtractFileExt(FName);
  std::string base = FName.substr(0, FName.size() - ext.size());
  return base.empty() ? FName : base;
}

std::string TLocalFile::GetDisplayPath() const { return platform::ToDisplayPath(GetPath()); }

std::string TLocalFile::GetDrive() const {
  std::string drive = platform::GetDisplayDrive(GetPath());
  return drive.empty() ? GetPath() : drive;
}

std::string TLocalFile::GetFileType() const {
  std::string ext = platform::ExtractFileExt(FName);
  return ext.empty() ? FName : ext;
}

bool TLocalFile::Exists() const {
  // A link left by "replace with link" counts while its target is there: a
  // dangling link holds no data.
  struct stat st {};
  return stat(GetFullName().c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace nrv
