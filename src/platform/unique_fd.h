#pragma once
#include <unistd.h>

namespace nrv::platform {

// Owns a file descriptor and closes it when it goes out of scope.
class TUniqueFd {
 public:
  explicit TUniqueFd(int fd) : fd_(fd) {}
  ~TUniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace nrv::platform
