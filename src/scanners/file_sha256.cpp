#include "scanners/file_sha256.h"

#include "engine/app_data.h"
#include "engine/scan_engine.h"
#include "scanners/file_hasher.h"
#include "services/app_log.h"

namespace nrv {

namespace {

// A digest that stands for an unreadable or changed file: its own path, which
// equals no other file's digest.
void LogHashError(const TLocalFile& file, const std::string& why) {
  AppLog().WriteLog("Error getting hash for file: " + file.GetFullName() + "\r\n" + why, 1);
}

bool MatchesScan(const TLocalFile& file, const THashResult& r) {
  return r.size == file.GetSize() && r.modified == file.GetModified() && !r.changed;
}

}  // namespace

const std::string& TFileSHA256::GetShortHash(const TScanEngine& engine) {
  if (!FShortHash.empty()) return FShortHash;
  std::string digest;
  if (GetSize() > 0) {
    THashResult r = Sha256OfFirstBlock(GetFullName());
    if (!r.ok) {
      LogHashError(*this, r.error);
      digest = GetFullName();
    } else if (!MatchesScan(*this, r)) {
      LogHashError(*this, "the file changed after it was found");
      digest = GetFullName();
    } else {
      digest = r.digest;
    }
  } else {
    digest = kEmptySha256;
  }
  if (engine.StopRequested()) {
    FShortHash = GetFullName();
    return FShortHash;
  }
  FShortHash = digest;
  SetAnalyzed(std::max<int64_t>(GetAnalyzed(), std::min<int64_t>(GetSize(), kFirstBlockSize)));
  if (GetSize() <= static_cast<int64_t>(kFirstBlockSize)) {
    FFullHash = FShortHash;
    SetAnalyzed(GetSize());
  }
  return FShortHash;
}

const std::string& TFileSHA256::GetFullHash(const TScanEngine& engine) {
  if (!FFullHash.empty()) return FFullHash;
  const bool use_cache = engine.ScanSettings().CacheFileInfo && GetSize() > 0;
  if (use_cache) {
    std::string cached = AppData().FindFileHash(GetFullName(), GetSize(), GetModified());
    if (!cached.empty() && !engine.StopRequested()) {
      TakeCachedFullHash(cached);
      return FFullHash;
    }
  }
  if (ComputeFullHash(engine) && use_cache) {
    AppData().SaveFileHash(GetFullName(), GetSize(), GetModified(), FFullHash);
  }
  return FFullHash;
}

void TFileSHA256::TakeCachedFullHash(const std::string& digest) {
  FFullHash = digest;
  SetAnalyzed(GetSize());
  if (GetSize() <= static_cast<int64_t>(kFirstBlockSize)) FShortHash = FFullHash;
}

bool TFileSHA256::ComputeFullHash(const TScanEngine& engine) {
  if (!FFullHash.empty()) return false;
  std::string digest;
  bool replaced = false;
  if (GetSize() > 0) {
    THashResult r = Sha256OfFile(GetFullName(), [&] { return engine.StopRequested(); });
    if (r.stopped) {
      digest.clear();
    } else if (!r.ok) {
      LogHashError(*this, r.error);
      digest = GetFullName();
      replaced = true;
    } else if (!MatchesScan(*this, r)) {
      LogHashError(*this, "the file changed after it was found");
      digest = GetFullName();
      replaced = true;
    } else {
      digest = r.digest;
    }
  } else {
    digest = kEmptySha256;
  }
  if (engine.StopRequested() || digest.empty()) {
    // Partial data never becomes a digest, in the item or in the cache.
    FFullHash = GetFullName();
    return false;
  }
  FFullHash = digest;
  SetAnalyzed(GetSize());
  if (GetSize() <= static_cast<int64_t>(kFirstBlockSize)) FShortHash = FFullHash;
  return !replaced && GetSize() > 0;
}

}  // namespace nrv
