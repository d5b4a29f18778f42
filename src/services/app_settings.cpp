#include "services/app_settings.h"

#include <sys/stat.h>

#include <stdexcept>
#include <variant>

#include "engine/message_bus.h"
#include "engine/messages.h"
#include "platform/xdg_paths.h"
#include "services/app_log.h"
#include "services/language_controller.h"
#include "services/product_name.h"
#include "services/settings_file.h"
#include "services/settings_values.h"

namespace nrv {

namespace {

using namespace settings_values;

constexpr const char* kFileSearch = "File Search";
constexpr const char* kPreferences = "Preferences";
constexpr const char* kConfirmations = "Confirmations";
constexpr const char* kLogging = "Logging";
constexpr const char* kScanOptions = "ScanOptions";
constexpr const char* kMusic = "Music.Settings";
constexpr const char* kMusicTags = "Music.Settings.Tags";
constexpr const char* kMusicColumns = "Music.Settings.Columns";
constexpr const char* kEmail = "Email.Settings";
constexpr const char* kIgnoreList = "IgnoreList";
constexpr const char* kIgnorePaths = "Paths";

// The language is not a field of TSettings: it belongs to the language controller.
struct TLanguageKey {};
using TMember =
    std::variant<TLanguageKey, bool TSettings::*, int32_t TSettings::*, std::string TSettings::*>;

struct TFixedKey {
  const char* section;
  const char* key;
  TMember member;
};

// The fixed preferences in the order in which they are written.
const TFixedKey kFixedKeys[] = {
    {kFileSearch, "ScanMode", &TSettings::FScanMode},
    {kFileSearch, "SkipSysAppFolders", &TSettings::FSkipSysAppFolders},
    {kFileSearch, "SkipJunctionPoints", &TSettings::FSkipJunctionPoints},
    {kFileSearch, "SkipHardLinks", &TSettings::FSkipHardLinks},
    {kFileSearch, "SkipTemporary", &TSettings::FSkipTemporary},
    {kFileSearch, "SkipTrash", &TSettings::FSkipTrash},
    {kFileSearch, "SkipSymbolicLinks", &TSettings::FSkipSymbolicLinks},
    {kFileSearch, "SkipZeroSize", &TSettings::FSkipZeroSize},
    {kFileSearch, "SkipSysFiles", &TSettings::FSkipSysFiles},
    {kFileSearch, "SkipCompressed", &TSettings::FSkipCompressed},
    {kFileSearch, "RemoveEmptyFolders", &TSettings::FRemoveEmptyFolders},
    {kFileSearch, "RemoveEmptyFiles", &TSettings::FRemoveEmptyFiles},
    {kFileSearch, "IncludeHidden", &TSettings::FIncludeHidden},
    {kFileSearch, "IncludeFileName", &TSettings::FIncludeFileName},
    {kFileSearch, "IncludeExtension", &TSettings::FIncludeExtension},
    {kFileSearch, "ScanSubdirectories", &TSettings::FScanSubdirectories},
    {kFileSearch, "ExcludeContainer", &TSettings::FExcludeContainer},
    {kFileSearch, "CacheFileInfo", &TSettings::FCacheFileInfo},
    {kPreferences, "Language", TLanguageKey{}},
    {kPreferences, "ShowTips", &TSettings::FShowTips},
    {kPreferences, "QuickTipsIndex", &TSettings::FQuickTipsIndex},
    {kPreferences, "AutoSaveResults", &TSettings::FAutoSaveResults},
    {kPreferences, "SaveResultsDirectory", &TSettings::FSaveResultsDirectory},
    {kPreferences, "DisableSafetyLock", &TSettings::FDisableSafetyLock},
    {kPreferences, "CheckForUpdates", &TSettings::FCheckForUpdates},
    {kPreferences, "MaximizeOnStartup", &TSettings::FMaximizeOnStartup},
    {kPreferences, "EnablePreview", &TSettings::FEnablePreview},
    {kPreferences, "KeepFolderStructure", &TSettings::FKeepFolderStructure},
    {kPreferences, "FolderToMoveDups", &TSettings::FFolderToMoveDups},
    {kConfirmations, "ConfirmClearResults", &TSettings::FConfirmClearResults},
    {kConfirmations, "ConfirmRemoveResolved", &TSettings::FConfirmRemoveResolved},
    {kConfirmations, "ConfirmReplace", &TSettings::FConfirmReplace},
    {kConfirmations, "ShowWelcomeScreen", &TSettings::FShowWelcomeScreen},
    {kLogging, "Level", &TSettings::FLoggingLevel},
    {kLogging, "MaxDays", &TSettings::FLoggingMaxDays},
    {kLogging, "Directory", &TSettings::FLogDirectory},
};

struct TMusicTagKey {
  const char* key;
  bool TMusicScanTags::*member;
};
const TMusicTagKey kMusicTagKeys[] = {
    {"Album", &TMusicScanTags::FAlbum},     {"Artist", &TMusicScanTags::FArtist},
    {"BitRate", &TMusicScanTags::FBitRate}, {"Duration", &TMusicScanTags::FDuration},
    {"Genre", &TMusicScanTags::FGenre},     {"Title", &TMusicScanTags::FTitle},
    {"Track", &TMusicScanTags::FTrack},     {"Year", &TMusicScanTags::FYear},
};

struct TMusicColumnKey {
  const char* key;
  bool TMusicScanColumns::*member;
};
const TMusicColumnKey kMusicColumnKeys[] = {
    {"Album", &TMusicScanColumns::Album},     {"Artist", &TMusicScanColumns::Artist},
    {"BitRate", &TMusicScanColumns::BitRate}, {"Duration", &TMusicScanColumns::Duration},
    {"Genre", &TMusicScanColumns::Genre},     {"Title", &TMusicScanColumns::Title},
    {"Track", &TMusicScanColumns::Track},     {"Year", &TMusicScanColumns::Year},
};

struct TEmailKey {
  const char* key;
  bool TEmailScanInfo::*member;
};
const TEmailKey kEmailKeys[] = {
    {"Attachments", &TEmailScanInfo::FAttachments},   {"BodySize", &TEmailScanInfo::FBodySize},
    {"Content", &TEmailScanInfo::FContent},           {"From", &TEmailScanInfo::FFrom},
    {"TimeReceived", &TEmailScanInfo::FTimeReceived}, {"TimeSent", &TEmailScanInfo::FTimeSent},
    {"Subject", &TEmailScanInfo::FSubject},           {"To", &TEmailScanInfo::FTo},
};

std::string EntryKey(const std::string& section, const std::string& name) {
  return section + kSettingsKeySeparator + name;
}

void SplitEntryKey(const std::string& entry, std::string& section, std::string& name) {
  size_t sep = entry.find(kSettingsKeySeparator);
  section = entry.substr(0, sep);
  name = sep == std::string::npos ? std::string() : entry.substr(sep + 3);
}

// A settings file is text; a NUL byte means something else sits under its name.
TIniFile ParseSettingsText(const std::string& content) {
  if (content.find('\0') != std::string::npos) {
    throw std::runtime_error("The file holds binary data, not settings text");
  }
  return TIniFile::Parse(content);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string DefaultSettingsFileName() {
  return platform::XdgConfigHome() + kProductName + "/" + kProductName + ".appsettings";
}

TAppSettings::TAppSettings() {
  FCurrentSettings.FSettingsFileName = DefaultSettingsFileName();
}

void TAppSettings::ProcessCommandLine(const std::vector<std::string>& args) {
  FExternalPaths.clear();
  for (const std::string& arg : args) {
    // Only "-" marks an option here: "/" starts every absolute path.
    if (arg.empty() || arg[0] == '-') continue;
    if (IsFolder(arg)) FExternalPaths.push_back(arg);
  }
}

std::vector<std::string> TAppSettings::ExternalPaths() {
  std::vector<std::string> out;
  out.swap(FExternalPaths);
  return out;
}

void TAppSettings::SetSettingsFileName(const std::string& file_name) {
  FCurrentSettings.FSettingsFileName = file_name;
}

void TAppSettings::SetScanMode(int32_t mode) {
  MessageBus().Publish(TChangeScanModeMessage{TChangeScanModeEvent::csmBefore});
  FCurrentSettings.FScanMode = mode;
  MessageBus().Publish(TChangeScanModeMessage{TChangeScanModeEvent::csmAfter});
}

std::string TAppSettings::CurrentLanguage() const {
  return LanguageController().CurrentLanguage();
}

void TAppSettings::SetCurrentLanguage(const std::string& code) {
  LanguageController().SetCurrentLanguage(code);
}

void TAppSettings::LoadSettings() {
  if (FileExists(SettingsFileName())) {
    LoadFromFile(SettingsFileName());
  } else {
    ResetToDefaults();
  }
}

void TAppSettings::LoadFromFile(const std::string& file_name) {
  std::string content;
  try {
    content = ReadWholeFile(file_name);
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to load settings from file: " + file_name, e);
    // Nothing was read: the defaults, not the empty fields of a fresh object.
    ResetToDefaults();
    return;
  }
  LoadFromStream(content);
  // A file that could not be parsed is no source for the per-mode entries.
  if (content.find('\0') == std::string::npos) FCurrentSettings.FLoadedFileName = file_name;
}

void TAppSettings::LoadFromStream(const std::string& content) {
  try {
    const TIniFile ini = ParseSettingsText(content);
    SetScanMode(FExternalPaths.empty() ? ReadInt(ini, kFileSearch, "ScanMode", 0) : 0);
    ReadFixedPreferences(ini);

    if (ini.SectionExists(kIgnoreList)) {
      FCurrentSettings.FIgnoreList =
          DecodeFolderList(ini.ReadString(kIgnoreList, kIgnorePaths, ""));
    } else {
      FCurrentSettings.FIgnoreList = DefaultSettings().FIgnoreList;
    }

    TScanSettings& scan = FCurrentSettings.FScanSettings;
    for (auto& [entry, folders] : scan.FFolders) {
      std::string section, name;
      SplitEntryKey(entry, section, name);
      folders = DecodeFolderList(ini.ReadString(section, name, ""));
    }
    for (auto& [entry, masks] : scan.FMasks) {
      std::string section, name;
      SplitEntryKey(entry, section, name);
      masks = ini.ReadString(section, name, "");
    }

    scan.FCheckMaxFileSize = ReadBool(ini, kScanOptions, "CheckMaxFileSize", false);
    scan.FCheckMinFileSize = ReadBool(ini, kScanOptions, "CheckMinFileSize", false);
    scan.FMaxFileSizeIndex = ReadInt(ini, kScanOptions, "MaxFileSizeIndex", 1);
    scan.FMaxFileSizeValue = ReadFloat(ini, kScanOptions, "MaxFileSizeValue", 0);
    scan.FMinFileSizeIndex = ReadInt(ini, kScanOptions, "MinFileSizeIndex", 1);
    scan.FMinFileSizeValue = ReadFloat(ini, kScanOptions, "MinFileSizeValue", 0);

    const TMusicScanInfo music_def = DefaultMusicScanInfo();
    TMusicScanInfo& music = scan.FMusicScanInfo;
    music.FSimilarityThreshold =
        ReadInt(ini, kMusic, "SimilarityThreshold", music_def.FSimilarityThreshold);
    music.FUseFingerprint = ReadBool(ini, kMusic, "UseFingerprint", music_def.FUseFingerprint);
    for (const auto& k : kMusicTagKeys) {
      music.FTags.*k.member = ReadBool(ini, kMusicTags, k.key, music_def.FTags.*k.member);
    }
    for (const auto& k : kMusicColumnKeys) {
      music.FColumns.*k.member = ReadBool(ini, kMusicColumns, k.key, music_def.FColumns.*k.member);
    }
    const TEmailScanInfo email_def = DefaultEmailScanInfo();
    for (const auto& k : kEmailKeys) {
      scan.FEmailScanInfo.*k.member = ReadBool(ini, kEmail, k.key, email_def.*k.member);
    }
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to load settings", e);
    ResetToDefaults();
  }
}

void TAppSettings::ReadFixedPreferences(const TIniFile& ini) {
  const TSettings def = DefaultSettings();
  for (const TFixedKey& k : kFixedKeys) {
    if (auto* b = std::get_if<bool TSettings::*>(&k.member)) {
      FCurrentSettings.** b = ReadBool(ini, k.section, k.key, def.**b);
    } else if (auto* i = std::get_if<int32_t TSettings::*>(&k.member)) {
      if (*i == &TSettings::FScanMode) continue;  // read first, through SetScanMode
      FCurrentSettings.** i = ReadInt(ini, k.section, k.key, def.**i);
    } else if (auto* s = std::get_if<std::string TSettings::*>(&k.member)) {
      FCurrentSettings.** s = ini.ReadString(k.section, k.key, def.**s);
    } else {
      LanguageController().SetCurrentLanguage(ini.ReadString(k.section, k.key, ""));
    }
  }
  // The log creates its folder itself when it first writes, so a folder that
  // cannot be made here is no reason to stop reading the settings.
  try {
    CreateFolders(FCurrentSettings.FLogDirectory);
  } catch (const std::exception&) {
  }
}

void TAppSettings::ResetToDefaults() {
  TSettings def = DefaultSettings();
  def.FFolderToMoveDups = FCurrentSettings.FFolderToMoveDups;
  def.FScanSettings.FFolders = std::move(FCurrentSettings.FScanSettings.FFolders);
  def.FScanSettings.FMasks = std::move(FCurrentSettings.FScanSettings.FMasks);
  def.FSettingsFileName = FCurrentSettings.FSettingsFileName;
  def.FLoadedFileName = FCurrentSettings.FLoadedFileName;
  def.FScanMode = FCurrentSettings.FScanMode;
  FCurrentSettings = std::move(def);
  SetScanMode(0);
}

void TAppSettings::SaveSettings() {
  SaveToFile(SettingsFileName());
}

void TAppSettings::SaveToFile(const std::string& file_name) {
  if (read_only_) return;
  try {
    std::string content;
    if (FileExists(file_name)) {
      content = ReadWholeFile(file_name);
      if (content.find('\0') != std::string::npos) {
        AppLog().WriteLog("Replacing a settings file that holds no settings text: " + file_name, 2);
        content.clear();
      }
    }
    if (!SaveToStream(content)) return;
    WriteFileAtomically(file_name, content);
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to save settings to file: " + file_name, e);
  }
}

bool TAppSettings::SaveToStream(std::string& content) {
  try {
    TIniFile ini = ParseSettingsText(content);
    WriteFixedPreferences(ini);
    if (!FCurrentSettings.FIgnoreList.empty()) {
      ini.WriteString(kIgnoreList, kIgnorePaths, EncodeFolderList(FCurrentSettings.FIgnoreList));
    }
    for (const auto& [entry, folders] : FCurrentSettings.FScanSettings.FFolders) {
      std::string section, name;
      SplitEntryKey(entry, section, name);
      ini.WriteString(section, name, EncodeFolderList(folders));
    }
    for (const auto& [entry, masks] : FCurrentSettings.FScanSettings.FMasks) {
      std::string section, name;
      SplitEntryKey(entry, section, name);
      ini.WriteString(section, name, masks);
    }
    content = ini.ToText();
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to save settings", e);
    return false;
  }
}

void TAppSettings::WriteFixedPreferences(TIniFile& ini) const {
  for (const TFixedKey& k : kFixedKeys) {
    if (auto* b = std::get_if<bool TSettings::*>(&k.member)) {
      WriteBool(ini, k.section, k.key, FCurrentSettings.**b);
    } else if (auto* i = std::get_if<int32_t TSettings::*>(&k.member)) {
      WriteInt(ini, k.section, k.key, FCurrentSettings.**i);
    } else if (auto* s = std::get_if<std::string TSettings::*>(&k.member)) {
      ini.WriteString(k.section, k.key, FCurrentSettings.**s);
    } else {
      ini.WriteString(k.section, k.key, CurrentLanguage());
    }
  }
  const TScanSettings& scan = FCurrentSettings.FScanSettings;
  WriteBool(ini, kScanOptions, "CheckMaxFileSize", scan.FCheckMaxFileSize);
  WriteBool(ini, kScanOptions, "CheckMinFileSize", scan.FCheckMinFileSize);
  WriteFloat(ini, kScanOptions, "MinFileSizeValue", scan.FMinFileSizeValue);
  WriteFloat(ini, kScanOptions, "MaxFileSizeValue", scan.FMaxFileSizeValue);
  WriteInt(ini, kScanOptions, "MinFileSizeIndex", scan.FMinFileSizeIndex);
  WriteInt(ini, kScanOptions, "MaxFileSizeIndex", scan.FMaxFileSizeIndex);

  const TMusicScanInfo& music = scan.FMusicScanInfo;
  WriteInt(ini, kMusic, "SimilarityThreshold", music.FSimilarityThreshold);
  WriteBool(ini, kMusic, "UseFingerprint", music.FUseFingerprint);
  for (const auto& k : kMusicTagKeys) WriteBool(ini, kMusicTags, k.key, music.FTags.*k.member);
  for (const auto& k : kMusicColumnKeys) {
    WriteBool(ini, kMusicColumns, k.key, music.FColumns.*k.member);
  }
  for (const auto& k : kEmailKeys) WriteBool(ini, kEmail, k.key, scan.FEmailScanInfo.*k.member);
}

bool TAppSettings::ReadLoadedFile(TIniFile& ini) const {
  const std::string& file = FCurrentSettings.FLoadedFileName;
  if (file.empty() || !FileExists(file)) return false;
  ini = ParseSettingsText(ReadWholeFile(file));
  return true;
}

std::vector<std::string> TAppSettings::GetFolders(const std::string& section,
                                                  const std::string& name) {
  try {
    const auto& folders = FCurrentSettings.FScanSettings.FFolders;
    if (auto it = folders.find(EntryKey(section, name)); it != folders.end()) return it->second;
    TIniFile ini;
    if (!ReadLoadedFile(ini)) return {};
    std::vector<std::string> list = DecodeFolderList(ini.ReadString(section, name, ""));
    SaveFolders(list, section, name);
    return list;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to get folders from settigs", e);
    return {};
  }
}

void TAppSettings::SaveFolders(const std::vector<std::string>& folders, const std::string& section,
                               const std::string& name) {
  FCurrentSettings.FScanSettings.FFolders[EntryKey(section, name)] = folders;
}

std::string TAppSettings::GetMasks(const std::string& section, const std::string& name) {
  try {
    const auto& masks = FCurrentSettings.FScanSettings.FMasks;
    if (auto it = masks.find(EntryKey(section, name)); it != masks.end()) return it->second;
    TIniFile ini;
    if (!ReadLoadedFile(ini)) return {};
    std::string value = ini.ReadString(section, name, "");
    SaveMasks(value, section, name);
    return value;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to get masks from settigs", e);
    return {};
  }
}

void TAppSettings::SaveMasks(const std::string& masks, const std::string& section,
                             const std::string& name) {
  FCurrentSettings.FScanSettings.FMasks[EntryKey(section, name)] = masks;
}

std::vector<std::string> TAppSettings::GetScanData(const std::string& section_name) {
  try {
    TIniFile ini;
    if (!ReadLoadedFile(ini)) return {};
    return ini.ReadSectionLines(section_name);
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to get scan data from settigs", e);
    return {};
  }
}

void TAppSettings::SaveScanData(const std::vector<std::string>& data,
                                const std::string& section_name) {
  if (read_only_) return;
  try {
    TIniFile ini;
    if (!ReadLoadedFile(ini)) return;
    for (const std::string& line : data) {
      size_t eq = line.find('=');
      ini.WriteString(section_name, line.substr(0, eq),
                      eq == std::string::npos ? std::string() : line.substr(eq + 1));
    }
    WriteFileAtomically(FCurrentSettings.FLoadedFileName, ini.ToText());
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to save scan data to settigs", e);
  }
}

TAppSettings& AppSettings() {
  static TAppSettings* settings = new TAppSettings();
  return *settings;
}

}  // namespace nrv
