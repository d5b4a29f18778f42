// The parallel stage before the byte-by-byte comparison: the files of a set of
// candidates are read in step and split into classes of equal content.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/scan_engine.h"
#include "scanners/candidate_groups.h"
#include "scanners/file_reader.h"
#include "scanners/parallel_for.h"
#include "scanners/scanner_bbb.h"
#include "services/code_utils.h"

namespace nrv {

namespace {

constexpr size_t kBlock = 65521;  // fits the 16-bit length of the CRC routine

struct TReading {
  TFileBBB* item;
  TFileReader reader;
  uint32_t crc = 0xFFFFFFFF;
  int64_t count = 0;
  std::vector<unsigned char> block;
  int64_t block_len = 0;
};

std::atomic<uint64_t> g_next_class{1};

// Reads the set in step until every member is alone or all reached the end.
void ClassifySet(std::vector<TReading*> set, IPrepareProgress& progress) {
  std::vector<std::vector<TReading*>> pending{std::move(set)};
  while (!pending.empty()) {
    auto current = std::move(pending.back());
    pending.pop_back();
    for (;;) {
      if (progress.StopRequested()) return;
      bool failed = false;
      for (auto* r : current) {
        r->block.resize(kBlock);
        r->block_len = r->reader.Read(r->block.data(), kBlock);
        if (r->block_len < 0) {
          failed = true;
          r->block_len = -1;
          continue;
        }
        r->count += r->block_len;
        r->item->SetAnalyzed(std::max(r->item->GetAnalyzed(), r->count));
        progress.AddProcessed(r->block_len, r->item->GetName());
      }
      if (failed) {
        // An unreadable file equals nothing; the others go on without it.
        current.erase(std::remove_if(current.begin(), current.end(),
                                     [](TReading* r) { return r->block_len < 0; }),
                      current.end());
      }
      std::sort(current.begin(), current.end(), [](const TReading* a, const TReading* b) {
        if (a->block_len != b->block_len) return a->block_len < b->block_len;
        return std::memcmp(a->block.data(), b->block.data(), static_cast<size_t>(a->block_len)) < 0;
      });
      // Split into runs of equal blocks; runs of one are finished.
      std::vector<std::vector<TReading*>> runs;
      for (size_t i = 0; i < current.size();) {
        size_t j = i + 1;
        while (j < current.size() && current[j]->block_len == current[i]->block_len &&
               std::memcmp(current[j]->block.data(), current[i]->block.data(),
                           static_cast<size_t>(current[i]->block_len)) == 0) {
          ++j;
        }
        if (j - i >= 2) runs.emplace_back(current.begin() + i, current.begin() + j);
        i = j;
      }
      // Members of a run have read the same bytes so far, so one CRC serves them
      // all; files that parted from every other need none (they equal nothing).
      for (auto& run : runs) {
        uint32_t crc = run.front()->crc;
        UpdateCrc32(run.front()->block.data(), static_cast<uint16_t>(run.front()->block_len), crc);
        for (auto* r : run) {
          r->crc = crc;
          if (r->count == r->item->GetSize()) r->item->SetHash(crc);
        }
      }
      std::vector<std::vector<TReading*>> ongoing;
      for (auto& run : runs) {
        if (run.front()->block_len == 0 || run.front()->count >= run.front()->item->GetSize()) {
          const uint64_t cls = g_next_class++;
          for (auto* r : run) {
            r->item->SetHash(r->crc);
            r->item->SetContentClass(cls);
          }
        } else {
          ongoing.push_back(std::move(run));
        }
      }
      if (ongoing.empty()) break;
      current = std::move(ongoing.back());
      ongoing.pop_back();
      for (auto& o : ongoing) pending.push_back(std::move(o));
    }
  }
}

}  // namespace

void TScannerBBB::PrepareComparison(const std::vector<IFileInfoPtr>& files,
                                    IPrepareProgress& progress) {
  auto groups = CandidateGroups(files, engine_.ScanSettings());
  std::vector<TLocalFile*> firsts;
  for (auto& g : groups) {
    SortForReading(g);
    firsts.push_back(g.front());
  }
  // Sets are read one per thread, in the order of their first file.
  std::vector<size_t> order(groups.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::make_pair(firsts[a]->Device(), firsts[a]->Inode()) <
           std::make_pair(firsts[b]->Device(), firsts[b]->Inode());
  });
  ParallelFor(order.size(), ReaderThreadsForItems(firsts), [&](size_t k) {
    if (progress.StopRequested()) return;
    const auto& g = groups[order[k]];
    std::vector<std::unique_ptr<TReading>> readings;
    std::vector<TReading*> set;
    for (auto* f : g) {
      auto r = std::make_unique<TReading>();
      r->item = static_cast<TFileBBB*>(f);
      if (r->item->ContentClass() != 0) continue;
      // A file that cannot be opened or changed since the walk equals nothing.
      if (!r->reader.Open(f->GetFullName()) || r->reader.Size() != f->GetSize() ||
          r->reader.Modified() != f->GetModified()) {
        continue;
      }
      r->reader.AdviseSequential();
      set.push_back(r.get());
      readings.push_back(std::move(r));
    }
    if (set.size() >= 2) ClassifySet(std::move(set), progress);
    for (auto& r : readings) r->reader.DropCachedPages();
  });
}

}  // namespace nrv
