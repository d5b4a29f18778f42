#include <gtest/gtest.h>

#include "platform/drives.h"
#include "platform/folder_classes.h"
#include "platform/special_folders.h"
#include "platform_test_support.h"

namespace nrv::platform {
namespace {

using testing::TScopedEnv;

class PlatformSpecialFolders : public ::testing::Test {
 protected:
  void SetUp() override { ResetFolderCaches(); }
  void TearDown() override { ResetFolderCaches(); }

  testing::TTempDir dir_;
  TScopedEnv home_{"HOME", dir_ / "home"};
  TScopedEnv config_{"XDG_CONFIG_HOME", dir_ / "conf"};
  TScopedEnv data_{"XDG_DATA_HOME", dir_ / "data"};
};

TEST_F(PlatformSpecialFolders, StandardFoldersFromUserDirs) {
  dir_.MakeDir("conf");
  dir_.WriteFile("conf/user-dirs.dirs",
                 "# written by the desktop's first-run tool\n"
                 "XDG_DESKTOP_DIR=\"$HOME/Schreib \\\"tisch\\\"\"\n"
                 "XDG_MUSIC_DIR=\"$HOME/Old\"\n"
                 "  XDG_MUSIC_DIR=\"$HOME/Musik\"\n"
                 "XDG_PICTURES_DIR=\"/data/Bilder\"\n"
                 "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  const std::string home = dir_ / "home/";
  EXPECT_EQ(GetMusicPath(), home + "Musik/");  // the later line wins
  EXPECT_EQ(GetPicturesPath(), "/data/Bilder/");
  EXPECT_EQ(GetDesktopPath(), home + "Schreib \"tisch\"/");  // escapes undone
  EXPECT_EQ(GetVideosPath(), home);                          // not configured
  EXPECT_EQ(GetDocumentsPath(), home);                       // set to the home folder itself
}

TEST_F(PlatformSpecialFolders, StandardFoldersWithoutUserDirs) {
  const std::string home = dir_ / "home/";
  for (const auto& p : {GetDocumentsPath(), GetVideosPath(), GetMusicPath(), GetPicturesPath()}) {
    EXPECT_EQ(p, home);
  }
  EXPECT_EQ(GetDesktopPath(), home + "Desktop/");
}

TEST_F(PlatformSpecialFolders, DefaultIgnoreList) {
  dir_.MakeDir("conf");  // exists; the data folder does not
  const auto list = GetSystemExcludeFolders();
  ASSERT_GE(list.size(), 6u);
  const std::vector<std::string> head(list.begin(), list.begin() + 5);
  EXPECT_EQ(head, (std::vector<std::string>{"/proc/", "/sys/", "/dev/", "/run/", "/boot/"}));
  EXPECT_EQ(list.back(), "*/lost+found");
  auto has = [&](const std::string& p) {
    return std::find(list.begin(), list.end(), p) != list.end();
  };
  EXPECT_TRUE(has(dir_ / "conf/"));
  EXPECT_FALSE(has(dir_ / "data/"));
}

TEST_F(PlatformSpecialFolders, ExpandFolder) {
  const std::string folder = dir_.MakeDir("photos");
  const std::string file = dir_.WriteFile("a.txt");
  EXPECT_EQ(ExpandSpecialFolder(folder), std::vector<std::string>{folder + "/"});
  EXPECT_EQ(ExpandSpecialFolder(folder + "/"), std::vector<std::string>{folder + "/"});
  EXPECT_TRUE(ExpandSpecialFolder(file).empty());
  EXPECT_TRUE(ExpandSpecialFolder(dir_ / "missing").empty());
  EXPECT_TRUE(ExpandSpecialFolder("").empty());
  // The desktop stands for every local drive, whether it exists or not.
  EXPECT_EQ(ExpandSpecialFolder(dir_ / "home/Desktop"), GetLocalDrives());
}

}  // namespace
}  // namespace nrv::platform
