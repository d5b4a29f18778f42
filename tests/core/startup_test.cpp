#include "services/startup.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "services/app_log.h"
#include "services/app_settings.h"
#include "services/language_controller.h"
#include "platform_test_support.h"

namespace nrv {
namespace {

using platform::testing::TScopedEnv;

namespace fs = std::filesystem;

std::string LogText(const std::string& dir) {
  AppLog().Flush();
  std::string out;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::ifstream in(e.path(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    for (char c : s.str()) {
      if (c != '\0') out += c;
    }
  }
  return out;
}

// The command-line program's start: another settings file, read only.
TEST(StartupTest, StartsFromTheGivenSettingsWithoutWritingThem) {
  char templ[] = "/tmp/nrv-startup-XXXXXX";
  const std::string root = mkdtemp(templ);
  TScopedEnv config("XDG_CONFIG_HOME", root + "/config");
  const std::string log_dir = root + "/logs";
  const std::string settings_file = root + "/cli.appsettings";
  const std::string text =
      "[File Search]\r\nScanMode=2\r\nSkipZeroSize=1\r\n[Logging]\r\nLevel=3\r\n"
      "Directory=" +
      log_dir + "\r\n[Preferences]\r\nLanguage=de\r\n";
  std::ofstream(settings_file, std::ios::binary) << text;
  const std::string folder = root + "/photos";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  fs::create_directories(root + "/lang");
  std::ofstream(root + "/lang/de.lng") << ";LangName=Deutsch\n";

  TStartupOptions options;
  options.settings_file = settings_file;
  options.read_only_settings = true;
  options.languages_folder = root + "/lang";
  StartApplication({"--verbose", folder}, options);

  TAppSettings& settings = AppSettings();
  EXPECT_EQ(settings.SettingsFileName(), settings_file);
  EXPECT_EQ(settings.LoadedFileName(), settings_file);
  EXPECT_TRUE(settings.SkipZeroSize());
  EXPECT_EQ(settings.ScanMode(), 0) << "a folder argument starts in mode 0";
  EXPECT_EQ(LanguageController().CurrentLanguage(), "de");
  EXPECT_EQ(AppLog().LogDirectory(), log_dir + "/");
  EXPECT_NE(LogText(log_dir).find("[Info]: Starting application"), std::string::npos);

  settings.SaveSettings();
  CloseApplication();
  EXPECT_NE(LogText(log_dir).find("[Info]: Application closed"), std::string::npos);
  std::ifstream in(settings_file, std::ios::binary);
  std::ostringstream now;
  now << in.rdbuf();
  EXPECT_EQ(now.str(), text);
  EXPECT_FALSE(fs::exists(root + "/config"));
  EXPECT_EQ(settings.ExternalPaths(), (std::vector<std::string>{folder}));
  LanguageController().SetCurrentLanguage("en");
  settings.SetReadOnly(false);
  AppLog().Initialize("", 0, TLogLevel::All);  // as it was before
  fs::remove_all(root);
}

TEST(StartupTest, LanguagesFolderIsBesideTheProgramOrInstalled) {
  const std::string found = FindLanguagesFolder();
  EXPECT_TRUE(found.size() > 10 && found.substr(found.size() - 10) == "/Languages") << found;
}

}  // namespace
}  // namespace nrv
