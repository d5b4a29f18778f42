#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/date_time.h"
#include "engine/scan_enums.h"

namespace nrv {

class IFileInfo;
using IFileInfoPtr = std::shared_ptr<IFileInfo>;

struct TMusicScanTags {
  bool FYear = false;
  bool FGenre = false;
  bool FTrack = false;
  bool FTitle = true;
  bool FDuration = false;
  bool FBitRate = false;
  bool FArtist = true;
  bool FAlbum = false;
};

struct TMusicScanColumns {
  bool Album = true;
  bool Artist = true;
  bool BitRate = false;
  bool Duration = true;
  bool Genre = false;
  bool Title = true;
  bool Track = false;
  bool Year = false;
};

struct TMusicScanInfo {
  bool FUseFingerprint = false;
  int32_t FSimilarityThreshold = 80;
  TMusicScanTags FTags;
  TMusicScanColumns FColumns;
};

struct TEmailScanInfo {
  bool FTo = true;
  bool FBodySize = true;
  bool FAttachments = true;
  bool FTimeReceived = false;
  bool FFrom = true;
  bool FSubject = true;
  bool FTimeSent = true;
  bool FContent = false;
};

// Everything one scan needs.
struct TScanConfig {
  int64_t MaxFileSize = -1;  // exclusive; -1 = no upper limit
  int64_t MinFileSize = -1;  // exclusive; -1 = no lower limit
  std::string IncludeMasks = "*.*";
  std::string ExcludeMasks;
  bool SkipSysAppFolders = true;
  bool SkipJunctionPoints = false;
  bool SkipTemporary = false;
  bool SkipTrash = true;
  bool SkipSymbolicLinks = false;
  bool SkipHardLinks = false;
  bool SkipZeroSize = false;
  bool SkipSysFiles = true;
  bool SkipCompressed = false;
  bool IncludeHidden = true;
  bool IncludeFileName = false;
  bool IncludeExtension = false;
  bool RemoveEmptyFolders = false;
  bool RemoveEmptyFiles = false;
  bool ScanSubdirectories = true;
  bool ExcludeContainer = false;
  bool CacheFileInfo = true;
  std::vector<std::string> IncludePaths;
  std::vector<std::string> ExcludePaths;
  std::vector<std::string> IgnoreList;
  TMusicScanInfo MusicScanSettings;
  TEmailScanInfo EmailScanSettings;
  std::vector<std::string> ScanData;

  void SetScanData(const std::vector<std::string>& data) { ScanData = data; }
};

// The live state of a scan; the window reads copies of it.
struct TScanProgressInfo {
  TScanStatus Status = TScanStatus::ssIdle;
  float Progress = 0;
  std::string CurrentPath;
  int32_t SkippedFiles = 0;
  int32_t TotalFiles = 0;
  int32_t DuplicateFiles = 0;
  std::chrono::milliseconds Elapsed{0};
  std::chrono::milliseconds Remaining{0};
  int64_t TotalSize = 0;
  int64_t DuplicatesSize = 0;
  int64_t SizeToProcess = 0;
  int64_t ProcessedSize = 0;

  void Reset() { *this = TScanProgressInfo{}; }
};

// Progress of an action on duplicates.
struct TProgressInfo {
  int32_t TotalItems = 0;
  int32_t Current = 0;
  int32_t Failed = 0;
};

// Always invoked on the thread that started the action.
using TProgressCallback = std::function<void(const TProgressInfo&)>;

// One entry of the undo history.
struct TActionInfo {
  TResolveAction ResolveAction = TResolveAction::raDeletePermanently;
  std::vector<IFileInfoPtr> ItemsProcessed;
};

struct TGroupInfo {
  TDateTime Newest;
  TDateTime Oldest;
  std::string Extensions;     // ";.jpg;.png;"
  std::string OriginalNames;  // ";photo;copy of photo;"
};

struct TFolderInfo {
  TDateTime Newest;
  TDateTime Oldest;
};

// Names under which the settings store keeps one scanner's data.
struct TSettingsInfo {
  std::string SectionName;
  std::string DataSectionName;
  std::string IncludeFoldersName;
  std::string ExcludeFoldersName;
  std::string IncludeMasksName;
  std::string ExcludeMasksName;
  std::string DefaultIncludeMasks;
};

// Seven counters indexed by TFileCategory 1..7.
struct TResultStats {
  std::array<int32_t, 8> Counts{};  // index 0 unused
  int32_t& operator[](TFileCategory c) { return Counts[static_cast<size_t>(c)]; }
  int32_t operator[](TFileCategory c) const { return Counts[static_cast<size_t>(c)]; }
};

struct TSelectionInfo {
  int32_t Count = 0;
  int64_t Size = 0;
};

}  // namespace nrv
