// The parallel stage before the checksum comparison: what the comparison would
// compute lazily, one file at a time, is computed here by a pool of readers.
#include <algorithm>
#include <unordered_map>

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
    f->GetShortHash(engine_);
    progress.AddProcessed(f->GetAnalyzed(), f->GetName());
  });
  if (progress.StopRequested()) return;

  // Whole files only where the first blocks agree with another file's.
  std::vector<TFileSHA256*> whole;
  const bool use_cache = cfg.CacheFileInfo;
  for (const auto& g : groups) {
    std::unordered_map<std::string, int> seen;
    for (auto* f : g) ++seen[static_cast<TFileSHA256*>(f)->GetShortHash(engine_)];
    std::vector<TFileSHA256*> need;
    for (auto* f : g) {
      auto* s = static_cast<TFileSHA256*>(f);
      if (!s->HasFullHash() && seen[s->GetShortHash(engine_)] > 1) need.push_back(s);
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
      entries.push_back({{f->GetFullName(), f->GetSize(), f->GetModified()}, f->GetFullHash(engine_)});
    }
    if (!entries.empty()) AppData().SaveFileHashes(entries);
  }
}

}  // namespace nrv
