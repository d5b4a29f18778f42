#include "scanners/local_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/path_forms.h"
#include "services/app_log.h"

namespace nrv {

TLocalFolder::TLocalFolder(const std::string& path) { SetName(path); }

TLocalFolder::TLocalFolder(const std::shared_ptr<TLocalFolder>& parent,
                           const std::string& entry_name)
    : parent_(parent), entry_name_(entry_name) {
  SetName(parent->GetName() + entry_name);
}

TLocalFolder::~TLocalFolder() {
  if (fd_ >= 0) close(fd_);
}

void TLocalFolder::SetName(const std::string& path) {
  // One form serves both the system calls and the display on Linux.
  FName = platform::IncludeTrailingSeparator(path);
  FDisplayName = platform::ToDisplayPath(FName);
}

bool TLocalFolder::Exists() const {
  struct stat st {};
  if (parent_ && parent_->fd_ >= 0) {
    return fstatat(parent_->fd_, entry_name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(st.st_mode);
  }
  return stat(FName.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool TLocalFolder::IsEmpty() const {
  DIR* d = opendir(FName.c_str());
  if (!d) return false;
  bool empty = true;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") {
      empty = false;
      break;
    }
  }
  closedir(d);
  return empty;
}

IFolderPtr TLocalFolder::GetParent() const {
  std::string without = platform::ExcludeTrailingSeparator(FName);
  std::string parent = platform::IncludeTrailingSeparator(platform::ExtractFilePath(without));
  if (parent.empty() || parent == FName) return nullptr;
  return std::make_shared<TLocalFolder>(parent);
}

bool TLocalFolder::Delete() {
  try {
    if (rmdir(FName.c_str()) != 0 && errno != ENOENT) {
      throw std::system_error(errno, std::generic_category(), "rmdir");
    }
    struct stat st {};
    return lstat(platform::ExcludeTrailingSeparator(FName).c_str(), &st) != 0;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to delete directory: " + FName, e);
    return false;
  }
}

bool TLocalFolder::OpenForWalk() {
  if (fd_ >= 0) return true;
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  if (parent_ && parent_->fd_ >= 0) {
    fd_ = openat(parent_->fd_, entry_name_.c_str(), kFlags);
  } else {
    fd_ = open(platform::ExcludeTrailingSeparator(FName).c_str(), kFlags);
  }
  if (fd_ < 0) {
    int err = errno;
    struct stat st {};
    bool is_link = (err == ELOOP || err == ENOTDIR) &&
                   lstat(platform::ExcludeTrailingSeparator(FName).c_str(), &st) == 0 &&
                   S_ISLNK(st.st_mode);
    if (is_link) {
      AppLog().WriteLog("Folder skipped (symbolic link): " + FDisplayName, 2);
      return false;
    }
    throw std::system_error(err, std::generic_category(), "cannot open folder " + FDisplayName);
  }
  struct stat st {};
  if (fstat(fd_, &st) == 0) {
    dev_ = st.st_dev;
    ino_ = st.st_ino;
  }
  return true;
}

const std::vector<TLocalFolder::TEntry>& TLocalFolder::Entries() {
  if (entries_read_ || fd_ < 0) return entries_;
  entries_read_ = true;
  // readdir works on its own descriptor so that fd_ stays usable for openat.
  int dup_fd = openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dup_fd < 0) throw std::system_error(errno, std::generic_category(), "cannot list " + FDisplayName);
  DIR* d = fdopendir(dup_fd);
  if (!d) {
    int err = errno;
    close(dup_fd);
    throw std::system_error(err, std::generic_category(), "cannot list " + FDisplayName);
  }
  errno = 0;
  while (dirent* e = readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    entries_.push_back(TEntry{n, e->d_type});
    errno = 0;
  }
  int err = errno;
  closedir(d);
  if (err != 0) throw std::system_error(err, std::generic_category(), "cannot list " + FDisplayName);
  return entries_;
}

void TLocalFolder::EndWalk() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  entries_.clear();
  entries_.shrink_to_fit();
  entries_read_ = false;
  parent_.reset();
}

}  // namespace nrv
