// The checksum cache as a scan uses it: unchanged files are not read again,
// touched files are, and a cache that cannot be opened does not stop a scan.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "engine/app_data.h"
#include "scan_test_support.h"

namespace nrv::testing {
namespace {

using G = std::vector<std::vector<std::string>>;

// Rewrites a file's bytes (same length) and puts its modification time back, so
// that only a read of the content could notice.
void ChangeContentKeepTime(const std::string& path, const std::string& content) {
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class ScanCache : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterScanModes(engine);
    ASSERT_TRUE(AppData().SetDatabase(cache_dir / "cache.data"));
  }
  void TearDown() override { AppData().Close(); }
  G Scan() {
    auto c = ConfigFor({files.Path()});
    c.CacheFileInfo = true;
    RunScan(engine, 0, c);
    return GroupNames(engine);
  }
  TTempDir files, cache_dir;
  TScanEngine engine;
};

TEST_F(ScanCache, UnchangedFilesAreNotReadAgainAndTouchedOnesAre) {
  const std::string head(4096, 'h');  // equal first blocks: the full digests decide
  auto a = files.WriteFile("a", head + "same tail");
  auto b = files.WriteFile("b", head + "same tail");
  ASSERT_EQ(Scan(), (G{{a, b}}));

  // Same size and time: the cached digests stand, so the change goes unseen.
  ChangeContentKeepTime(b, head + "diff tail");
  EXPECT_EQ(Scan(), (G{{a, b}}));

  // A new modification time misses the cache: b is hashed again.
  struct stat st {};
  ASSERT_EQ(stat(b.c_str(), &st), 0);
  timespec later[2] = {st.st_atim, {st.st_mtim.tv_sec + 10, st.st_mtim.tv_nsec}};
  ASSERT_EQ(utimensat(AT_FDCWD, b.c_str(), later, 0), 0);
  EXPECT_TRUE(Scan().empty());
}

TEST_F(ScanCache, SwitchedOffTheCacheIsNeitherReadNorWritten) {
  const std::string head(4096, 'h');
  auto a = files.WriteFile("a", head + "one");
  auto b = files.WriteFile("b", head + "one");
  auto c = ConfigFor({files.Path()});
  c.CacheFileInfo = false;
  RunScan(engine, 0, c);
  EXPECT_EQ(GroupNames(engine), (G{{a, b}}));
  EXPECT_TRUE(AppData().FindFileHash(a, 4099, TDateTime{}).empty());
  struct stat st {};
  ASSERT_EQ(stat(a.c_str(), &st), 0);
  EXPECT_TRUE(AppData().FindFileHash(a, st.st_size, TDateTime::FromTimespec(st.st_mtim)).empty());
}

TEST_F(ScanCache, UnusableCacheScansOn) {
  // A regular file where the cache's folder should be: no one can create it.
  auto blocker = cache_dir.WriteFile("not-a-folder", "x");
  EXPECT_FALSE(AppData().SetDatabase(blocker + "/cache.data"));
  const std::string head(4096, 'h');
  auto a = files.WriteFile("a", head + "x");
  auto b = files.WriteFile("b", head + "x");
  EXPECT_EQ(Scan(), (G{{a, b}}));
}

}  // namespace
}  // namespace nrv::testing
