#include "services/settings_types.h"

#include "platform/special_folders.h"
#include "services/app_log.h"

namespace nrv {

TMusicScanInfo DefaultMusicScanInfo() {
  TMusicScanInfo m;
  m.FUseFingerprint = false;
  m.FSimilarityThreshold = 80;
  m.FTags = TMusicScanTags{};
  m.FTags.FAlbum = false;
  m.FTags.FArtist = true;
  m.FTags.FBitRate = false;
  m.FTags.FDuration = false;
  m.FTags.FGenre = false;
  m.FTags.FTitle = true;
  m.FTags.FTrack = false;
  m.FTags.FYear = false;
  m.FColumns = TMusicScanColumns{true, true, true, true, true, true, true, true};
  return m;
}

TEmailScanInfo DefaultEmailScanInfo() {
  TEmailScanInfo e;
  e.FAttachments = false;
  e.FBodySize = false;
  e.FContent = true;
  e.FFrom = true;
  e.FTimeReceived = false;
  e.FTimeSent = false;
  e.FSubject = true;
  e.FTo = false;
  return e;
}

std::string DefaultSaveResultsDirectory() {
  return platform::GetDocumentsPath();
}

TSettings DefaultSettings() {
  TSettings s;
  s.FMaximizeOnStartup = false;
  s.FCheckForUpdates = true;
  s.FDisableSafetyLock = false;
  s.FEnablePreview = true;
  s.FKeepFolderStructure = false;
  s.FAutoSaveResults = false;
  s.FExcludeContainer = false;
  s.FScanSubdirectories = true;
  s.FIncludeHidden = true;
  s.FIncludeFileName = false;
  s.FIncludeExtension = false;
  s.FSkipZeroSize = false;
  s.FSkipSymbolicLinks = false;
  s.FSkipTrash = true;
  s.FSkipTemporary = false;
  s.FSkipJunctionPoints = false;
  s.FSkipHardLinks = false;
  s.FSkipSysAppFolders = true;
  s.FSkipSysFiles = true;
  s.FSkipCompressed = false;
  s.FRemoveEmptyFolders = false;
  s.FRemoveEmptyFiles = false;
  s.FConfirmRemoveResolved = true;
  s.FConfirmClearResults = true;
  s.FConfirmReplace = true;
  s.FShowWelcomeScreen = true;
  s.FCacheFileInfo = true;
  s.FSaveResultsDirectory = DefaultSaveResultsDirectory();
  s.FScanMode = 0;
  s.FShowTips = true;
  s.FQuickTipsIndex = 0;
  s.FLoggingLevel = 3;
  s.FLoggingMaxDays = 7;
  s.FLogDirectory = DefaultLogDirectory();
  s.FScanSettings.FCheckMaxFileSize = false;
  s.FScanSettings.FCheckMinFileSize = false;
  s.FScanSettings.FMaxFileSizeIndex = 1;
  s.FScanSettings.FMaxFileSizeValue = 0;
  s.FScanSettings.FMinFileSizeIndex = 1;
  s.FScanSettings.FMinFileSizeValue = 0;
  s.FScanSettings.FMusicScanInfo = DefaultMusicScanInfo();
  s.FScanSettings.FEmailScanInfo = DefaultEmailScanInfo();
  s.FIgnoreList = platform::GetSystemExcludeFolders();
  return s;
}

}  // namespace nrv
