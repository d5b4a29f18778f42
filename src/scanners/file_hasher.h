#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/date_time.h"

namespace nrv {

// SHA-256 of no bytes: the digest of every empty file.
inline constexpr char kEmptySha256[] =
    "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

// The first-block digest covers this many bytes; whole files are read in blocks
// of kHashBlockSize.
inline constexpr size_t kFirstBlockSize = 4096;
inline constexpr size_t kHashBlockSize = 4194304;

struct THashResult {
  bool ok = false;     // digest holds the result
  std::string digest;  // 64 lower-case hexadecimal digits
  std::string error;   // why not ok (empty when stopped)
  int64_t bytes_read = 0;
  bool stopped = false;  // reading ended early on request; no digest
  // The file as it was when opened: the values a cached digest belongs to.
  int64_t size = 0;
  TDateTime modified;
  // Whole-file hashing only: the size or modification time differed after reading,
  // or the bytes read did not match the size; the digest may mix old and new
  // content and should not be cached.
  bool changed = false;
};

// SHA-256 of one block of bytes as lower-case hexadecimal.
std::string Sha256Hex(const void* data, size_t n);

// SHA-256 of the first `block` bytes of the file (fewer when the file is shorter).
THashResult Sha256OfFirstBlock(const std::string& path, size_t block = kFirstBlockSize);

// SHA-256 of the whole file. stop_requested is asked before every block; when it
// answers true, reading ends and the result is stopped without a digest.
// on_progress receives the total bytes read so far after every block.
THashResult Sha256OfFile(const std::string& path, const std::function<bool()>& stop_requested,
                         const std::function<void(int64_t)>& on_progress = {});

}  // namespace nrv
