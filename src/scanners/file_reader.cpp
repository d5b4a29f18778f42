#include "scanners/file_reader.h"

#include <sys/uio.h>

#include <mutex>

#include "platform/device_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace nrv {
namespace {

std::string ErrorText(int err) {
  return std::system_category().message(err);
}

int OpenNoFollow(const std::string& path) {
  // O_NONBLOCK keeps the open of a FIFO without writer from hanging; the file
  // type is checked right after and the flag cleared for the reads.
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  int fd;
  do {
    fd = ::open(path.c_str(), kFlags | O_NOATIME);
  } while (fd < 0 && errno == EINTR);
  // O_NOATIME is only allowed on our own files (or with CAP_FOWNER).
  if (fd < 0 && errno == EPERM) {
    do {
      fd = ::open(path.c_str(), kFlags);
    } while (fd < 0 && errno == EINTR);
  }
  return fd;
}

}  // namespace

TFileReader::~TFileReader() {
  Close();
}

TFileReader::TFileReader(TFileReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      modified_(other.modified_),
      error_(std::move(other.error_)) {}

TFileReader& TFileReader::operator=(TFileReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
    modified_ = other.modified_;
    error_ = std::move(other.error_);
  }
  return *this;
}

bool TFileReader::Open(const std::string& path) {
  Close();
  error_.clear();
  size_ = 0;
  modified_ = {};
  int fd = OpenNoFollow(path);
  if (fd < 0) {
    // With O_NOFOLLOW a symbolic link as last component reports ELOOP, whose
    // standard text ("Too many levels of symbolic links") would mislead.
    error_ = errno == ELOOP ? "Is a symbolic link" : ErrorText(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = ErrorText(errno);
    ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = "Not a regular file";
    ::close(fd);
    return false;
  }
  // O_NONBLOCK, which kept the open from hanging on a FIFO, has no effect on
  // reading a regular file, so it can stay.
  fd_ = fd;
  pos_ = 0;
  disk_from_ = -1;
  disk_lock_ = platform::DiskLockFor(st.st_dev);
  size_ = static_cast<int64_t>(st.st_size);
  modified_ = TDateTime::FromTimespec(st.st_mtim);
  return true;
}

void TFileReader::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

int64_t TFileReader::Read(void* buf, size_t n) {
  if (fd_ < 0) {
    error_ = ErrorText(EBADF);
    return -1;
  }
  auto* out = static_cast<char*>(buf);
  size_t total = 0;
  // A file read to the size it had when opened needs no call to find its end
  // (one that grew since is caught by the caller's check of size and time).
  if (pos_ >= size_ && size_ > 0) return 0;
  // Data already in memory is taken without waiting; what must come from the
  // disk is read below, noted (so that only those pages are dropped afterwards)
  // and, on a rotating disk, read by one thread at a time so the head does not
  // seek to and fro between files.
  while (total < n) {
    iovec iov{out + total, n - total};
    ssize_t r = ::preadv2(fd_, &iov, 1, -1, RWF_NOWAIT);
    if (r > 0) {
      total += static_cast<size_t>(r);
      if (pos_ + static_cast<int64_t>(total) >= size_) break;
      continue;
    }
    if (r == 0) break;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EOPNOTSUPP) {
      error_ = ErrorText(errno);
      return -1;
    }
    break;
  }
  if (total == n || pos_ + static_cast<int64_t>(total) >= size_) {
    pos_ += static_cast<int64_t>(total);
    return static_cast<int64_t>(total);
  }
  if (disk_from_ < 0) disk_from_ = pos_ + static_cast<int64_t>(total);
  std::unique_lock<std::mutex> turn;
  if (disk_lock_) turn = std::unique_lock<std::mutex>(*disk_lock_);
  while (total < n) {
    ssize_t r = ::read(fd_, out + total, n - total);
    if (r < 0) {
      if (errno == EINTR) continue;
      error_ = ErrorText(errno);
      return -1;
    }
    if (r == 0) break;
    total += static_cast<size_t>(r);
    if (pos_ + static_cast<int64_t>(total) >= size_) break;
  }
  pos_ += static_cast<int64_t>(total);
  return static_cast<int64_t>(total);
}

bool TFileReader::CurrentState(int64_t& size, TDateTime& modified) const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
  size = static_cast<int64_t>(st.st_size);
  modified = TDateTime::FromTimespec(st.st_mtim);
  return true;
}

void TFileReader::AdviseSequential() {
  if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

void TFileReader::DropCachedPages() {
  // Only what this reader brought in from the disk: pages that were in memory
  // before belong to someone else's work and stay.
  if (fd_ >= 0 && disk_from_ >= 0) ::posix_fadvise(fd_, disk_from_, 0, POSIX_FADV_DONTNEED);
}

}  // namespace nrv
