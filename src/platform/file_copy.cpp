#include "platform/file_copy.h"
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace nrv::platform {

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& what) {
  throw std::system_error(err, std::generic_category(), what);
}

bool EntryExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// For file systems without RENAME_NOREPLACE: a hard link cannot replace anything.
bool LinkThenUnlink(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) != 0) return false;
  if (unlink(from.c_str()) != 0) {
    const int err = errno;
    unlink(to.c_str());
    errno = err;
    return false;
  }
  return true;
}

// Copies the rest of in to out with read and write.
void CopyByReading(int in, int out, const std::string& what) {
  std::vector<char> buf(1 << 20);
  for (;;) {
    ssize_t n = read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowErrno(errno, "read " + what);
    if (n == 0) return;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buf.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) ThrowErrno(errno, "write " + what);
      done += w;
    }
  }
}

// copy_file_range lets the kernel (or the file system, by reflink) do the work;
// where it cannot, the plain loop continues from the same offsets.
void CopyContent(int in, int out, off_t size, const std::string& what) {
  off_t copied = 0;
  while (copied < size) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - copied), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // unsupported here, or the file shrank: finish by reading
    copied += n;
  }
  CopyByReading(in, out, what);
}


}  // namespace

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (LinkThenUnlink(from, to)) return true;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
  }
  // A file system without hard links (FAT...): check, then rename. Only a file
  // created in the instant between the two could be replaced.
  if (EntryExists(to)) {
    errno = EEXIST;
    return false;
  }
  return rename(from.c_str(), to.c_str()) == 0;
}

void CopyFileNoReplace(const std::string& from, const std::string& to) {
  const std::string what = from + " -> " + to;
  // O_NONBLOCK: a FIFO put in place of the file must not hang the copy.
  TUniqueFd in(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (in.get() < 0) ThrowErrno(errno, "open " + from);
  struct stat st {};
  if (fstat(in.get(), &st) != 0) ThrowErrno(errno, "stat " + from);
  if (!S_ISREG(st.st_mode)) ThrowErrno(EINVAL, "not a regular file: " + from);
  fcntl(in.get(), F_SETFL, fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

  TUniqueFd out(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
  if (out.get() < 0) ThrowErrno(errno, "create " + to);
  try {
    CopyContent(in.get(), out.get(), st.st_size, what);
    if (fchmod(out.get(), st.st_mode & 07777) != 0) ThrowErrno(errno, "chmod " + to);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out.get(), times) != 0) ThrowErrno(errno, "set times " + to);
    if (close(out.release()) != 0) ThrowErrno(errno, "close " + to);
  } catch (...) {
    unlink(to.c_str());  // ours: created exclusively above
    throw;
  }
}

void MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (RenameNoReplace(from, to)) return;
  if (errno != EXDEV) ThrowErrno(errno, "rename " + from + " -> " + to);

  struct stat st {};
  if (lstat(from.c_str(), &st) != 0) ThrowErrno(errno, "stat " + from);
  if (S_ISREG(st.st_mode)) {
    CopyFileNoReplace(from, to);
  } else if (S_ISLNK(st.st_mode)) {
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
    ssize_t n = readlink(from.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size())
      ThrowErrno(n < 0 ? errno : EIO, "readlink " + from);
    if (symlink(std::string(target.data(), static_cast<size_t>(n)).c_str(), to.c_str()) != 0) {
      ThrowErrno(errno, "symlink " + to);
    }
  } else {
    ThrowErrno(EXDEV, "cannot move " + from + " -> " + to);
  }
  if (unlink(from.c_str()) != 0) {
    // Keep exactly one of the two: the source stays, the copy goes.
    const int err = errno;
    unlink(to.c_str());
    ThrowErrno(err, "remove " + from);
  }
}

void ForceDirectories(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw std::system_error(ec, "create folder " + folder);
}

}  // namespace nrv::platform
