// Replacing a file by a symbolic link, on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/symlink.h"
#include "platform_test_support.h"

namespace nrv::platform::testing {
namespace {

std::string LinkTarget(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf);
  return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

TEST(CreateFileSymLink, ReplacesTheDuplicateAndLeavesNoBackup) {
  TTempDir dir;
  const std::string orig = dir.WriteFile("orig", "data");
  const std::string dup = dir.WriteFile("dup", "data");
  ASSERT_TRUE(CreateFileSymLink(orig, dup));
  EXPECT_EQ(LinkTarget(dup), orig);
  EXPECT_EQ(ReadAll(dup), "data");
  EXPECT_FALSE(Present(dup + ".slt"));

  // A second call finds the link in place and changes nothing.
  struct stat before {
  }, after{};
  ASSERT_EQ(lstat(dup.c_str(), &before), 0);
  ASSERT_TRUE(CreateFileSymLink(orig, dup));
  ASSERT_EQ(lstat(dup.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);

  // Where no file stands, the link is simply made.
  ASSERT_TRUE(CreateFileSymLink(orig, dir / "new"));
  EXPECT_EQ(LinkTarget(dir / "new"), orig);
}

TEST(CreateFileSymLink, TargetIsStoredAbsolute) {
  TTempDir dir;
  dir.WriteFile("orig", "data");
  const std::string dup = dir.WriteFile("dup", "data");
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  const bool ok = CreateFileSymLink("orig", dup);
  EXPECT_EQ(chdir(cwd), 0);
  free(cwd);
  ASSERT_TRUE(ok);
  EXPECT_EQ(LinkTarget(dup), dir / "orig");
}

// Each refusal leaves the duplicate as it was.
TEST(CreateFileSymLink, RefusalsLeaveTheDuplicateAlone) {
  struct {
    const char* what;
    void (*prepare)(const TTempDir&);
    std::string original;
  } cases[] = {
      {"original missing", [](const TTempDir&) {}, "missing"},
      {"backup name taken", [](const TTempDir& d) { d.WriteFile("dup.slt", "other"); }, "orig"},
      {"original is a link to the duplicate",
       [](const TTempDir& d) { ASSERT_EQ(symlink((d / "dup").c_str(), (d / "via").c_str()), 0); },
       "via"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TTempDir dir;
    dir.WriteFile("orig", "data");
    const std::string dup = dir.WriteFile("dup", "mine");
    c.prepare(dir);
    EXPECT_FALSE(CreateFileSymLink(dir / c.original, dup));
    EXPECT_EQ(LinkTarget(dup), "");
    EXPECT_EQ(ReadAll(dup), "mine");
  }
  TTempDir dir;
  dir.WriteFile("dup", "mine");
  dir.WriteFile("dup.slt", "other");
  dir.WriteFile("orig", "data");
  EXPECT_FALSE(CreateFileSymLink(dir / "orig", dir / "dup"));
  EXPECT_EQ(ReadAll(dir / "dup.slt"), "other");
}

}  // namespace
}  // namespace nrv::platform::testing
