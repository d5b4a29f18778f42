#include <gtest/gtest.h>

#include "platform/folder_classes.h"
#include "platform_test_support.h"

namespace nrv::platform {
namespace {

using testing::TScopedEnv;

class PlatformFolderClasses : public ::testing::Test {
 protected:
  void TearDown() override { ResetFolderCaches(); }
};

TEST_F(PlatformFolderClasses, AppAndSystemFolders) {
  testing::TTempDir dir;
  TScopedEnv home("HOME", dir / "home");
  TScopedEnv config("XDG_CONFIG_HOME", dir / "conf");
  TScopedEnv data("XDG_DATA_HOME", dir / "data");
  ResetFolderCaches();

  struct Case {
    std::string path;
    bool app, sys;
  };
  const Case cases[] = {
      {dir / "conf/", true, false},
      {dir / "conf", true, false},  // the folder itself, given without "/"
      {dir / "conf/editor/settings.ini", true, false},
      {dir / "data/app/", true, false},
      {dir / "home/.var/app/org.example.App/", true, false},
      {dir / "home/.config/", false, false},  // not the default once XDG_CONFIG_HOME is set
      {dir / "confx/", false, false},
      {"/usr/share/doc/", true, false},
      {"/usr", true, false},
      {"/USR/share/", false, false},  // names are case-sensitive
      {"/usrlocal/", false, false},
      {"/opt/tool/", true, false},
      {"/var/lib/db/", true, false},
      {"/var/log/", false, false},
      {"/snap/core/", true, false},
      {"/proc/1/", false, true},
      {"/sys/class/", false, true},
      {"/dev/", false, true},
      {"/etc/passwd", false, true},
      {"/lib64/", false, true},
      {"/Proc/", false, false},
      {"/process/", false, false},
      {"/", false, false},
      {"/home/u/Documents/", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsAppFolderPath(c.path), c.app) << c.path;
    EXPECT_EQ(IsSysFolderPath(c.path), c.sys) << c.path;
  }
}

TEST_F(PlatformFolderClasses, ListsAreKeptUntilReset) {
  TScopedEnv config("XDG_CONFIG_HOME", "/srv/first");
  ResetFolderCaches();
  EXPECT_TRUE(IsAppFolderPath("/srv/first/x/"));
  TScopedEnv config2("XDG_CONFIG_HOME", "/srv/second");
  EXPECT_TRUE(IsAppFolderPath("/srv/first/x/"));
  EXPECT_FALSE(IsAppFolderPath("/srv/second/x/"));
  ResetFolderCaches();
  EXPECT_FALSE(IsAppFolderPath("/srv/first/x/"));
  EXPECT_TRUE(IsAppFolderPath("/srv/second/x/"));
}

TEST_F(PlatformFolderClasses, TempFolders) {
  TScopedEnv cache("XDG_CACHE_HOME", "/srv/cache");
  TScopedEnv tmpdir("TMPDIR", "/srv/scratch");
  const std::pair<std::string, bool> cases[] = {
      {"/tmp/", true},
      {"/tmp/a/b.txt", true},
      {"/var/tmp/x/", true},
      {"/srv/cache/", true},
      {"/srv/cache/thumbs/", true},
      {"/srv/scratch/", true},
      {"/srv/cachex/", false},
      {"/tmpfiles/", false},
      {"/home/u/tmp/", false},
      {"/", false},
  };
  for (const auto& [path, temp] : cases) EXPECT_EQ(IsTempFolderPath(path), temp) << path;
}

TEST_F(PlatformFolderClasses, RootInAVariableMarksNothing) {
  TScopedEnv tmpdir("TMPDIR", "/");
  TScopedEnv config("XDG_CONFIG_HOME", "/");
  ResetFolderCaches();
  EXPECT_FALSE(IsTempFolderPath("/home/u/Documents/"));
  EXPECT_FALSE(IsAppFolderPath("/home/u/Documents/"));
}

}  // namespace
}  // namespace nrv::platform
