#include "scanners/file_hasher.h"

#include <openssl/evp.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "scanners/file_reader.h"

namespace nrv {
namespace {

// Page alignment lets the kernel copy into the buffer without splitting pages.
constexpr size_t kBufferAlignment = 4096;

struct TFreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

// One read buffer per thread, kept between files: parallel hashing threads do not
// share it and no file pays for a fresh 4 MiB allocation.
char* ThreadBuffer(size_t size) {
  thread_local std::unique_ptr<char, TFreeDeleter> buffer;
  thread_local size_t capacity = 0;
  if (capacity < size) {
    size_t rounded = (size + kBufferAlignment - 1) / kBufferAlignment * kBufferAlignment;
    buffer.reset(static_cast<char*>(std::aligned_alloc(kBufferAlignment, rounded)));
    if (!buffer) {
      capacity = 0;
      throw std::bad_alloc();
    }
    capacity = rounded;
  }
  return buffer.get();
}

struct TMdCtxDeleter {
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

class TSha256 {
 public:
  TSha256() : ctx_(EVP_MD_CTX_new()) {
    ok_ = ctx_ && EVP_DigestInit_ex(ctx_.get(), EVP_sha256(), nullptr) == 1;
  }
  void Update(const void* data, size_t n) {
    if (ok_ && n > 0) ok_ = EVP_DigestUpdate(ctx_.get(), data, n) == 1;
  }
  // Empty when the digest could not be computed.
  std::string FinalHex() {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (!ok_ || EVP_DigestFinal_ex(ctx_.get(), md, &len) != 1) return {};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(len * 2, '0');
    for (unsigned int i = 0; i < len; ++i) {
      hex[2 * i] = kDigits[md[i] >> 4];
      hex[2 * i + 1] = kDigits[md[i] & 0x0f];
    }
    return hex;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, TMdCtxDeleter> ctx_;
  bool ok_ = false;
};

bool Finish(TSha256& sha, THashResult& result) {
  result.digest = sha.FinalHex();
  if (result.digest.empty()) {
    result.error = "SHA-256 not available";
    return false;
  }
  result.ok = true;
  return true;
}

bool OpenFor(TFileReader& reader, const std::string& path, THashResult& result) {
  if (!reader.Open(path)) {
    result.error = reader.Error();
    return false;
  }
  result.size = reader.Size();
  result.modified = reader.Modified();
  return true;
}

}  // namespace

std::string Sha256Hex(const void* data, size_t n) {
  TSha256 sha;
  sha.Update(data, n);
  return sha.FinalHex();
}

THashResult Sha256OfFirstBlock(const std::string& path, size_t block) {
  THashResult result;
  TFileReader reader;
  if (!OpenFor(reader, path, result)) return result;
  char* buffer;
  try {
    buffer = ThreadBuffer(block);
  } catch (const std::bad_alloc&) {
    result.error = "Out of memory";
    return result;
  }
  int64_t n = reader.Read(buffer, block);
  if (n < 0) {
    result.error = reader.Error();
    return result;
  }
  result.bytes_read = n;
  TSha256 sha;
  sha.Update(buffer, static_cast<size_t>(n));
  Finish(sha, result);
  return result;
}

THashResult Sha256OfFile(const std::string& path, const std::function<bool()>& stop_requested,
                         const std::function<void(int64_t)>& on_progress) {
  THashResult result;
  TFileReader reader;
  if (!OpenFor(reader, path, result)) return result;
  char* buffer;
  try {
    buffer = ThreadBuffer(kHashBlockSize);
  } catch (const std::bad_alloc&) {
    result.error = "Out of memory";
    return result;
  }
  reader.AdviseSequential();
  TSha256 sha;
  bool read_error = false;
  for (;;) {
    if (stop_requested && stop_requested()) {
      result.stopped = true;
      break;
    }
    int64_t n = reader.Read(buffer, kHashBlockSize);
    if (n < 0) {
      result.error = reader.Error();
      read_error = true;
      break;
    }
    if (n == 0) break;
    sha.Update(buffer, static_cast<size_t>(n));
    result.bytes_read += n;
    if (on_progress) on_progress(result.bytes_read);
    if (static_cast<size_t>(n) < kHashBlockSize) break;  // end of file reached
  }
  reader.DropCachedPages();
  if (result.stopped || read_error) return result;

  int64_t size_now = 0;
  TDateTime modified_now;
  if (!reader.CurrentState(size_now, modified_now) || size_now != result.size ||
      modified_now != result.modified || result.bytes_read != result.size) {
    result.changed = true;
  }
  Finish(sha, result);
  return result;
}

}  // namespace nrv
