#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/date_time.h"

namespace nrv {

// A regular file opened for reading by content comparisons. Opening never blocks
// and never reads anything but a regular file: a FIFO, socket or device found in
// a scanned folder is refused after the open, a symbolic link is not followed.
// Reading does not update the access time when the process may ask for that.
class TFileReader {
 public:
  TFileReader() = default;
  ~TFileReader();
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;
  TFileReader(TFileReader&& other) noexcept;
  TFileReader& operator=(TFileReader&& other) noexcept;

  // Opens the file; on failure returns false and Error() says why.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Reads up to n bytes, going on after interrupted and short reads, so that fewer
  // than n bytes come back only at the end of the file. Returns the bytes read,
  // or -1 on a read error (Error() says why).
  int64_t Read(void* buf, size_t n);

  // Size and modification time as they were when the file was opened.
  int64_t Size() const { return size_; }
  TDateTime Modified() const { return modified_; }
  // Size and modification time now; false when the file cannot be asked.
  bool CurrentState(int64_t& size, TDateTime& modified) const;

  // Hints for whole-file reads: read ahead generously, and afterwards drop the
  // pages this reader brought in from the disk, so that a large scan does not
  // push the user's data out of memory (pages that were there stay).
  void AdviseSequential();
  void DropCachedPages();

  const std::string& Error() const { return error_; }
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
  std::mutex* disk_lock_ = nullptr;  // set for files on a rotating disk
  int64_t size_ = 0;
  int64_t pos_ = 0;         // bytes read so far
  int64_t disk_from_ = -1;  // first offset that had to come from the disk
  TDateTime modified_;
  std::string error_;
};

}  // namespace nrv
