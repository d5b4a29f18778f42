// Copies and moves that never replace a file, on real files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <system_error>

#include "platform/file_copy.h"
#include "platform_test_support.h"

namespace nrv::platform::testing {
namespace {

TEST(FileCopy, CopyKeepsModeAndTimesAndNeverReplaces) {
  TTempDir dir;
  const std::string big(3 << 20, 'z');  // more than one read buffer
  const std::string src = dir.WriteFile("src", big);
  ASSERT_EQ(chmod(src.c_str(), 0640), 0);
  const timespec times[2] = {{1000000, 0}, {2000000, 500}};
  ASSERT_EQ(utimensat(AT_FDCWD, src.c_str(), times, 0), 0);

  CopyFileNoReplace(src, dir / "copy");
  EXPECT_EQ(ReadAll(dir / "copy"), big);
  struct stat st {};
  ASSERT_EQ(stat((dir / "copy").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 2000000);

  const std::string other = dir.WriteFile("other", "keep");
  EXPECT_THROW(CopyFileNoReplace(src, other), std::system_error);
  EXPECT_THROW(MoveFileNoReplace(src, other), std::system_error);
  EXPECT_FALSE(RenameNoReplace(src, other));
  EXPECT_EQ(ReadAll(other), "keep");
  EXPECT_EQ(ReadAll(src), big);
}

// Across file systems a move is a copy and a removal; /dev/shm is usually another one.
TEST(FileCopy, MoveAcrossFileSystems) {
  TTempDir dir;
  struct stat shm {
  }, tmp{};
  if (stat("/dev/shm", &shm) != 0 || stat(dir.Path().c_str(), &tmp) != 0 ||
      shm.st_dev == tmp.st_dev || access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second writable file system at /dev/shm";
  }
  std::unique_ptr<TTempDir> far;
  {
    TScopedEnv env("TMPDIR", "/dev/shm");
    far = std::make_unique<TTempDir>();
  }
  const std::string src = dir.WriteFile("f", "payload");
  ASSERT_EQ(symlink("/nonexistent", (dir / "l").c_str()), 0);
  MoveFileNoReplace(src, *far / "f");
  MoveFileNoReplace(dir / "l", *far / "l");
  EXPECT_EQ(ReadAll(*far / "f"), "payload");
  EXPECT_EQ(access(src.c_str(), F_OK), -1);
  char buf[64];
  ssize_t n = readlink((*far / "l").c_str(), buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "/nonexistent");

  far->WriteFile("taken", "theirs");
  const std::string again = dir.WriteFile("g", "mine");
  EXPECT_THROW(MoveFileNoReplace(again, *far / "taken"), std::system_error);
  EXPECT_EQ(ReadAll(again), "mine");
  EXPECT_EQ(ReadAll(*far / "taken"), "theirs");
}

}  // namespace
}  // namespace nrv::platform::testing
