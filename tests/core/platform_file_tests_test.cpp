#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_tests.h"
#include "platform/mount_table.h"
#include "platform_test_support.h"

namespace nrv::platform {
namespace {

// One folder with every kind of entry the scan can meet.
class PlatformFileTests : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.WriteFile("plain.txt");
    linked_ = dir_.WriteFile("linked.txt");
    ASSERT_EQ(link(linked_.c_str(), (dir_ / "linked-2.txt").c_str()), 0);
    folder_ = dir_.MakeDir("sub");
    fifo_ = dir_ / "pipe";
    ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
    ASSERT_EQ(symlink(folder_.c_str(), (dir_ / "to-sub").c_str()), 0);
    ASSERT_EQ(symlink(fifo_.c_str(), (dir_ / "to-pipe").c_str()), 0);
    ASSERT_EQ(symlink(linked_.c_str(), (dir_ / "to-linked").c_str()), 0);
    ASSERT_EQ(symlink((dir_ / "gone").c_str(), (dir_ / "dangling").c_str()), 0);
  }

  testing::TTempDir dir_;
  std::string file_, linked_, folder_, fifo_;
};

TEST_F(PlatformFileTests, SystemFileIsWhatMustNotBeRead) {
  const std::pair<std::string, bool> cases[] = {
      {file_, false},
      {linked_, false},
      {fifo_, true},
      {dir_ / "to-pipe", true},  // reading through the link blocks too
      {dir_ / "to-linked", false},
      {dir_ / "dangling", false},
      {dir_ / "missing", false},
      {folder_ + "/", true},
  };
  for (const auto& [path, system] : cases) EXPECT_EQ(IsSystemFile(path), system) << path;
}

TEST_F(PlatformFileTests, SymbolicLinks) {
  const std::pair<std::string, bool> cases[] = {
      {dir_ / "to-sub/", true},  // the trailing "/" must not lead lstat through the link
      {dir_ / "to-sub", true},
      {dir_ / "to-linked", true},
      {dir_ / "dangling", true},
      {folder_ + "/", false},
      {file_, false},
      {dir_ / "missing", false},
  };
  for (const auto& [path, is_link] : cases) EXPECT_EQ(IsSymLinkPath(path), is_link) << path;
}

TEST_F(PlatformFileTests, HardLinks) {
  const std::pair<std::string, bool> cases[] = {
      {linked_, true},  {dir_ / "linked-2.txt", true}, {file_, false},
      {folder_, false}, {dir_ / "to-linked", false},   {dir_ / "missing", false},
  };
  for (const auto& [path, hard] : cases) EXPECT_EQ(IsHardLinkFile(path), hard) << path;
}

TEST_F(PlatformFileTests, JunctionIsAMountedFolder) {
  EXPECT_FALSE(IsJunctionPath(folder_ + "/"));
  EXPECT_FALSE(IsJunctionPath(dir_.Path() + "/"));
  EXPECT_FALSE(IsJunctionPath(dir_ / "to-sub/"));
  EXPECT_FALSE(IsJunctionPath(file_));
  EXPECT_FALSE(IsJunctionPath("/"));
  const auto proc = MountEntryForPath("/proc/");
  if (proc && proc->mount_point == "/proc") {
    EXPECT_TRUE(IsJunctionPath("/proc/"));
    EXPECT_TRUE(IsJunctionPath("/proc"));
  }
}

TEST_F(PlatformFileTests, CompressionFlag) {
  EXPECT_FALSE(IsCompressedPath(file_));
  EXPECT_FALSE(IsCompressedPath(fifo_));  // must come back at once, not wait for a writer
  EXPECT_FALSE(IsCompressedPath(dir_ / "missing"));

  // Where the file system lets us set the flag, the test must see it.
  const int fd = open(file_.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  int flags = 0;
  bool flag_set = false;
  if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags |= FS_COMPR_FL;
    flag_set = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
               (flags & FS_COMPR_FL);
  }
  close(fd);
  if (!flag_set) GTEST_SKIP() << "file system does not keep the compression flag";
  EXPECT_TRUE(IsCompressedPath(file_));
}

}  // namespace
}  // namespace nrv::platform
