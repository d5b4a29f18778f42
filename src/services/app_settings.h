#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "services/ini_file.h"
#include "services/settings_types.h"

namespace nrv {

// Every user preference in one object, kept in one INI file
// ($XDG_CONFIG_HOME/Norvalis/Norvalis.appsettings). Besides the fixed
// preferences it keeps, per scan mode, folder lists, masks and a free data
// section whose names the scanner supplies (TSettingsInfo). Saving merges into
// the file as it is, so sections this object does not know survive.
//
// Used from the main thread only. Every operation logs its own failures and
// returns normally.
class TAppSettings {
 public:
  TAppSettings();

  // Collects, in order, every argument that does not start with "-" and names
  // an existing folder (the program name is not part of `args`).
  void ProcessCommandLine(const std::vector<std::string>& args);
  // The collected folders; handed out once, then empty.
  std::vector<std::string> ExternalPaths();
  // True while collected folders wait to be handed out.
  bool HasExternalPaths() const { return !FExternalPaths.empty(); }

  // Reads the settings file, or sets the defaults when there is none.
  void LoadSettings();
  void LoadFromFile(const std::string& file_name);
  // Reads every preference from INI text, each with its default.
  void LoadFromStream(const std::string& content);
  // Every preference to its default, except the language, FolderToMoveDups,
  // the per-mode entries and the file names.
  void ResetToDefaults();

  void SaveSettings();
  void SaveToFile(const std::string& file_name);
  // Merges every preference into the INI text and returns false on failure
  // (the text is then unchanged).
  bool SaveToStream(std::string& content);

  // Per-mode folder lists and masks. Entries never asked for or stored during
  // this run stay in the file as they are.
  std::vector<std::string> GetFolders(const std::string& section, const std::string& name);
  void SaveFolders(const std::vector<std::string>& folders, const std::string& section,
                   const std::string& name);
  std::string GetMasks(const std::string& section, const std::string& name);
  void SaveMasks(const std::string& masks, const std::string& section, const std::string& name);
  // The scanner's own data section, lines "name=value"; saved straight into
  // the loaded file (nothing happens until a file was loaded).
  std::vector<std::string> GetScanData(const std::string& section_name);
  void SaveScanData(const std::vector<std::string>& data, const std::string& section_name);

  int32_t ScanMode() const { return FCurrentSettings.FScanMode; }
  // Sends TChangeScanModeMessage with csmBefore, stores the mode, then csmAfter.
  void SetScanMode(int32_t mode);
  // The language of the language controller.
  std::string CurrentLanguage() const;
  void SetCurrentLanguage(const std::string& code);

  const std::string& SettingsFileName() const { return FCurrentSettings.FSettingsFileName; }
  // Uses another settings file (the command-line program's --settings).
  void SetSettingsFileName(const std::string& file_name);
  const std::string& LoadedFileName() const { return FCurrentSettings.FLoadedFileName; }
  // While set, nothing is ever written to any settings file.
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool ReadOnly() const { return read_only_; }

  // A copy of every preference; writing replaces all of them, the scan mode
  // (without messages) and the file names included.
  TSettings AllSettings() const { return FCurrentSettings; }
  void SetAllSettings(const TSettings& settings) { FCurrentSettings = settings; }

  const TScanSettings& ScanSettings() const { return FCurrentSettings.FScanSettings; }
  void SetScanSettings(const TScanSettings& v) { FCurrentSettings.FScanSettings = v; }
  const std::vector<std::string>& IgnoreList() const { return FCurrentSettings.FIgnoreList; }
  void SetIgnoreList(const std::vector<std::string>& v) { FCurrentSettings.FIgnoreList = v; }

#define NRV_SETTING(Type, Name)      \
  Type Name() const {                \
    return FCurrentSettings.F##Name; \
  }                                  \
  void Set##Name(const Type& v) {    \
    FCurrentSettings.F##Name = v;    \
  }
  NRV_SETTING(bool, MaximizeOnStartup)
  NRV_SETTING(bool, CheckForUpdates)
  NRV_SETTING(bool, DisableSafetyLock)
  NRV_SETTING(bool, EnablePreview)
  NRV_SETTING(bool, KeepFolderStructure)
  NRV_SETTING(bool, AutoSaveResults)
  NRV_SETTING(bool, ExcludeContainer)
  NRV_SETTING(bool, ScanSubdirectories)
  NRV_SETTING(bool, IncludeHidden)
  NRV_SETTING(bool, IncludeFileName)
  NRV_SETTING(bool, IncludeExtension)
  NRV_SETTING(bool, SkipZeroSize)
  NRV_SETTING(bool, SkipSymbolicLinks)
  NRV_SETTING(bool, SkipTrash)
  NRV_SETTING(bool, SkipTemporary)
  NRV_SETTING(bool, SkipJunctionPoints)
  NRV_SETTING(bool, SkipHardLinks)
  NRV_SETTING(bool, SkipSysAppFolders)
  NRV_SETTING(bool, SkipSysFiles)
  NRV_SETTING(bool, SkipCompressed)
  NRV_SETTING(bool, RemoveEmptyFolders)
  NRV_SETTING(bool, RemoveEmptyFiles)
  NRV_SETTING(bool, ConfirmRemoveResolved)
  NRV_SETTING(bool, ConfirmClearResults)
  NRV_SETTING(bool, ConfirmReplace)
  NRV_SETTING(bool, ShowWelcomeScreen)
  NRV_SETTING(bool, CacheFileInfo)
  NRV_SETTING(bool, ShowTips)
  NRV_SETTING(std::string, SaveResultsDirectory)
  NRV_SETTING(std::string, LogDirectory)
  NRV_SETTING(std::string, FolderToMoveDups)
  NRV_SETTING(int32_t, QuickTipsIndex)
  NRV_SETTING(int32_t, LoggingLevel)
  NRV_SETTING(int32_t, LoggingMaxDays)
#undef NRV_SETTING

 private:
  // The settings file as it is now; empty text when there is none.
  bool ReadLoadedFile(TIniFile& ini) const;
  void ReadFixedPreferences(const TIniFile& ini);
  void WriteFixedPreferences(TIniFile& ini) const;

  std::vector<std::string> FExternalPaths;
  TSettings FCurrentSettings;
  bool read_only_ = false;
};

// The settings of the process, created on first use.
TAppSettings& AppSettings();

// The default settings file, $XDG_CONFIG_HOME/Norvalis/Norvalis.appsettings.
std::string DefaultSettingsFileName();

}  // namespace nrv
