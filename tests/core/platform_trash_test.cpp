// The desktop trash on real files, with XDG_DATA_HOME pointed at a temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/real_paths.h"
#include "platform/trash.h"
#include "platform_test_support.h"

namespace nrv::platform::testing {
namespace {

std::string Stamp() {
  time_t now = time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

class TrashTest : public ::testing::Test {
 protected:
  TTempDir files;
  TTempDir data;
  TScopedEnv env{"XDG_DATA_HOME", data.Path()};
  std::string Trash() const { return data / "Trash/"; }
};

TEST(TrashInfoPath, KeepsUnreservedCharactersAndEncodesEveryOtherByte) {
  struct {
    std::string path, encoded;
  } cases[] = {
      {"/home/u/a-b_c.d~e!*'()", "/home/u/a-b_c.d~e!*'()"},
      {"/a b/%x", "/a%20b/%25x"},
      {"/\xC3\xBC", "/%C3%BC"},        // UTF-8 bytes one by one
      {"/bad\xFF\x80", "/bad%FF%80"},  // not UTF-8: kept byte for byte
      {"rel/a#b?c", "rel/a%23b%3Fc"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeTrashInfoPath(c.path), c.encoded) << c.path;
}

// The whole round trip: record first, then the file; back again with the record gone.
TEST_F(TrashTest, MovesIntoHomeTrashWithRecordAndRestores) {
  files.MakeDir("sub dir");
  const std::string name = "a b%\xC3\xBC\xFF.txt";
  const std::string path = files.WriteFile("sub dir/" + name, "content");
  EXPECT_EQ(TrashFolderFor(path), Trash());

  const std::string before = Stamp();
  std::string trash_name;
  ASSERT_TRUE(MoveFileToTrash(path, trash_name));
  const std::string after = Stamp();
  EXPECT_EQ(trash_name, Trash() + "files/" + name);
  EXPECT_FALSE(Present(path));
  EXPECT_EQ(ReadAll(trash_name), "content");

  const std::string info = ReadAll(Trash() + "info/" + name + ".trashinfo");
  std::smatch m;
  ASSERT_TRUE(
      std::regex_match(info, m, std::regex("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=(.*)\n")))
      << info;
  EXPECT_EQ(m[1].str(), EncodeTrashInfoPath(RealPath(files.Path()) + "/sub dir/" + name));
  EXPECT_GE(m[2].str(), before);
  EXPECT_LE(m[2].str(), after);

  std::filesystem::remove_all(files / "sub dir");  // restore makes missing folders
  ASSERT_TRUE(RestoreFromTrash(trash_name, path));
  EXPECT_EQ(ReadAll(path), "content");
  EXPECT_FALSE(Present(trash_name));
  EXPECT_FALSE(Present(Trash() + "info/" + name + ".trashinfo"));
}

TEST_F(TrashTest, ClashingNamesGetNumbers) {
  files.MakeDir("x");
  files.MakeDir("y");
  std::string t1, t2, t3, t4;
  ASSERT_TRUE(MoveFileToTrash(files.WriteFile("x/a.txt", "1"), t1));
  ASSERT_TRUE(MoveFileToTrash(files.WriteFile("y/a.txt", "2"), t2));
  ASSERT_TRUE(MoveFileToTrash(files.WriteFile("x/README", "3"), t3));
  // A file in files/ without its record still takes the name.
  std::ofstream(Trash() + "files/README (2)") << "stray";
  ASSERT_TRUE(MoveFileToTrash(files.WriteFile("y/README", "4"), t4));

  EXPECT_EQ(t1, Trash() + "files/a.txt");
  EXPECT_EQ(t2, Trash() + "files/a (2).txt");
  EXPECT_EQ(t3, Trash() + "files/README");
  EXPECT_EQ(t4, Trash() + "files/README (3)");
  EXPECT_EQ(ReadAll(t2), "2");
  EXPECT_EQ(ReadAll(t4), "4");
  EXPECT_NE(ReadAll(Trash() + "info/a (2).txt.trashinfo").find("/y/a.txt\n"), std::string::npos);
  EXPECT_EQ(ReadAll(Trash() + "files/README (2)"), "stray");
}

TEST_F(TrashTest, RestoreRefusesWhenTheOriginalPlaceIsTaken) {
  const std::string path = files.WriteFile("a.txt", "old");
  std::string trash_name;
  ASSERT_TRUE(MoveFileToTrash(path, trash_name));
  files.WriteFile("a.txt", "new");
  EXPECT_FALSE(RestoreFromTrash(trash_name, path));
  EXPECT_EQ(ReadAll(path), "new");
  EXPECT_EQ(ReadAll(trash_name), "old");
  EXPECT_TRUE(Present(Trash() + "info/a.txt.trashinfo"));
}

// When no trash can be had, the file stays where it was; it is never deleted instead.
TEST_F(TrashTest, FailureLeavesTheFileInPlace) {
  const std::string path = files.WriteFile("a.txt", "keep me");
  std::ofstream(data / "Trash") << "a file where the trash folder should be";
  std::string trash_name = "stale";
  EXPECT_FALSE(MoveFileToTrash(path, trash_name));
  EXPECT_EQ(trash_name, "");
  EXPECT_EQ(ReadAll(path), "keep me");
}

TEST_F(TrashTest, MissingFileCountsAsGone) {
  std::string trash_name = "stale";
  EXPECT_TRUE(MoveFileToTrash(files / "nothing", trash_name));
  EXPECT_EQ(trash_name, "");
  EXPECT_EQ(TrashFolderFor(files / "nothing"), "");
}

// A dangling link is trashed as the link itself.
TEST_F(TrashTest, DanglingLinkIsTrashedAsALink) {
  const std::string link = files / "l";
  ASSERT_EQ(symlink("/nonexistent/target", link.c_str()), 0);
  std::string trash_name;
  ASSERT_TRUE(MoveFileToTrash(link, trash_name));
  struct stat st {};
  ASSERT_EQ(lstat(trash_name.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_FALSE(Present(link));
}

// A file on another file system than the home trash goes to the trash at the top
// of its own file system; /dev/shm is usually such a file system.
TEST_F(TrashTest, FileOnAnotherFileSystemUsesItsTopDirectoryTrash) {
  struct stat shm {
  }, home{};
  if (stat("/dev/shm", &shm) != 0 || stat(data.Path().c_str(), &home) != 0 ||
      shm.st_dev == home.st_dev || access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second writable file system at /dev/shm";
  }
  std::string top = RealPath("/dev/shm") + "/";
  if (top != "/dev/shm/") GTEST_SKIP() << "/dev/shm is a link";
  {
    struct stat root {};
    if (stat("/dev", &root) == 0 && root.st_dev == shm.st_dev) GTEST_SKIP() << "not a mount";
  }
  const std::string uid = std::to_string(getuid());
  const std::string own = top + ".Trash-" + uid + "/";
  const std::string shared = top + ".Trash/";
  if (Present(top + ".Trash") || Present(own)) GTEST_SKIP() << "a trash exists already there";

  TTempDir* shm_dir;
  {
    TScopedEnv tmp("TMPDIR", "/dev/shm");
    shm_dir = new TTempDir;
  }
  std::unique_ptr<TTempDir> holder(shm_dir);
  struct TCleanup {
    std::string a, b;
    ~TCleanup() {
      std::error_code ec;
      std::filesystem::remove_all(a, ec);
      std::filesystem::remove_all(b, ec);
    }
  } cleanup{own, shared};

  const std::string path = shm_dir->WriteFile("f.txt", "on shm");
  const std::string below_top = shm_dir->Path().substr(top.size()) + "/f.txt";

  // Without a shared .Trash: the user's own .Trash-$uid, made private.
  EXPECT_EQ(TrashFolderFor(path), own);
  std::string trash_name;
  ASSERT_TRUE(MoveFileToTrash(path, trash_name));
  EXPECT_EQ(trash_name, own + "files/f.txt");
  struct stat st {};
  ASSERT_EQ(stat(own.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_NE(ReadAll(own + "info/f.txt.trashinfo").find("\nPath=" + below_top + "\n"),
            std::string::npos);
  ASSERT_TRUE(RestoreFromTrash(trash_name, path));
  EXPECT_EQ(ReadAll(path), "on shm");

  // A shared .Trash counts only with the sticky bit.
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
  EXPECT_EQ(TrashFolderFor(path), own);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  EXPECT_EQ(TrashFolderFor(path), shared + uid + "/");
  ASSERT_TRUE(MoveFileToTrash(path, trash_name));
  EXPECT_EQ(trash_name, shared + uid + "/files/f.txt");
}

}  // namespace
}  // namespace nrv::platform::testing
