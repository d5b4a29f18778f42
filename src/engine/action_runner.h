#pragma once
// What every action on duplicates and every undo share: the worker thread with
// the caller waiting beside it, the progress hand-over, the list of folders an
// action touched and the removal of the folders it left empty.
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/scan_engine.h"

namespace nrv {

// The progress of one member loop. The worker counts; the caller's thread takes
// the reports and runs the callback with them.
class TActionProgress {
 public:
  explicit TActionProgress(int32_t total_items);

  // Worker: one member was visited.
  void Step(bool succeeded);
  // Worker: the loop is over (also after a failure); the final report always comes.
  void Finish();
  // Caller: the reports queued since the last call, oldest first.
  std::vector<TProgressInfo> TakeReports();
  TProgressInfo Snapshot() const;

 private:
  void Queue();  // with mutex_ held

  mutable std::mutex mutex_;
  TProgressInfo info_;
  std::vector<TProgressInfo> queue_;
  int last_percent_ = 0;
  std::chrono::steady_clock::time_point last_report_;
};

// Runs `work` on a worker thread. The calling thread reports the start through
// `progress` itself, then waits in steps of at most 100 ms, calling
// `waiter.on_wait_step` after each step and `progress` with every report the
// worker queued; the final report comes after the worker has ended. An exception
// from the work, the callback or the wait step is rethrown here once the worker
// has been joined.
void RunOnWorker(int32_t total_items, const TProgressCallback& progress,
                 const TActionWaiter& waiter, const std::function<void(TActionProgress&)>& work);

// Folders an action took files from (or, for an undone move, put them back
// from): ordered without regard to letter case, so a parent comes before its
// subfolders; names differing only in case are different folders here.
struct TFolderOrder {
  bool operator()(const std::string& a, const std::string& b) const;
};
using TFolderList = std::set<std::string, TFolderOrder>;

// Removes the listed folders that are empty and then each of their ancestors that
// became empty, deepest entries first, logging every folder removed.
void RemoveEmptyFolders(IScanner& scanner, const TFolderList& folders);

}  // namespace nrv
