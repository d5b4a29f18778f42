// End-to-end runs of the built norvalis-cli on real folders: selection rules,
// actions on the checked files, the safety refusal and the dry run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/platform_test_support.h"

namespace nrv::testing {
namespace {

using platform::testing::TScopedEnv;
using platform::testing::TTempDir;

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

struct TRun {
  int status = -1;
  std::string out, err;
};

class CliScan : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(tree / "a");
    std::filesystem::create_directories(tree / "b");
    a = tree.WriteFile("a/x.txt", "same content");
    b = tree.WriteFile("b/x.txt", "same content");
  }

  TRun Run(const std::string& args) {
    const std::string out = home / "stdout", err = home / "stderr";
    std::string cmd = std::string(NORVALIS_CLI_PATH) + " scan --no-cache " + Quote(tree.Path()) +
                      " " + args + " >" + Quote(out) + " 2>" + Quote(err);
    TRun r;
    int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }

  TTempDir tree;
  TTempDir home;
  // Settings, log and trash of the run stay inside the test's own folder.
  TScopedEnv config{"XDG_CONFIG_HOME", home / "config"};
  TScopedEnv data{"XDG_DATA_HOME", home / "data"};
  TScopedEnv state{"XDG_STATE_HOME", home / "state"};
  TScopedEnv cache{"XDG_CACHE_HOME", home / "cache"};
  std::string a, b;
};

TEST_F(CliScan, AGroupWithEveryFileCheckedStopsTheCommandUnlessAllowed) {
  TRun r = Run("--select all --action delete");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("group 1"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--allow-unsafe"), std::string::npos) << r.err;
  EXPECT_TRUE(Exists(a) && Exists(b));

  // Allowed, the engine still keeps the group's last copy: both fail, none goes.
  r = Run("--select all --action delete --allow-unsafe");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("0 files acted on, 2 failed"), std::string::npos) << r.err;
  EXPECT_TRUE(Exists(a) && Exists(b));
}

TEST_F(CliScan, TrashesTheFilesTheRulesCheckedAndShowsTheStateAfterwards) {
  TRun r = Run("--select none --select keep-folder:" + Quote(tree / "b") +
               " --action trash --format json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Exists(a)) << "the copy outside the kept folder goes";
  EXPECT_TRUE(Exists(b)) << "the copy in the kept folder stays";
  EXPECT_TRUE(Exists(home / "data/Trash/files/x.txt"));
  EXPECT_NE(r.err.find("1 files acted on, 0 failed"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("\"checked\": true"), std::string::npos) << r.out;
}

TEST_F(CliScan, MovesTheDuplicateTheScanChecked) {
  const std::string dest = home.MakeDir("dest");
  TRun r = Run("--action move:" + Quote(dest));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(Exists(a), Exists(b)) << "one copy stays, the other moves";
  EXPECT_TRUE(Exists(dest + "/x.txt"));
}

TEST_F(CliScan, RenamesTheDuplicateTheRulesLeaveChecked) {
  // Keeping the tree "b" checks the copy in "a"; the duplicates rule then keeps
  // the unchecked copy as the original.
  TRun r = Run("--select all --select keep-tree:" + Quote(tree / "b") +
               " --select duplicates --action rename-suffix:_dup");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Exists(a));
  EXPECT_TRUE(Exists(b));
  EXPECT_TRUE(Exists(tree / "a/x_dup.txt"));
}

TEST_F(CliScan, DryRunTellsAndChangesNothing) {
  TRun r = Run("--action delete --dry-run");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("would delete: "), std::string::npos) << r.err;
  EXPECT_TRUE(Exists(a) && Exists(b));
}

TEST_F(CliScan, UnknownRulesActionsAndFoldersAreRefusedBeforeScanning) {
  for (const char* args :
       {"--select newest --select sideways", "--action explode", "--action move:/no/such/folder",
        "--action rename-prefix:", "--dry-run"}) {
    SCOPED_TRACE(args);
    TRun r = Run(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(Exists(a) && Exists(b));
  }
}

}  // namespace
}  // namespace nrv::testing

namespace nrv::testing {
namespace {

// The scan command's own output and exit statuses.
class CliOutput : public CliScan {};

TEST_F(CliOutput, TextListsGroupsSeparatedByABlankLine) {
  tree.WriteFile("a/y.bin", "other pair");
  tree.WriteFile("b/y.bin", "other pair");
  TRun r = Run("--quiet");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  // Two groups of two full paths, a blank line between them.
  std::istringstream lines(r.out);
  std::vector<std::string> got;
  for (std::string l; std::getline(lines, l);) got.push_back(l);
  ASSERT_EQ(got.size(), 5u) << r.out;
  EXPECT_TRUE(got[2].empty());
  for (size_t i : {0u, 1u, 3u, 4u}) EXPECT_EQ(got[i].rfind(tree.Path() + "/", 0), 0u) << got[i];
}

TEST_F(CliOutput, JsonCarriesRawBytesOfNamesThatAreNotUtf8) {
  const std::string odd = tree.WriteFile(std::string("b/odd-\xff.txt"), "same content");
  TRun r = Run("--format json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"mode\": \"sha256\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"duplicate_files\": 2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("odd-\xEF\xBF\xBD.txt"), std::string::npos) << "shown with U+FFFD";
  std::string hex;
  for (unsigned char c : odd) {
    static const char* d = "0123456789abcdef";
    hex += d[c >> 4];
    hex += d[c & 15];
  }
  EXPECT_NE(r.out.find("\"path_hex\": \"" + hex + "\""), std::string::npos) << r.out;
}

TEST_F(CliOutput, ExitStatusTellsUsageErrorsFromScansThatCannotRun) {
  EXPECT_EQ(Run("--mode sideways").status, 2);
  EXPECT_EQ(Run("--min-size 12Q").status, 2);
  TRun missing = Run(Quote(home / "no-such-folder"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("not a folder"), std::string::npos) << missing.err;
  EXPECT_EQ(Run("--output " + Quote(home / "x.txt") + " --quiet").status, 0);
  EXPECT_NE(Slurp(home / "x.txt").find(a), std::string::npos);
}

}  // namespace
}  // namespace nrv::testing
