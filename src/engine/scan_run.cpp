// The scan run: the scan thread and its stages, the folder and file tests.
#include <algorithm>
#include <exception>

#include "engine/comparison_preparer.h"
#include "engine/file_mask.h"
#include "engine/messages.h"
#include "engine/message_bus.h"
#include "engine/scan_engine.h"
#include "services/app_log.h"
#include "services/code_utils.h"
#include "services/text.h"

namespace nrv {

namespace {

std::string WithSeparator(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

// Keeps the items for which keep(i) is true, preserving their order, in one pass.
template <class Keep>
void Compact(std::vector<IFileInfoPtr>& files, Keep keep) {
  size_t out = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    if (keep(i)) {
      if (out != i) files[out] = std::move(files[i]);
      ++out;
    }
  }
  files.resize(out);
}

// Drops every item that has no equal neighbour; `equal` compares two items of
// a run (the first of the run with a later one).
template <class Equal>
void KeepRuns(std::vector<IFileInfoPtr>& files, Equal equal) {
  std::vector<char> keep(files.size(), 0);
  size_t start = 0;
  for (size_t i = 1; i <= files.size(); ++i) {
    if (i < files.size() && equal(files[start], files[i])) continue;
    if (i - start >= 2) std::fill(keep.begin() + start, keep.begin() + i, 1);
    start = i;
  }
  Compact(files, [&](size_t i) { return keep[i] != 0; });
}

}  // namespace

void TScanEngine::SetStatus(TScanStatus status, bool announce) {
  status_ = status;
  UpdateProgress([&](TScanProgressInfo& p) { p.Status = status; });
  if (announce) MessageBus().Publish(TScanStatusMessage{status});
}

void TScanEngine::RefreshElapsed() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - FStopWatch);
  UpdateProgress([&](TScanProgressInfo& p) { p.Elapsed = ms; });
}

TScanProgressInfo TScanEngine::GetProgress() const {
  std::lock_guard lock(progress_mutex_);
  TScanProgressInfo copy = FProgress;
  copy.Status = status_.load();
  return copy;
}

bool TScanEngine::IsScanRunning() const {
  switch (GetStatus()) {
    case TScanStatus::ssStarted:
    case TScanStatus::ssScanFolders:
    case TScanStatus::ssProcessing:
    case TScanStatus::ssStopping:
    case TScanStatus::ssFinishing:
      return true;
    default:
      return false;
  }
}

void TScanEngine::UpdateScanSettings(const TScanConfig& scan_settings) {
  FScanSettings = scan_settings;
}

void TScanEngine::InitializeScan(const TScanConfig& scan_settings) {
  try {
    if (!FScanModes) return;
    auto st = GetStatus();
    if (st != TScanStatus::ssIdle && st != TScanStatus::ssFinished) return;
    if (scan_thread_.joinable()) scan_thread_.join();
    UpdateScanSettings(scan_settings);
    FFilesToScan.clear();
    if (auto scanner = GetScanner()) scanner->Initialize();
    FUndo.clear();
    FGroupList.clear();
    FFilteredFiles.clear();
    FFiles.clear();
    FGroups.clear();
    FFolders.clear();
    FPaths.clear();
    status_ = TScanStatus::ssIdle;
    UpdateProgress([](TScanProgressInfo& p) { p.Reset(); });
    FCurrentItem.reset();
    MessageBus().Publish(TResultSetChanged{});
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to initialize scan", e);
  }
}

void TScanEngine::SetFilesToScan(const std::vector<std::string>& files) { FFilesToScan = files; }

void TScanEngine::StartScan() {
  if (!FScanModes || GetStatus() != TScanStatus::ssIdle) return;
  if (scan_thread_.joinable()) scan_thread_.join();
  {
    std::lock_guard lock(finish_mutex_);
    finished_ = false;
  }
  SetStatus(TScanStatus::ssStarted, false);
  scan_thread_ = std::thread([this] { ScanProc(); });
  MessageBus().Publish(TScanStatusMessage{TScanStatus::ssStarted});
}

void TScanEngine::StopScan() {
  SetStatus(TScanStatus::ssStopping, false);
  RefreshElapsed();
  MessageBus().Publish(TScanStatusMessage{TScanStatus::ssStopping});
}

void TScanEngine::WaitForScan() {
  {
    std::unique_lock lock(finish_mutex_);
    finish_cv_.wait(lock, [&] { return finished_; });
  }
  if (scan_thread_.joinable() && scan_thread_.get_id() != std::this_thread::get_id()) {
    scan_thread_.join();
  }
}

bool TScanEngine::WaitForScanFor(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(finish_mutex_);
    if (!finish_cv_.wait_for(lock, timeout, [&] { return finished_; })) return false;
  }
  WaitForScan();
  return true;
}

void TScanEngine::FinishScanThread() {
  auto finish = [this] {
    SetStatus(TScanStatus::ssFinished, false);
    RefreshElapsed();
    MessageBus().Publish(TScanStatusMessage{TScanStatus::ssFinished});
    std::lock_guard lock(finish_mutex_);
    finished_ = true;
    finish_cv_.notify_all();
  };
  if (main_thread_post_) {
    main_thread_post_(finish);
  } else {
    finish();
  }
}

bool TScanEngine::AddFile(const IFileInfoPtr& file) {
  if (GetStatus() != TScanStatus::ssScanFolders || !file) return false;
  UpdateProgress([&](TScanProgressInfo& p) { ++p.TotalFiles; });
  RefreshElapsed();
  file->SetIndex(static_cast<int32_t>(FFiles.size()));
  FFiles.push_back(file);
  return false;
}

bool TScanEngine::CheckFolder(const IFolderPtr& folder) {
  auto skip = [&](const char* why, int level) {
    AppLog().WriteLog(std::string(why) + folder->GetDisplayName(), level);
    return false;
  };
  try {
    auto scanner = GetScanner();
    if (!FScanModes || !scanner) return skip("Folder skipped (unknown scan mode): ", 1);
    if (!scanner->FolderExists(folder)) return skip("Folder skipped (does not exist): ", 2);
    const std::string display = folder->GetDisplayName();
    if (!scanner->ScanExcludedFolders()) {
      for (const auto& ex : FScanSettings.ExcludePaths) {
        // The separator keeps "/a/b" from excluding "/a/bc/".
        if (!ex.empty() && text::StartsWithNoCase(display, WithSeparator(ex)))
          return skip("Folder skipped (excluded from scan): ", 2);
      }
    }
    for (const auto& entry : FScanSettings.IgnoreList) {
      if (entry == "*.*" || text::StartsWithNoCase(display, entry) ||
          MatchesWildcard(entry + "*", display))
        return skip("Folder skipped (ignore list): ", 2);
    }
    const auto& cfg = FScanSettings;
    if (cfg.SkipSysAppFolders && (scanner->IsAppFolder(folder) || scanner->IsSysFolder(folder)))
      return skip("Folder skipped (system/application): ", 2);
    if (cfg.SkipJunctionPoints && scanner->IsJunctionPoint(folder))
      return skip("Folder skipped (junction point): ", 2);
    if (cfg.SkipTemporary && scanner->IsTempFolder(folder))
      return skip("Folder skipped (temporary): ", 2);
    if (cfg.SkipTrash && scanner->IsTrashFolder(folder))
      return skip("Folder skipped (system trash): ", 2);
    if (cfg.SkipSymbolicLinks && scanner->IsSymbolicLink(folder))
      return skip("Folder skipped (symbolic link): ", 2);
    if (scanner->IsHidden(folder) && !cfg.IncludeHidden) return skip("Folder skipped (hidden): ", 2);
    AppLog().WriteLog("Scanning folder: " + display, 3);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to check folder", e);
    return false;
  }
}

bool TScanEngine::CheckFile(const IFileInfoPtr& file) {
  auto skip = [&](const char* why, int level) {
    AppLog().WriteLog(std::string(why) + file->GetDisplayName(), level);
    return false;
  };
  try {
    if (!file || !file->IsValid()) return false;
    const auto& cfg = FScanSettings;
    if (!FFilesToScan.empty()) {
      const auto full = file->GetFullName();
      const auto display = file->GetDisplayName();
      bool listed = std::find(FFilesToScan.begin(), FFilesToScan.end(), full) != FFilesToScan.end() ||
                    std::find(FFilesToScan.begin(), FFilesToScan.end(), display) != FFilesToScan.end();
      if (!listed) return skip("File skipped (not in list): ", 3);
    }
    const int64_t size = file->GetSize();
    if (size < 1 && cfg.SkipZeroSize) return skip("File skipped (zero size): ", 3);
    if (!(size > cfg.MinFileSize)) return skip("File skipped (min size): ", 3);
    if (cfg.MaxFileSize != -1 && !(size < cfg.MaxFileSize)) return skip("File skipped (max size): ", 3);
    auto scanner = LScanner ? LScanner : GetScanner();
    if (!scanner) return false;
    if (scanner->SupportedFeatures().Contains(TScannerFeature::sfFileMask)) {
      const std::string name = file->GetName();
      if (!MatchesAnyFileMask(cfg.IncludeMasks, name))
        return skip("File skipped (include masks): ", 3);
      if (MatchesAnyFileMask(cfg.ExcludeMasks, name))
        return skip("File skipped (exclude masks): ", 3);
    }
    if (cfg.SkipSysFiles && scanner->IsSysFile(file)) return skip("File skipped (system file): ", 3);
    if (cfg.SkipTemporary && scanner->IsTempFile(file)) return skip("File skipped (temporary): ", 3);
    if (scanner->IsHidden(file) && !cfg.IncludeHidden) return skip("File skipped (hidden): ", 2);
    if (cfg.SkipCompressed && scanner->IsCompressed(file))
      return skip("File skipped (compressed): ", 3);
    if (cfg.SkipSymbolicLinks && scanner->IsSymbolicLink(file))
      return skip("File skipped (symbolic link): ", 3);
    if (cfg.SkipHardLinks && scanner->IsHardLink(file)) return skip("File skipped (hard link): ", 3);
    if (!file->CheckContent()) return skip("File skipped (content): ", 3);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to equeue file for processing", e);
    return false;
  }
}

void TScanEngine::ScanFolderTree(const IFolderPtr& folder, bool top_level) {
  if (GetStatus() != TScanStatus::ssScanFolders || !folder) return;
  try {
    AppLog().WriteLog("Scan folder: " + folder->GetName(), 3);
    UpdateProgress([&](TScanProgressInfo& p) { p.CurrentPath = folder->GetDisplayName(); });
    RefreshElapsed();
    if (!CheckFolder(folder)) return;
    auto scanner = GetScanner();
    if (FScanSettings.ScanSubdirectories) {
      for (const auto& sub : scanner->GetFolders(folder)) {
        if (GetStatus() != TScanStatus::ssScanFolders) break;
        ScanFolderTree(sub, false);
      }
    }
    if (GetStatus() == TScanStatus::ssScanFolders && !(top_level && FScanSettings.ExcludeContainer)) {
      scanner->ScanFolder(folder);
    }
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to scan folder", e);
  }
}

int TScanEngine::CompareForScan(const IFileInfoPtr& left, const IFileInfoPtr& right) {
  ++LCur;
  const int64_t left_before = left->GetAnalyzed(), right_before = right->GetAnalyzed();
  const bool by_size = LBySize;
  int result;
  if (StopRequested() && by_size) {
    result = 0;
  } else if (left == right) {
    // The walk lists every file once, so only the very same item is the same file
    // (and Linux names are case-sensitive).
    result = 0;
  } else {
    result = LScanner->CompareFiles(left, right);
  }
  int64_t grown = 0;
  if (left->GetAnalyzed() > left_before) grown += left->GetAnalyzed();
  if (right->GetAnalyzed() > right_before) grown += right->GetAnalyzed();
  // Comparisons of ready values are millions a second: the record is refreshed
  // when a file was read, and otherwise every few thousand comparisons.
  if (grown == 0 && (LCur & 4095) != 0) return result;
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - FStopWatch);
  UpdateProgress([&](TScanProgressInfo& p) {
    p.ProcessedSize += grown;
    p.CurrentPath = left->GetName();
    p.Elapsed = elapsed;
    if (by_size) {
      p.Progress = p.SizeToProcess > 0
                       ? static_cast<float>(std::min<double>(
                             100.0, p.ProcessedSize * 100.0 / static_cast<double>(p.SizeToProcess)))
                       : 100.0f;
      if (p.ProcessedSize > 0) {
        LMs = static_cast<double>(elapsed.count()) * static_cast<double>(p.SizeToProcess) /
              static_cast<double>(p.ProcessedSize);
        p.Remaining = std::chrono::milliseconds(
            std::max<int64_t>(0, static_cast<int64_t>(LMs) - elapsed.count()));
      }
    }
  });
  return result;
}

// Lets the scanner compute in parallel what the comparison will ask for; the
// progress it reports is the same the comparison would report.
void TScanEngine::PrepareComparison() {
  auto* preparer = dynamic_cast<IComparisonPreparer*>(LScanner.get());
  if (!preparer || FFiles.size() < 2) return;
  class TProgress : public IPrepareProgress {
   public:
    explicit TProgress(TScanEngine& e) : e_(e) {}
    void AddProcessed(int64_t bytes, const std::string& current) override {
      auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - e_.FStopWatch);
      e_.UpdateProgress([&](TScanProgressInfo& p) {
        p.ProcessedSize += bytes;
        p.CurrentPath = current;
        p.Elapsed = elapsed;
        if (p.SizeToProcess > 0) {
          p.Progress = static_cast<float>(
              std::min(100.0, p.ProcessedSize * 100.0 / static_cast<double>(p.SizeToProcess)));
        }
        if (p.ProcessedSize > 0) {
          double total_ms = static_cast<double>(elapsed.count()) *
                            static_cast<double>(std::max(p.SizeToProcess, p.ProcessedSize)) /
                            static_cast<double>(p.ProcessedSize);
          p.Remaining = std::chrono::milliseconds(
              std::max<int64_t>(0, static_cast<int64_t>(total_ms) - elapsed.count()));
        }
      });
    }
    bool StopRequested() const override { return e_.StopRequested(); }

   private:
    TScanEngine& e_;
  } progress(*this);
  preparer->PrepareComparison(FFiles, progress);
}

void TScanEngine::BuildGroups() {
  TGroupPtr current;
  IFileInfoPtr reference;
  int32_t dups = 0;
  int64_t dup_size = 0;
  for (const auto& item : FFiles) {
    if (reference && LScanner->CompareFiles(reference, item) == 0) {
      ++dups;
      dup_size += item->GetSize();
    } else {
      reference = item;
      current = std::make_shared<TGroup>();
      FGroupList.push_back(current);
      current->SetGroupNo(static_cast<int32_t>(FGroupList.size()));
    }
    current->Add(item);
  }
  UpdateProgress([&](TScanProgressInfo& p) {
    p.DuplicateFiles += dups;
    p.DuplicatesSize += dup_size;
  });
}

void TScanEngine::ScanProc() {
  try {
    FStopWatch = std::chrono::steady_clock::now();
    AppLog().WriteLog("Scanning folders", 3);
    // A stop requested before the thread got going stays requested.
    TScanStatus expected = TScanStatus::ssStarted;
    if (status_.compare_exchange_strong(expected, TScanStatus::ssScanFolders)) {
      SetStatus(TScanStatus::ssScanFolders, true);
    }
    auto scanner = GetScanner();
    auto walk = [&](const std::vector<std::string>& paths) {
      for (const auto& path : paths) {
        if (StopRequested()) break;
        UpdateProgress([&](TScanProgressInfo& p) { p.CurrentPath = path; });
        ScanFolderTree(scanner->GetFolder(path), true);
      }
    };
    FScanningMaster = true;
    try {
      walk(FScanSettings.IncludePaths);
    } catch (...) {
      FScanningMaster = false;
      throw;
    }
    FScanningMaster = false;
    if (scanner->ScanExcludedFolders()) walk(FScanSettings.ExcludePaths);

    AppLog().WriteLog("Processing files", 3);
    LScanner = scanner;
    const bool by_count = LScanner->ProgressMethod() == TProgressMethod::spmScanCount;
    LBySize = LScanner->ProgressMethod() == TProgressMethod::spmDataSize;
    if (StopRequested() || FFiles.size() < 2) {
      FFiles.clear();
    } else {
      SetStatus(TScanStatus::ssProcessing, true);
      RefreshElapsed();
      // File tests, from the last item to the first.
      const int32_t total = static_cast<int32_t>(FFiles.size());
      std::vector<char> keep(FFiles.size(), 1);
      for (int32_t i = total - 1; i >= 0; --i) {
        if (StopRequested()) break;
        const auto& item = FFiles[static_cast<size_t>(i)];
        if (CheckFile(item)) {
          auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
              std::chrono::steady_clock::now() - FStopWatch);
          UpdateProgress([&](TScanProgressInfo& p) {
            p.TotalSize += item->GetSize();
            p.CurrentPath = item->GetName();
            p.Elapsed = elapsed;
            if (by_count) {
              const int32_t done = p.TotalFiles - i;
              p.Progress = p.TotalFiles > 0 ? done * 100.0f / p.TotalFiles : 100.0f;
              LMs = done > 0 ? static_cast<double>(elapsed.count()) * p.TotalFiles / done : 0;
              p.Remaining = std::chrono::milliseconds(
                  std::max<int64_t>(0, static_cast<int64_t>(LMs) - elapsed.count()));
            }
          });
        } else {
          keep[static_cast<size_t>(i)] = 0;
          UpdateProgress([](TScanProgressInfo& p) { ++p.SkippedFiles; });
        }
      }
      Compact(FFiles, [&](size_t i) { return keep[i] != 0; });

      if (LScanner->ExactMatch() && !StopRequested()) {
        // Only files of equal size can be equal: drop every size that occurs once.
        std::stable_sort(FFiles.begin(), FFiles.end(), [](const auto& a, const auto& b) {
          return a->GetSize() > b->GetSize();
        });
        KeepRuns(FFiles, [](const auto& a, const auto& b) { return a->GetSize() == b->GetSize(); });
      }
      if (FFiles.size() == 1) FFiles.clear();
      if (!StopRequested() && !by_count) {
        int64_t to_process = 0;
        for (const auto& f : FFiles) to_process += f->GetSize();
        UpdateProgress([&](TScanProgressInfo& p) { p.SizeToProcess += to_process; });
      }
      if (StopRequested() && !by_count) {
        FFiles.clear();
      } else {
        LCur = 0;
        PrepareComparison();
        // A merge sort: it never reads outside the list, whatever a comparison answers.
        std::stable_sort(FFiles.begin(), FFiles.end(), [&](const auto& a, const auto& b) {
          return CompareForScan(a, b) < 0;
        });
      }
    }

    UpdateProgress([](TScanProgressInfo& p) { p.Progress = 100; });
    AppLog().WriteLog("Building results", 3);
    SetStatus(TScanStatus::ssFinishing, true);
    RefreshElapsed();
    Compact(FFiles, [&](size_t i) { return FFiles[i]->IsReady(); });
    KeepRuns(FFiles, [&](const auto& a, const auto& b) { return LScanner->CompareFiles(a, b) == 0; });
    BuildGroups();
    {
      TScanProgressInfo progress = GetProgress();
      LScanner->ProcessGroups(FGroupList, FFiles, progress);
      UpdateProgress([&](TScanProgressInfo& p) {
        p.DuplicateFiles = progress.DuplicateFiles;
        p.DuplicatesSize = progress.DuplicatesSize;
      });
    }
    AppLog().WriteLog("Sort and auto-select results", 3);
    FFilterCategory = TFileCategory::fcAllFiles;
    ApplyFilter();
    FSortAttribute = TSupportedAttribute::atGroup;
    FSortOrder = TSortOrder::soAsc;
    UpdateSort();
    AutoSelect(17, {});
    MessageBus().Publish(TResultSetChanged{});
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Scan failed", e);
  } catch (...) {
    AppLog().WriteLogException("Scan failed");
  }
  FinishScanThread();
}

void TScanEngine::OptimizeFolders(std::vector<IFolderPtr>& folders) {
  std::vector<IFolderPtr> result;
  try {
    auto scanner = GetScanner();
    if (!scanner) return;
    std::vector<IFolderPtr> converted;
    for (const auto& f : folders) {
      for (auto& c : scanner->ConvertFolder(f)) converted.push_back(std::move(c));
    }
    // Linux names are case-sensitive: /a/Foo/ and /a/foo/ are two folders, so the
    // names are compared exactly.
    std::stable_sort(converted.begin(), converted.end(),
                     [](const auto& a, const auto& b) { return a->GetName() < b->GetName(); });
    std::string last;
    for (const auto& f : converted) {
      const std::string name = WithSeparator(f->GetName());
      if (!result.empty()) {
        if (name == last) continue;
        if (FScanSettings.ScanSubdirectories && name.compare(0, last.size(), last) == 0) continue;
      }
      result.push_back(f);
      last = name;
    }
    folders = std::move(result);
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Folder optimization failed", e);
    folders = std::move(result);
  }
}

}  // namespace nrv
