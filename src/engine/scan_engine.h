#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/file_info.h"
#include "engine/folder.h"
#include "engine/group.h"
#include "engine/scan_enums.h"
#include "engine/scan_records.h"
#include "engine/scanner.h"

namespace nrv {

// Runs a piece of work on the thread that owns the windows (or, without one,
// wherever the caller decides). The window posts it to its event loop.
using TMainThreadPost = std::function<void(std::function<void()>)>;

// Lets an action's worker hand its progress to the caller's thread: the caller
// waits in short steps and runs what was handed over (the window processes its
// events meanwhile; the command line just waits).
struct TActionWaiter {
  // Called on the caller's thread every ~100 ms while the worker runs.
  std::function<void()> on_wait_step;
};

// The engine: scan modes, scanners, the scan run, the results and the undo history.
class TScanEngine {
 public:
  TScanEngine();
  ~TScanEngine();
  TScanEngine(const TScanEngine&) = delete;
  TScanEngine& operator=(const TScanEngine&) = delete;

  // --- scan modes and scanners ---
  void AddScanner(int scan_mode, TScannerClass scanner_class);
  bool IsAvaibableScanMode(int scan_mode) const;
  // Throws std::invalid_argument("Unknown scan mode") for a mode that is not registered.
  void SetScanMode(int mode);
  int CurrentScanMode() const { return FCurrentScanMode; }
  IScannerPtr GetScanner();

  // --- the scan run ---
  void InitializeScan(const TScanConfig& scan_settings);
  void UpdateScanSettings(const TScanConfig& scan_settings);
  void SetFilesToScan(const std::vector<std::string>& files);
  void StartScan();
  void StopScan();
  bool IsScanRunning() const;
  // Blocks until the scan thread has ended and its end has been announced.
  void WaitForScan();
  // The same for at most `timeout`; true when the scan has ended.
  bool WaitForScanFor(std::chrono::milliseconds timeout);
  bool AddFile(const IFileInfoPtr& file);
  bool CheckFile(const IFileInfoPtr& file);
  void OptimizeFolders(std::vector<IFolderPtr>& folders);
  TScanProgressInfo GetProgress() const;
  TScanStatus GetStatus() const { return status_.load(std::memory_order_relaxed); }
  bool StopRequested() const { return GetStatus() == TScanStatus::ssStopping; }
  const TScanConfig& ScanSettings() const { return FScanSettings; }
  bool IsScanningMaster() const { return FScanningMaster; }
  // Where the end of a scan is announced; without one it runs on the scan thread.
  void SetMainThreadPost(TMainThreadPost post) { main_thread_post_ = std::move(post); }

  // --- result groups ---
  // Replaces the results by the given groups (a loaded scan): the items of every
  // group in group order, then the filter, the sort and a result-set message.
  void SetResults(std::vector<TGroupPtr> groups);
  const std::vector<IFileInfoPtr>& GetFiles();
  const std::vector<TGroupPtr>& GetGroups() const { return FGroupList; }
  // Every item that belongs to a group, in group order.
  const std::vector<IFileInfoPtr>& GetAllFiles() const { return FFiles; }
  TResultStats GetResultStats();
  void SetFilterCategory(TFileCategory category);
  TFileCategory GetFilterCategory() const { return FFilterCategory; }
  void SortResults(TSupportedAttribute attr, TSortOrder order);
  TSupportedAttribute GetSortAttribute() const { return FSortAttribute; }
  TSortOrder GetSortOrder() const { return FSortOrder; }
  void AutoSelect(int rule, const std::pair<std::string, std::string>& param = {});
  bool HasSelectedItems();
  TSelectionInfo GetSelectionInfo();
  bool CheckSafeGroupSelection(int32_t& first_group_no, int32_t& total_unsafe);
  const std::vector<std::string>& GetFoundPaths();
  void RemoveResolved();
  void ClearResults();
  void RemoveFileTypeFromResults(const IFileInfoPtr& file);
  void RemoveFolderFromResults(const IFolderPtr& folder, bool include_subfolders);
  void SetCurrentItem(const IFileInfoPtr& item) { FCurrentItem = item; }
  IFileInfoPtr GetCurrentItem() const { return FCurrentItem; }

  // --- actions and undo ---
  void DeleteSelected(bool permanently, const TProgressCallback& progress,
                      const TActionWaiter& waiter = {});
  void MoveSelected(const IFolderPtr& dest_folder, bool keep_folder_structure,
                    const TProgressCallback& progress, const TActionWaiter& waiter = {});
  void RenameSelected(const std::string& add_text, bool name_as_original, bool use_suffix,
                      const TProgressCallback& progress, const TActionWaiter& waiter = {});
  void ReplaceSelected(const TProgressCallback& progress, const TActionWaiter& waiter = {});
  void UndoLastAction(const TProgressCallback& progress, const TActionWaiter& waiter = {});
  const std::vector<TActionInfo>& GetUndoStack() const { return FUndo; }

  // --- forwarded to the current scanner ---
  TSettingsInfo GetSettingsInfo();
  std::vector<TSupportedAttribute> GetSupportedAttributes();
  TScannerFeatures GetSupportedFeatures();
  bool SupportsDragDrop();
  bool SupportsUndo();
  bool SupportsMove();
  bool SupportsRename();
  bool SupportsTrash();
  bool SupportsDelete();
  bool SupportsLink();
  bool CheckValidDragDropData(const std::vector<std::string>& data);
  IFolderPtr GetFolderByName(const std::string& folder_name);
  IFolderPtr SelectFolder();
  void SelectFolders(std::vector<IFolderPtr>& folders);
  void ShowFile(const IFileInfoPtr& file);
  void ShowFileLocation(const IFileInfoPtr& file);
  void ShowFileWith(const IFileInfoPtr& file);
  void ShowProperties(const IFileInfoPtr& file);
  void ShowTrashFolder(const IFileInfoPtr& file);
  void ShowPreview(IPreviewTarget* target);
  void ClearPreview(IPreviewTarget* target);

 private:
  // scan thread
  void ScanProc();
  void ScanFolderTree(const IFolderPtr& folder, bool top_level);
  bool CheckFolder(const IFolderPtr& folder);
  void FinishScanThread();
  void SetStatus(TScanStatus status, bool announce);
  void RefreshElapsed();
  template <class F>
  void UpdateProgress(F&& f) {
    std::lock_guard lock(progress_mutex_);
    f(FProgress);
  }
  int CompareForScan(const IFileInfoPtr& left, const IFileInfoPtr& right);
  void PrepareComparison();
  void BuildGroups();

  // results
  void ApplyFilter();
  void UpdateSort();
  void ResetGroupsInfo();
  void UpdateGroupsInfo(int rule);
  void PushUndo(TResolveAction action, std::vector<IFileInfoPtr> items);
  template <class Pred>
  void RemoveFromResults(TResolveAction action, Pred pred);

  // Runs a call on the current scanner, logging `failure_text` with any exception.
  template <class F>
  void ForwardToScanner(const char* failure_text, F&& f);

  std::vector<TActionInfo> FUndo;
  int FCurrentScanMode = 0;
  std::unique_ptr<std::map<int, TScannerClass>> FScanModes;
  std::map<int, IScannerPtr> FScanners;
  TScanConfig FScanSettings;
  std::chrono::steady_clock::time_point FStopWatch;
  TScanProgressInfo FProgress;
  bool FScanningMaster = false;
  std::vector<TGroupPtr> FGroupList;
  std::unordered_map<int32_t, TGroupInfo> FGroups;
  std::unordered_map<std::string, TFolderInfo> FFolders;
  std::vector<std::string> FPaths;
  std::vector<IFileInfoPtr> FFiles;
  std::vector<IFileInfoPtr> FFilteredFiles;
  TSupportedAttribute FSortAttribute = TSupportedAttribute::atGroup;
  TSortOrder FSortOrder = TSortOrder::soAsc;
  TFileCategory FFilterCategory = TFileCategory::fcAllFiles;
  IFileInfoPtr FCurrentItem;
  std::vector<std::string> FFilesToScan;
  std::array<bool, 19> FNeedUpdateInfo{};  // index 1..18

  // scan thread state
  IScannerPtr LScanner;
  double LMs = 0;
  int64_t LCur = 0;
  bool LBySize = true;

  std::atomic<TScanStatus> status_{TScanStatus::ssIdle};
  mutable std::mutex progress_mutex_;
  std::thread scan_thread_;
  std::mutex finish_mutex_;
  std::condition_variable finish_cv_;
  bool finished_ = true;
  TMainThreadPost main_thread_post_;
};

// The one engine of the process.
TScanEngine& ScanEngine();

}  // namespace nrv
