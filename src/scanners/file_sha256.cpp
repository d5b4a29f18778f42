#include "scanners/file_sha256.h"

#include <algorithm>
#include <cstring>

#include "engine/app_data.h"
#include "engine/scan_engine.h"
#include "scanners/file_hasher.h"
#include "services/app_log.h"

namespace nrv {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void LogHashError(const TLocalFile& file, const std::string& why) {
  AppLog().WriteLog("Error getting hash for file: " + file.GetFullName() + "\r\n" + why, 1);
}

bool MatchesScan(const TLocalFile& file, const THashResult& r) {
  return r.size == file.GetSize() && r.modified == file.GetModified() && !r.changed;
}

}  // namespace

bool TDigest::SetHex(const std::string& hex) {
  if (hex.size() != 64) return false;
  std::array<uint8_t, 32> out{};
  for (size_t i = 0; i < 32; ++i) {
    int hi = HexValue(hex[2 * i]), lo = HexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    out[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  bytes = out;
  state = kValue;
  return true;
}

std::string TDigest::Hex() const {
  static const char* digits = "0123456789abcdef";
  std::string s(64, '0');
  for (size_t i = 0; i < 32; ++i) {
    s[2 * i] = digits[bytes[i] >> 4];
    s[2 * i + 1] = digits[bytes[i] & 15];
  }
  return s;
}

int TFileSHA256::Compare(const TDigest& a, const TFileSHA256& fa, const TDigest& b,
                         const TFileSHA256& fb) {
  if (a.state != b.state) return a.state < b.state ? -1 : 1;
  if (a.state == TDigest::kValue) {
    int c = std::memcmp(a.bytes.data(), b.bytes.data(), a.bytes.size());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (a.state == TDigest::kOwnPath) {
    int c = fa.GetFullName().compare(fb.GetFullName());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return 0;
}

std::string TFileSHA256::GetShortHash(const TScanEngine& engine) {
  EnsureShortHash(engine);
  return Text(short_);
}

std::string TFileSHA256::GetFullHash(const TScanEngine& engine) {
  EnsureFullHash(engine);
  return Text(full_);
}

void TFileSHA256::EnsureShortHash(const TScanEngine& engine) {
  if (short_.state != TDigest::kNone) return;
  TDigest digest;
  if (GetSize() > 0) {
    THashResult r = Sha256OfFirstBlock(GetFullName());
    if (!r.ok) {
      LogHashError(*this, r.error);
      SetOwnPath(digest);
    } else if (!MatchesScan(*this, r)) {
      LogHashError(*this, "the file changed after it was found");
      SetOwnPath(digest);
    } else {
      digest.SetHex(r.digest);
    }
  } else {
    digest.SetHex(kEmptySha256);
  }
  if (engine.StopRequested()) {
    SetOwnPath(short_);
    return;
  }
  short_ = digest;
  SetAnalyzed(std::max<int64_t>(GetAnalyzed(), std::min<int64_t>(GetSize(), kFirstBlockSize)));
  if (GetSize() <= static_cast<int64_t>(kFirstBlockSize)) {
    full_ = short_;
    SetAnalyzed(GetSize());
  }
}

void TFileSHA256::EnsureFullHash(const TScanEngine& engine) {
  if (full_.state != TDigest::kNone) return;
  const bool use_cache = engine.ScanSettings().CacheFileInfo && GetSize() > 0;
  if (use_cache) {
    std::string cached = AppData().FindFileHash(GetFullName(), GetSize(), GetModified());
    if (!cached.empty() && !engine.StopRequested()) {
      TakeCachedFullHash(cached);
      if (full_.state != TDigest::kNone) return;
    }
  }
  if (ComputeFullHash(engine) && use_cache) {
    AppData().SaveFileHash(GetFullName(), GetSize(), GetModified(), full_.Hex());
  }
}

void TFileSHA256::TakeCachedFullHash(const std::string& hex) {
  if (!full_.SetHex(hex)) return;
  SetAnalyzed(GetSize());
  if (GetSize() <= static_cast<int64_t>(kFirstBlockSize)) short_ = full_;
}

bool TFileSHA256::ComputeFullHash(const TScanEngine& engine) {
  if (full_.state != TDigest::kNone) return false;
  TDigest digest;
  bool replaced = false;
  if (GetSize() > 0) {
    THashResult r = Sha256OfFile(GetFullName(), [&] { return engine.StopRequested(); });
    if (r.stopped) {
      // no digest
    } else if (!r.ok) {
      LogHashError(*this, r.error);
      SetOwnPath(digest);
      replaced = true;
    } else if (!MatchesScan(*this, r)) {
      LogHashError(*this, "the file changed after it was found");
      SetOwnPath(digest);
      replaced = true;
    } else {
      digest.SetHex(r.digest);
    }
  } else {
    digest.SetHex(kEmptySha256);
  }
  if (engine.StopRequested() || digest.state == TDigest::kNone) {
    // Partial data never becomes a digest, in the item or in the cache.
    SetOwnPath(full_);
    return false;
  }
  full_ = digest;
  SetAnalyzed(GetSize());
  if (GetSize() <= static_cast<int64_t>(kFirstBlockSize)) short_ = full_;
  return !replaced && GetSize() > 0;
}

}  // namespace nrv
