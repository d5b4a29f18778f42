#include <gtest/gtest.h>

#include "platform/name_tests.h"
#include "platform_test_support.h"

namespace nrv::platform {
namespace {

using testing::TScopedEnv;

TEST(PlatformNameTests, Hidden) {
  const std::pair<std::string, bool> cases[] = {
      {"/", false},
      {"/home/u/.bashrc", true},
      {"/home/u/.config/", true},
      {"/home/u/.config", true},
      {"/home/u/.config/app/settings.ini", false},  // only the last name counts
      {"/home/u/notes.txt", false},
      {"/home/u/a.b/", false},
      {"/home/u/.", false},
      {"/home/u/..", false},
      {"", false},
  };
  for (const auto& [path, hidden] : cases) EXPECT_EQ(IsHiddenPath(path), hidden) << path;
}

TEST(PlatformNameTests, Trash) {
  TScopedEnv data("XDG_DATA_HOME", "/srv/userdata");
  const std::pair<std::string, bool> cases[] = {
      {"/home/u/.local/share/Trash/", true},
      {"/home/u/.local/share/Trash/files/a.txt", true},
      {"/home/u/.LOCAL/share/TRASH/files/", true},
      {"/srv/userdata/Trash/files/a.txt", true},  // the home trash follows XDG_DATA_HOME
      {"/media/usb/.Trash-1000/", true},
      {"/media/usb/.Trash-1000/files/x.jpg", true},
      {"/media/usb/.Trash-/files/", false},  // no uid
      {"/media/usb/.Trash-abc/files/", false},
      {"/media/usb/.Trash/1000/files/x", true},
      {"/home/u/Trash/", false},
      {"/home/u/.local/share/Trashcan/", false},
      {"/home/u/my.trash/", false},
  };
  for (const auto& [path, trash] : cases) EXPECT_EQ(IsTrashPath(path), trash) << path;
}

TEST(PlatformNameTests, TempFile) {
  const std::pair<std::string, bool> cases[] = {
      {"/a/file.tmp", true},           {"/a/FILE.TMP", true},   {"/a/data.tmp.1", true},
      {"/a/.~lock.report.odt#", true}, {"/a/report.~1~", true}, {"/a/notes.txt~", true},
      {"/a/notes.txt", false},         {"/a/tmp", false},       {"/a/mytmpfile", false},
      {"/a.tmp/notes.txt", false},  // the folder name does not count
  };
  for (const auto& [path, temp] : cases) EXPECT_EQ(IsTempFilePath(path), temp) << path;
}

}  // namespace
}  // namespace nrv::platform
