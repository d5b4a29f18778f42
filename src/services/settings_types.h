#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/scan_records.h"

namespace nrv {

// The size limits shared by all scan modes, the per-mode folder and mask
// entries touched during this run, and the music and mail options.
struct TScanSettings {
  bool FCheckMaxFileSize = false;
  bool FCheckMinFileSize = false;
  int32_t FMaxFileSizeIndex = 1;  // unit of the value: 0 B, 1 KB, 2 MB, 3 GB
  float FMaxFileSizeValue = 0;
  int32_t FMinFileSizeIndex = 1;
  float FMinFileSizeValue = 0;
  // Keyed by section + "$$$" + key, e.g. "SHA256.Settings$$$IncludeFolders".
  std::map<std::string, std::vector<std::string>> FFolders;
  std::map<std::string, std::string> FMasks;
  TMusicScanInfo FMusicScanInfo;
  TEmailScanInfo FEmailScanInfo;
};

// Every preference of the program. Value semantics: a copy is a deep copy.
struct TSettings {
  bool FMaximizeOnStartup = false;
  bool FCheckForUpdates = false;
  bool FDisableSafetyLock = false;
  bool FEnablePreview = false;
  bool FKeepFolderStructure = false;
  bool FAutoSaveResults = false;
  bool FExcludeContainer = false;
  bool FScanSubdirectories = false;
  bool FIncludeHidden = false;
  bool FIncludeFileName = false;
  bool FIncludeExtension = false;
  bool FSkipZeroSize = false;
  bool FSkipSymbolicLinks = false;
  bool FSkipTrash = false;
  bool FSkipTemporary = false;
  bool FSkipJunctionPoints = false;
  bool FSkipHardLinks = false;
  bool FSkipSysAppFolders = false;
  bool FSkipSysFiles = false;
  bool FSkipCompressed = false;
  bool FRemoveEmptyFolders = false;
  bool FRemoveEmptyFiles = false;
  bool FConfirmRemoveResolved = false;
  bool FConfirmClearResults = false;
  bool FConfirmReplace = false;
  bool FShowWelcomeScreen = false;
  bool FCacheFileInfo = false;
  std::string FSaveResultsDirectory;
  std::string FSettingsFileName;
  std::string FLoadedFileName;  // empty until a file was read
  int32_t FScanMode = 0;
  bool FShowTips = false;
  int32_t FQuickTipsIndex = 0;
  int32_t FLoggingLevel = 0;
  int32_t FLoggingMaxDays = 0;
  std::string FLogDirectory;
  std::string FFolderToMoveDups;
  TScanSettings FScanSettings;
  std::vector<std::string> FIgnoreList;
};

// The separator between section and key in the keys of FFolders and FMasks.
inline constexpr const char* kSettingsKeySeparator = "$$$";

// The defaults of every preference (the file names and the per-mode entries empty).
TSettings DefaultSettings();
TMusicScanInfo DefaultMusicScanInfo();
TEmailScanInfo DefaultEmailScanInfo();
// The user's documents folder, else the home folder.
std::string DefaultSaveResultsDirectory();

}  // namespace nrv
