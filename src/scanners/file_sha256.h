#pragma once
#include <string>

#include "scanners/local_file.h"

namespace nrv {

class TScanEngine;

// A file compared by SHA-256 digests: one of its first 4096 bytes, one of the
// whole file. Each is computed at most once per scan and kept.
class TFileSHA256 : public TLocalFile {
 public:
  using TLocalFile::TLocalFile;

  bool IsReady() const override { return !FShortHash.empty() && !FFullHash.empty(); }
  const std::string& GetShortHash(const TScanEngine& engine);
  const std::string& GetFullHash(const TScanEngine& engine);
  // Reads the whole file for its digest, without the cache. Returns true when
  // the digest belongs in the cache (read completely from an unchanged file).
  bool ComputeFullHash(const TScanEngine& engine);
  // Takes a digest found in the cache.
  void TakeCachedFullHash(const std::string& digest);
  // Digests computed elsewhere (a parallel stage or the cache) enter here.
  void SetShortHash(std::string digest) { FShortHash = std::move(digest); }
  void SetFullHash(std::string digest) { FFullHash = std::move(digest); }
  bool HasShortHash() const { return !FShortHash.empty(); }
  bool HasFullHash() const { return !FFullHash.empty(); }

 private:
  std::string FShortHash;
  std::string FFullHash;
};

}  // namespace nrv
