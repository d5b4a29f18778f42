#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "scanners/local_file.h"

namespace nrv {

class TScanEngine;

// A digest kept in 33 bytes rather than as text: a scan may hold millions.
struct TDigest {
  enum TState : uint8_t { kNone, kValue, kOwnPath };
  std::array<uint8_t, 32> bytes{};
  TState state = kNone;

  // From 64 hexadecimal digits; false (and no change) for anything else.
  bool SetHex(const std::string& hex);
  std::string Hex() const;
};

// A file compared by SHA-256 digests: one of its first 4096 bytes, one of the
// whole file. Each is computed at most once per scan and kept. A file that
// cannot be read (or changed, or whose reading was stopped) gets its own path in
// place of a digest, which equals no other file's.
class TFileSHA256 : public TLocalFile {
 public:
  using TLocalFile::TLocalFile;

  bool IsReady() const override {
    return short_.state != TDigest::kNone && full_.state != TDigest::kNone;
  }
  // The digests as text: 64 lower-case hexadecimal digits, or the path.
  std::string GetShortHash(const TScanEngine& engine);
  std::string GetFullHash(const TScanEngine& engine);
  // Compute the digests when not yet known.
  void EnsureShortHash(const TScanEngine& engine);
  void EnsureFullHash(const TScanEngine& engine);
  // Reads the whole file for its digest, without the cache. Returns true when
  // the digest belongs in the cache (read completely from an unchanged file).
  bool ComputeFullHash(const TScanEngine& engine);
  // Takes a digest found in the cache.
  void TakeCachedFullHash(const std::string& hex);
  bool HasShortHash() const { return short_.state != TDigest::kNone; }
  bool HasFullHash() const { return full_.state != TDigest::kNone; }
  const TDigest& ShortDigest() const { return short_; }
  const TDigest& FullDigest() const { return full_; }

  // Orders two items' digests as their texts would be ordered by kind: real
  // digests by value, before stand-in paths, which compare by path.
  static int Compare(const TDigest& a, const TFileSHA256& fa, const TDigest& b,
                     const TFileSHA256& fb);

 private:
  std::string Text(const TDigest& d) const { return d.state == TDigest::kValue ? d.Hex() : GetFullName(); }
  void SetOwnPath(TDigest& d) { d.state = TDigest::kOwnPath; }

  TDigest short_;
  TDigest full_;
};

}  // namespace nrv
