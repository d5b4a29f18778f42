// The parallel stage before the checksum comparison: what the comparison would
// compute lazily, one file at a time, is computed here by a pool of readers.
#include <algorithm>

#include "engine/app_data.h"
#include "engine/scan_engine.h"
#include "scanners/candidate_groups.h"
#include "scanners/file_hasher.h"
#include "scanners/file_sha256.h"
#include "scanners/parallel_for.h"
#include "scanners/scanner_sha256.h"

namespace nrv {

void TScannerSHA256::PrepareComparison(const std::vector<IFileInfoPtr>& files,
                                       IPrepareProgress& progress) {
  const TScanConfig& cfg = engine_.ScanSettings();
  auto groups = CandidateGroups(files, cfg);

  // First blocks of every candidate.
  std::vector<TLocalFile*> first;
  for (const auto& g : groups) first.insert(first.end(), g.begin(), g.end());
  SortForReading(first);
  ParallelFor(first.size(), ReaderThreadsForItems(first), [&](size_t i) {
    if (progress.StopRequested()) return;
    auto* f = static_cast<TFileSHA256*>(first[i]);
    if (f->HasShortHash()) return;
    f->EnsureShortHash(engine_);
    progress.AddProcessed(f->GetAnalyzed(), f->GetName());
  });
  if (progress.StopRequested()) return;

  // Whole files only where the first blocks agree with another file's.
  std::vector<TFileSHA256*> whole;
  const bool use_cache = cfg.CacheFileInfo;
  for (const auto& g : groups) {
    // Which first-block digests occur more than once in the set (a stand-in path
    // is unique by nature).
    std::vector<TFileSHA256*> sorted;
    for (auto* f : g) {
      auto* s = static_cast<TFileSHA256*>(f);
      s->EnsureShortHash(engine_);
      if (s->ShortDigest().state == TDigest::kValue) sorted.push_back(s);
    }
    auto less = [](const TFileSHA256* a, const TFileSHA256* b) {
      return a->ShortDigest().bytes < b->ShortDigest().bytes;
    };
    std::sort(sorted.begin(), sorted.end(), less);
    std::vector<TFileSHA256*> need;
    for (size_t a = 0; a < sorted.size();) {
      size_t b = a + 1;
      while (b < sorted.size() && !less(sorted[a], sorted[b])) ++b;
      if (b - a > 1) {
        for (size_t k = a; k < b; ++k) {
          if (!sorted[k]->HasFullHash()) need.push_back(sorted[k]);
        }
      }
      a = b;
    }
    if (need.empty()) continue;
    if (use_cache) {
      std::vector<TCacheKey> keys;
      for (auto* s : need) keys.push_back({s->GetFullName(), s->GetSize(), s->GetModified()});
      auto hashes = AppData().FindFileHashes(keys);
      for (size_t k = 0; k < need.size(); ++k) {
        if (k < hashes.size() && !hashes[k].empty()) {
          need[k]->TakeCachedFullHash(hashes[k]);
          progress.AddProcessed(need[k]->GetSize(), need[k]->GetName());
        } else {
          whole.push_back(need[k]);
        }
      }
    } else {
      whole.insert(whole.end(), need.begin(), need.end());
    }
  }
  std::vector<TLocalFile*> order(whole.begin(), whole.end());
  SortForReading(order);
  std::vector<char> store(order.size(), 0);
  ParallelFor(order.size(), ReaderThreadsForItems(order), [&](size_t i) {
    if (progress.StopRequested()) return;
    auto* f = static_cast<TFileSHA256*>(order[i]);
    store[i] = f->ComputeFullHash(engine_) ? 1 : 0;
    progress.AddProcessed(f->GetAnalyzed(), f->GetName());
  });
  if (use_cache) {
    std::vector<TCacheEntry> entries;
    for (size_t i = 0; i < order.size(); ++i) {
      if (!store[i]) continue;
      auto* f = static_cast<TFileSHA256*>(order[i]);
      entries.push_back({{f->GetFullName(), f->GetSize(), f->GetModified()}, f->FullDigest().Hex()});
    }
    if (!entries.empty()) AppData().SaveFileHashes(entries);
  }
}

}  // namespace nrv
