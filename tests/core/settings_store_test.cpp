#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "engine/message_bus.h"
#include "engine/messages.h"
#include "services/app_log.h"
#include "services/app_settings.h"
#include "services/settings_file.h"
#include "services/settings_values.h"
#include "platform_test_support.h"

namespace nrv {
namespace {

using platform::testing::TScopedEnv;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> FolderEntries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  return names;
}

// Real XDG folders in a fresh temporary folder, and the log pointed there.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/nrv-settings-XXXXXX";
    root_ = mkdtemp(templ);
    config_ = std::make_unique<TScopedEnv>("XDG_CONFIG_HOME", root_ + "/config");
    data_ = std::make_unique<TScopedEnv>("XDG_DATA_HOME", root_ + "/data");
    state_ = std::make_unique<TScopedEnv>("XDG_STATE_HOME", root_ + "/state");
    log_dir_ = root_ + "/testlog";
    AppLog().Initialize(log_dir_, 0, TLogLevel::All);
  }

  void TearDown() override {
    AppLog().Flush();
    AppLog().Initialize("", 0, TLogLevel::All);  // as it was before
    config_.reset();
    data_.reset();
    state_.reset();
    std::filesystem::remove_all(root_);
  }

  std::string FileName() const { return root_ + "/config/Norvalis/Norvalis.appsettings"; }

  // The text of every log file, as ASCII (the log is UTF-16LE).
  std::string LogText() {
    AppLog().Flush();
    std::string out;
    for (const std::string& name : FolderEntries(log_dir_)) {
      for (char c : ReadFile(log_dir_ + "/" + name)) {
        if (c != '\0') out += c;
      }
    }
    return out;
  }

  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
  }

  // Every field away from its default.
  static TSettings Unusual(const std::string& file_name) {
    TSettings s;
    for (bool* b :
         {&s.FMaximizeOnStartup, &s.FDisableSafetyLock, &s.FKeepFolderStructure,
          &s.FAutoSaveResults, &s.FExcludeContainer, &s.FIncludeFileName, &s.FIncludeExtension,
          &s.FSkipZeroSize, &s.FSkipSymbolicLinks, &s.FSkipTemporary, &s.FSkipJunctionPoints,
          &s.FSkipHardLinks, &s.FSkipCompressed, &s.FRemoveEmptyFolders, &s.FRemoveEmptyFiles}) {
      *b = true;
    }
    // These default to true; left false here.
    s.FSaveResultsDirectory = "/srv/results dir ";
    s.FSettingsFileName = file_name;
    s.FScanMode = 2;
    s.FQuickTipsIndex = 5;
    s.FLoggingLevel = 1;
    s.FLoggingMaxDays = 30;
    s.FLogDirectory = "/tmp/elsewhere/logs";
    s.FFolderToMoveDups = "/srv/dups";
    TScanSettings& sc = s.FScanSettings;
    sc.FCheckMaxFileSize = sc.FCheckMinFileSize = true;
    sc.FMaxFileSizeIndex = 3;
    sc.FMaxFileSizeValue = 2.5f;
    sc.FMinFileSizeIndex = 0;
    sc.FMinFileSizeValue = 0.75f;
    sc.FFolders["SHA256.Settings$$$IncludeFolders"] = {"/home/u/Pictures/", "/mnt/caf\xE9/"};
    sc.FMasks["SHA256.Settings$$$ExcludeMasks"] = "*.tmp;*.bak";
    sc.FMusicScanInfo.FUseFingerprint = true;
    sc.FMusicScanInfo.FSimilarityThreshold = 65;
    sc.FMusicScanInfo.FTags = TMusicScanTags{true, true, true, false, true, true, false, true};
    sc.FMusicScanInfo.FColumns =
        TMusicScanColumns{false, false, false, false, false, false, false, false};
    sc.FEmailScanInfo = TEmailScanInfo{true, true, true, true, false, false, true, false};
    s.FIgnoreList = {"/proc/", "*/node_modules"};
    return s;
  }

  std::string root_;
  std::string log_dir_;
  std::unique_ptr<TScopedEnv> config_, data_, state_;
};

TEST_F(SettingsStoreTest, NoFileGivesTheDefaultsAndWritesNothing) {
  TAppSettings settings;
  EXPECT_EQ(settings.SettingsFileName(), FileName());
  settings.LoadSettings();
  const TSettings def = DefaultSettings();
  EXPECT_TRUE(settings.CheckForUpdates());
  EXPECT_TRUE(settings.SkipTrash());
  EXPECT_FALSE(settings.SkipZeroSize());
  EXPECT_EQ(settings.LoggingLevel(), 3);
  EXPECT_EQ(settings.LoggingMaxDays(), 7);
  EXPECT_EQ(settings.LogDirectory(), DefaultLogDirectory());
  EXPECT_EQ(settings.IgnoreList(), def.FIgnoreList);
  EXPECT_FALSE(settings.IgnoreList().empty());
  EXPECT_EQ(settings.ScanSettings().FMaxFileSizeIndex, 1);
  EXPECT_TRUE(settings.ScanSettings().FMusicScanInfo.FColumns.BitRate);
  EXPECT_TRUE(settings.ScanSettings().FEmailScanInfo.FContent);
  EXPECT_FALSE(settings.ScanSettings().FEmailScanInfo.FTo);
  EXPECT_EQ(settings.LoadedFileName(), "");
  EXPECT_TRUE(settings.GetFolders("SHA256.Settings", "IncludeFolders").empty());
  EXPECT_TRUE(settings.ScanSettings().FFolders.empty());
  settings.SaveScanData({"Key=Value"}, "SHA256.Settings.Data");
  EXPECT_FALSE(FileExists(FileName()));
}

TEST_F(SettingsStoreTest, EveryFieldRoundTripsAndUnknownEntriesSurvive) {
  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  const std::string untouched = settings_values::EncodeFolderList({"/old/bbb/"});
  WriteFile(FileName(),
            "[Other.Program]\r\nKeep=me\r\n\r\n[BBB.Settings]\r\nIncludeFolders=" + untouched +
                "\r\nIncludeMasks=*.iso\r\n\r\n[SHA256.Settings.Data]\r\n"
                "Column=3\r\n");
  TAppSettings first;
  first.SetAllSettings(Unusual(FileName()));
  first.SaveSettings();

  TAppSettings second;
  second.LoadFromFile(FileName());
  EXPECT_EQ(second.LoadedFileName(), FileName());
  EXPECT_EQ(second.ScanMode(), 2);
  EXPECT_TRUE(second.SkipZeroSize());
  EXPECT_FALSE(second.SkipTrash());
  EXPECT_EQ(second.SaveResultsDirectory(), "/srv/results dir ");
  EXPECT_EQ(second.ScanSettings().FMinFileSizeValue, 0.75f);
  EXPECT_EQ(second.IgnoreList(), (std::vector<std::string>{"/proc/", "*/node_modules"}));
  EXPECT_EQ(second.GetFolders("SHA256.Settings", "IncludeFolders"),
            (std::vector<std::string>{"/home/u/Pictures/", "/mnt/caf\xE9/"}));
  EXPECT_EQ(second.GetMasks("SHA256.Settings", "ExcludeMasks"), "*.tmp;*.bak");
  EXPECT_EQ(second.GetScanData("SHA256.Settings.Data"), (std::vector<std::string>{"Column=3"}));

  // Saving what was loaded writes the same file: no field is lost on the way
  // back, and the entries of other modes are still as they were.
  const std::string saved = ReadFile(FileName());
  const std::string copy = root_ + "/copy.appsettings";
  WriteFile(copy, saved);
  second.SaveToFile(copy);
  EXPECT_EQ(ReadFile(copy), saved);
  EXPECT_NE(saved.find("[Other.Program]\r\nKeep=me\r\n"), std::string::npos);
  EXPECT_NE(saved.find("IncludeFolders=" + untouched + "\r\nIncludeMasks=*.iso\r\n"),
            std::string::npos);
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF[", 0), 0u);
  EXPECT_EQ(saved.find("\n"), saved.find("\r\n") + 1);
  EXPECT_EQ(Count(saved, "\n"), Count(saved, "\r\n"));
}

TEST_F(SettingsStoreTest, FileEdgeCases) {
  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  WriteFile(FileName(),
            "[File Search]\r\nSkipTrash=true\r\nSkipZeroSize=true\r\nScanMode=5\r\n"
            "[ScanOptions]\r\nMinFileSizeValue=1" +
                std::string(1, settings_values::UserDecimalSeparator() == ',' ? '.' : ',') +
                "5\r\nMaxFileSizeValue=\r\n"
                "[IgnoreList]\r\nPaths=" +
                settings_values::EncodeFolderList({"/kept/"}) + "\r\n");
  TAppSettings settings;
  settings.LoadSettings();
  EXPECT_TRUE(settings.SkipTrash()) << "a word is no integer: the default";
  EXPECT_FALSE(settings.SkipZeroSize()) << "a word is no integer: the default";
  EXPECT_EQ(settings.ScanMode(), 5);
  EXPECT_EQ(settings.ScanSettings().FMinFileSizeValue, 0.0f) << "another locale's separator";
  EXPECT_EQ(settings.ScanSettings().FMaxFileSizeValue, 0.0f);

  // An empty ignore list writes nothing, so the list in the file comes back.
  settings.SetIgnoreList({});
  settings.SaveSettings();
  TAppSettings again;
  again.LoadSettings();
  EXPECT_EQ(again.IgnoreList(), (std::vector<std::string>{"/kept/"}));
}

TEST_F(SettingsStoreTest, FolderArgumentForcesModeZeroWithItsMessages) {
  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  WriteFile(FileName(), "[File Search]\r\nScanMode=2\r\n");
  const std::string folder = root_ + "/photos";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);

  std::vector<std::pair<TChangeScanModeEvent, int32_t>> seen;
  TAppSettings settings;
  auto id = MessageBus().Subscribe<TChangeScanModeMessage>(
      [&](const TChangeScanModeMessage& m) { seen.emplace_back(m.Event, settings.ScanMode()); });
  settings.ProcessCommandLine({"-x", "--" + folder, folder, root_ + "/missing", "relative-none"});
  EXPECT_TRUE(settings.HasExternalPaths());
  settings.LoadSettings();
  MessageBus().Unsubscribe(id);

  EXPECT_EQ(settings.ScanMode(), 0);
  EXPECT_EQ(seen, (std::vector<std::pair<TChangeScanModeEvent, int32_t>>{
                      {TChangeScanModeEvent::csmBefore, 0}, {TChangeScanModeEvent::csmAfter, 0}}));
  EXPECT_EQ(settings.ExternalPaths(), (std::vector<std::string>{folder}));
  EXPECT_TRUE(settings.ExternalPaths().empty()) << "handed out once";
  settings.SaveSettings();
  EXPECT_NE(ReadFile(FileName()).find("ScanMode=0\r\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, UnreadableOrCorruptFileGivesDefaultsAndOneLogLine) {
  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  struct TCase {
    const char* name;
    std::string content;
    mode_t mode;
    const char* log_text;
  };
  const TCase cases[] = {
      {"binary", "[File Search]\r\nSkipTrash=0\r\n" + std::string("\0\x01\x02", 3), 0644,
       "Failed to load settings"},
      {"unreadable", "[File Search]\r\nSkipTrash=0\r\n", 0000,
       "Failed to load settings from file: "},
  };
  for (const TCase& c : cases) {
    if (c.mode == 0 && geteuid() == 0) continue;  // root reads every file
    const std::string file = root_ + "/" + c.name + ".appsettings";
    WriteFile(file, c.content);
    chmod(file.c_str(), c.mode);
    const size_t before = Count(LogText(), c.log_text);
    TAppSettings settings;
    settings.LoadFromFile(file);
    EXPECT_TRUE(settings.SkipTrash()) << c.name;
    EXPECT_EQ(settings.LoggingLevel(), 3) << c.name;
    EXPECT_FALSE(settings.IgnoreList().empty()) << c.name;
    EXPECT_EQ(settings.LoadedFileName(), "") << c.name;
    EXPECT_EQ(Count(LogText(), c.log_text), before + 1) << c.name;
    chmod(file.c_str(), 0644);
  }
}

TEST_F(SettingsStoreTest, SavingReplacesTheFileWholeAndNeverTruncatesIt) {
  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  const std::string old_text = "[Other]\r\nKeep=me\r\n\r\n";
  WriteFile(FileName(), old_text);
  chmod(FileName().c_str(), 0600);
  // A reader that has the old file open keeps seeing it whole: the new content
  // arrives in a new file that is renamed over the old one.
  int old_fd = open(FileName().c_str(), O_RDONLY);
  ASSERT_GE(old_fd, 0);
  TAppSettings settings;
  settings.LoadSettings();
  settings.SaveSettings();
  char buf[256] = {};
  ssize_t n = pread(old_fd, buf, sizeof buf, 0);
  close(old_fd);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(n)), old_text);
  EXPECT_NE(ReadFile(FileName()).find("[File Search]"), std::string::npos);
  EXPECT_EQ(FolderEntries(root_ + "/config/Norvalis"),
            (std::vector<std::string>{"Norvalis.appsettings"}));
  struct stat st {};
  ASSERT_EQ(stat(FileName().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // A full disk in the middle of writing (a file-size limit in a child) leaves
  // the old file as it was and no temporary file behind.
  const std::string before = ReadFile(FileName());
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      WriteFileAtomically(FileName(), std::string(1 << 20, 'x'));
    } catch (const std::exception&) {
      _exit(3);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(ReadFile(FileName()), before);
  EXPECT_EQ(FolderEntries(root_ + "/config/Norvalis"),
            (std::vector<std::string>{"Norvalis.appsettings"}));
}

TEST_F(SettingsStoreTest, PerModeEntriesComeFromTheLoadedFileAndDataIsWrittenIntoIt) {
  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  WriteFile(FileName(), "[FAST.Settings]\r\nExcludeFolders=" +
                            settings_values::EncodeFolderList({"/a/", "/b/"}) +
                            "\r\nIncludeMasks=*.jpg\r\n[FAST.Settings.Data]\r\nWidth=10\r\n");
  TAppSettings settings;
  settings.LoadSettings();
  EXPECT_EQ(settings.GetFolders("fast.settings", "excludefolders"),
            (std::vector<std::string>{"/a/", "/b/"}));
  EXPECT_EQ(settings.GetMasks("FAST.Settings", "IncludeMasks"), "*.jpg");
  EXPECT_EQ(settings.GetMasks("FAST.Settings", "ExcludeMasks"), "");
  // Asked once, the entry is held in memory: a later load re-reads it from the file.
  EXPECT_EQ(settings.ScanSettings().FFolders.count("fast.settings$$$excludefolders"), 1u);

  settings.SaveScanData({"Width=20", "Height=5"}, "FAST.Settings.Data");
  EXPECT_EQ(settings.GetScanData("FAST.Settings.Data"),
            (std::vector<std::string>{"Width=20", "Height=5"}));

  // A stored list reaches the file only with the next save.
  settings.SaveFolders({"/c/"}, "FAST.Settings", "IncludeFolders");
  TAppSettings other;
  other.LoadSettings();
  EXPECT_TRUE(other.GetFolders("FAST.Settings", "IncludeFolders").empty());
  settings.SaveSettings();
  TAppSettings third;
  third.LoadSettings();
  EXPECT_EQ(third.GetFolders("FAST.Settings", "IncludeFolders"), (std::vector<std::string>{"/c/"}));
}

TEST_F(SettingsStoreTest, ReadOnlySettingsNeverWriteTheFile) {
  TAppSettings settings;
  settings.SetReadOnly(true);
  settings.LoadSettings();
  settings.SaveSettings();
  EXPECT_FALSE(FileExists(FileName()));

  ASSERT_NO_THROW(CreateFolders(root_ + "/config/Norvalis"));
  const std::string text = "[SHA256.Settings.Data]\r\nA=1\r\n";
  WriteFile(FileName(), text);
  settings.LoadSettings();
  settings.SaveScanData({"A=2"}, "SHA256.Settings.Data");
  settings.SaveSettings();
  EXPECT_EQ(ReadFile(FileName()), text);
}

TEST_F(SettingsStoreTest, ResetToDefaultsKeepsWhatIsNotAPreference) {
  TAppSettings settings;
  TSettings s = Unusual(root_ + "/x.appsettings");
  s.FLoadedFileName = root_ + "/y.appsettings";
  settings.SetAllSettings(s);
  settings.ResetToDefaults();
  const TSettings after = settings.AllSettings();
  EXPECT_EQ(after.FScanMode, 0);
  EXPECT_TRUE(after.FSkipTrash);
  EXPECT_FALSE(after.FSkipZeroSize);
  EXPECT_EQ(after.FScanSettings.FMaxFileSizeIndex, 1);
  EXPECT_EQ(after.FIgnoreList, DefaultSettings().FIgnoreList);
  EXPECT_EQ(after.FFolderToMoveDups, "/srv/dups");
  EXPECT_EQ(after.FScanSettings.FFolders, s.FScanSettings.FFolders);
  EXPECT_EQ(after.FScanSettings.FMasks, s.FScanSettings.FMasks);
  EXPECT_EQ(after.FSettingsFileName, s.FSettingsFileName);
  EXPECT_EQ(after.FLoadedFileName, s.FLoadedFileName);

  // A copy is independent of the live settings.
  TSettings copy = settings.AllSettings();
  copy.FScanSettings.FFolders.clear();
  copy.FIgnoreList.clear();
  EXPECT_FALSE(settings.ScanSettings().FFolders.empty());
  EXPECT_FALSE(settings.IgnoreList().empty());
}

}  // namespace
}  // namespace nrv
