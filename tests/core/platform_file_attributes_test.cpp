#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_attributes.h"
#include "platform_test_support.h"

namespace nrv::platform {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(PlatformFileAttributes, ResetReadOnlyAddsOnlyTheOwnerWriteBit) {
  testing::TTempDir dir;
  const std::string file = dir.WriteFile("ro.txt");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  ResetReadOnly(file);
  EXPECT_EQ(ModeOf(file), 0644u);

  const std::string folder = dir.MakeDir("ro-dir");
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  ResetReadOnly(folder + "/");
  EXPECT_EQ(ModeOf(folder), 0755u);
}

TEST(PlatformFileAttributes, ResetReadOnlyLeavesALinkTargetAlone) {
  testing::TTempDir dir;
  const std::string target = dir.WriteFile("original.txt");
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  const std::string link = dir / "link.txt";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ResetReadOnly(link);
  EXPECT_EQ(ModeOf(target), 0444u);
  ResetReadOnly(dir / "missing.txt");  // nothing to do, nothing raised
}

}  // namespace
}  // namespace nrv::platform
