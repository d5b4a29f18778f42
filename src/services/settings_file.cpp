#include "services/settings_file.h"
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>
#include <vector>

namespace nrv {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}


}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadWholeFile(const std::string& path) {
  platform::TUniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) ThrowErrno("Cannot open " + path);
  std::string content;
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("Cannot read " + path);
    }
    if (n == 0) break;
    content.append(buf, static_cast<size_t>(n));
  }
  return content;
}

void CreateFolders(const std::string& path) {
  if (path.empty()) return;
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    errno = ENOTDIR;
    ThrowErrno("Cannot create folder " + path);
  }
  std::string parent = FolderOf(path);
  if (parent != path && parent != "." && parent != "/") CreateFolders(parent);
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) ThrowErrno("Cannot create folder " + path);
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
  std::string target = path;
  struct stat st {};
  bool exists = lstat(path.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) ThrowErrno("Cannot resolve " + path);
    target = resolved;
    exists = stat(target.c_str(), &st) == 0;
  }
  CreateFolders(FolderOf(target));

  std::string temp_name = target + ".XXXXXX";
  std::vector<char> templ(temp_name.begin(), temp_name.end());
  templ.push_back('\0');
  platform::TUniqueFd fd(mkstemp(templ.data()));
  if (fd.get() < 0) ThrowErrno("Cannot create a temporary file beside " + target);
  temp_name = templ.data();
  try {
    if (exists) fchmod(fd.get(), st.st_mode & 07777);
    size_t done = 0;
    while (done < content.size()) {
      ssize_t n = write(fd.get(), content.data() + done, content.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        ThrowErrno("Cannot write " + temp_name);
      }
      done += static_cast<size_t>(n);
    }
    if (fsync(fd.get()) != 0) ThrowErrno("Cannot flush " + temp_name);
    if (close(fd.release()) != 0) ThrowErrno("Cannot close " + temp_name);
    if (rename(temp_name.c_str(), target.c_str()) != 0) ThrowErrno("Cannot replace " + target);
  } catch (...) {
    unlink(temp_name.c_str());
    throw;
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  platform::TUniqueFd dir(open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());
}

}  // namespace nrv
