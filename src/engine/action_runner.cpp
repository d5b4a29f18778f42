#include "engine/action_runner.h"

#include <condition_variable>
#include <exception>
#include <thread>

#include "services/app_log.h"
#include "services/text.h"

namespace nrv {

namespace {

constexpr std::chrono::milliseconds kWaitStep{100};
constexpr std::chrono::milliseconds kMinReportGap{100};

int PercentOf(const TProgressInfo& info) {
  if (info.TotalItems <= 0) return 100;
  return static_cast<int>(int64_t{info.Current} * 100 / info.TotalItems);
}

}  // namespace

TActionProgress::TActionProgress(int32_t total_items)
    : last_report_(std::chrono::steady_clock::now()) {
  info_.TotalItems = total_items;
}

void TActionProgress::Step(bool succeeded) {
  std::lock_guard lock(mutex_);
  ++info_.Current;
  if (!succeeded) ++info_.Failed;
  // A report for each new whole percentage, but not more often than a window can
  // usefully repaint.
  const int p = PercentOf(info_);
  const auto now = std::chrono::steady_clock::now();
  if (p != last_percent_ && now - last_report_ >= kMinReportGap) {
    last_percent_ = p;
    last_report_ = now;
    Queue();
  }
}

void TActionProgress::Finish() {
  std::lock_guard lock(mutex_);
  info_.Current = info_.TotalItems;
  Queue();
}

void TActionProgress::Queue() {
  queue_.push_back(info_);
}

std::vector<TProgressInfo> TActionProgress::TakeReports() {
  std::lock_guard lock(mutex_);
  std::vector<TProgressInfo> out;
  out.swap(queue_);
  return out;
}

TProgressInfo TActionProgress::Snapshot() const {
  std::lock_guard lock(mutex_);
  return info_;
}

void RunOnWorker(int32_t total_items, const TProgressCallback& progress,
                 const TActionWaiter& waiter, const std::function<void(TActionProgress&)>& work) {
  TActionProgress reporter(total_items);
  if (progress) progress(reporter.Snapshot());

  std::mutex done_mutex;
  std::condition_variable done_cv;
  bool done = false;
  std::exception_ptr worker_error;
  std::thread worker([&] {
    try {
      work(reporter);
    } catch (...) {
      worker_error = std::current_exception();
    }
    reporter.Finish();
    std::lock_guard lock(done_mutex);
    done = true;
    done_cv.notify_all();
  });

  // The worker must be joined whatever the caller's code does meanwhile, so a
  // failing callback is remembered and rethrown only afterwards.
  std::exception_ptr caller_error;
  auto run_reports = [&] {
    for (const auto& info : reporter.TakeReports()) {
      if (!progress || caller_error) continue;
      try {
        progress(info);
      } catch (...) {
        caller_error = std::current_exception();
      }
    }
  };
  for (;;) {
    bool finished;
    {
      std::unique_lock lock(done_mutex);
      finished = done_cv.wait_for(lock, kWaitStep, [&] { return done; });
    }
    if (finished) break;
    run_reports();
    if (waiter.on_wait_step && !caller_error) {
      try {
        waiter.on_wait_step();
      } catch (...) {
        caller_error = std::current_exception();
      }
    }
  }
  worker.join();
  run_reports();
  if (worker_error) std::rethrow_exception(worker_error);
  if (caller_error) std::rethrow_exception(caller_error);
}

bool TFolderOrder::operator()(const std::string& a, const std::string& b) const {
  const int c = text::CompareNoCase(a, b);
  return c != 0 ? c < 0 : a < b;
}

void RemoveEmptyFolders(IScanner& scanner, const TFolderList& folders) {
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    // Ancestors that still hold something are passed over, not a reason to stop:
    // a folder further up may have held nothing but this branch.
    for (IFolderPtr folder = scanner.GetFolderByName(*it); folder; folder = folder->GetParent()) {
      if (folder->Exists() && folder->IsEmpty() && folder->Delete()) {
        AppLog().WriteLog("Removed empty folder: " + folder->GetDisplayName(), 3);
      }
    }
  }
}

}  // namespace nrv
