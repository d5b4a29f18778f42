// Real scans of small trees: what each comparison mode groups.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "scan_test_support.h"

namespace nrv::testing {
namespace {

class ScanModes : public ::testing::Test {
 protected:
  void SetUp() override { RegisterScanModes(engine); }
  std::vector<std::vector<std::string>> Scan(int mode, TScanConfig c) {
    RunScan(engine, mode, c);
    EXPECT_EQ(engine.GetStatus(), TScanStatus::ssFinished);
    return GroupNames(engine);
  }
  TTempDir dir;
  TScanEngine engine;
};

TEST_F(ScanModes, EachModeGroupsWhatItShould) {
  std::string block(4096, 'a');
  auto a1 = dir.WriteFile("a1.txt", "same content");
  dir.MakeDir("sub");
  auto a2 = dir.WriteFile("sub/a2.txt", "same content");
  auto p1 = dir.WriteFile("p1.bin", block + "tail-1");  // equal in the first 4096 bytes only
  auto p2 = dir.WriteFile("p2.bin", block + "tail-2");
  auto e1 = dir.WriteFile("e1", "");
  auto e2 = dir.WriteFile("sub/e2", "");
  auto n1 = dir.WriteFile("sub/p1.BIN", "another size entirely");
  dir.WriteFile("unique.dat", "nothing like it");

  auto cfg = ConfigFor({dir.Path()});
  std::vector<std::vector<std::string>> content_groups{{e1, e2}, {a1, a2}};
  std::sort(content_groups.begin(), content_groups.end());
  EXPECT_EQ(Scan(0, cfg), content_groups);
  EXPECT_EQ(engine.GetProgress().DuplicateFiles, 2);
  EXPECT_EQ(Scan(1, cfg), content_groups);

  // The name mode ignores sizes and letter case; the extension counts only when asked.
  EXPECT_EQ(Scan(2, cfg), (std::vector<std::vector<std::string>>{{p1, n1}}));
  cfg.IncludeExtension = true;  // .bin and .BIN are the same extension
  EXPECT_EQ(Scan(2, cfg), (std::vector<std::vector<std::string>>{{p1, n1}}));

  // With names required, equal content under other names is no longer a duplicate.
  auto named = ConfigFor({dir.Path()});
  named.IncludeFileName = true;
  EXPECT_TRUE(Scan(0, named).empty());
  EXPECT_TRUE(Scan(1, named).empty());
}

TEST_F(ScanModes, SparseFilesFourGibibytesApartStayApart) {
  auto big = dir / "big";
  auto small = dir / "small";
  for (auto [p, size] : {std::pair{big, (int64_t{1} << 32) + 10}, std::pair{small, int64_t{10}}}) {
    int fd = open(p.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
  }
  EXPECT_TRUE(Scan(0, ConfigFor({dir.Path()})).empty());
  EXPECT_TRUE(Scan(1, ConfigFor({dir.Path()})).empty());
}

TEST_F(ScanModes, FolderComparisonKeepsOnlyGroupsMixingMasterAndCompared) {
  auto master = dir.MakeDir("master");
  auto other = dir.MakeDir("other");
  auto m1 = dir.WriteFile("master/m1", "kept in master");
  auto m2 = dir.WriteFile("master/m2", "kept in master");
  auto c1 = dir.WriteFile("other/c1", "kept in master");
  auto c2 = dir.WriteFile("other/c2", "kept in master");
  dir.WriteFile("master/only-master-a", "twice in master");
  dir.WriteFile("master/only-master-b", "twice in master");
  dir.WriteFile("other/only-other-a", "twice elsewhere");
  dir.WriteFile("other/only-other-b", "twice elsewhere");
  auto cfg = ConfigFor({master});
  cfg.ExcludePaths = {other};
  EXPECT_EQ(Scan(5, cfg), (std::vector<std::vector<std::string>>{{m1, m2, c1, c2}}));
  ASSERT_EQ(engine.GetGroups().size(), 1u);
  EXPECT_EQ(engine.GetGroups()[0]->GroupNo(), 1);
  for (const auto& f : engine.GetGroups()[0]->Files()) {
    bool is_master = std::get<bool>(f->GetAttributeValue(TSupportedAttribute::atMaster));
    EXPECT_EQ(f->IsChecked(), !is_master) << f->GetFullName();
    f->SetChecked(true);
    EXPECT_EQ(f->IsChecked(), !is_master) << "a master file can never be checked";
  }
}

TEST_F(ScanModes, FileTestsFilterBySizeMaskAndContainer) {
  dir.MakeDir("in");
  auto top1 = dir.WriteFile("t1.jpg", "12345678");
  auto top2 = dir.WriteFile("t2.jpg", "12345678");
  auto in1 = dir.WriteFile("in/i1.jpg", "12345678");
  auto in2 = dir.WriteFile("in/i2.txt", "12345678");
  auto e1 = dir.WriteFile("in/e1", "");
  auto e2 = dir.WriteFile("in/e2", "");
  using G = std::vector<std::vector<std::string>>;

  auto c = ConfigFor({dir.Path()});
  c.ExcludeContainer = true;
  EXPECT_EQ(Scan(0, c), (G{{e1, e2}, {in1, in2}}));

  c = ConfigFor({dir.Path()});
  c.MinFileSize = 0;  // exclusive: an empty file is not larger than 0
  EXPECT_EQ(Scan(0, c), (G{{in1, in2, top1, top2}}));

  c = ConfigFor({dir.Path()});
  c.MaxFileSize = 8;  // exclusive: 8-byte files are refused
  EXPECT_EQ(Scan(0, c), (G{{e1, e2}}));

  c = ConfigFor({dir.Path()});
  c.IncludeMasks = "*.JPG";
  EXPECT_EQ(Scan(0, c), (G{{in1, top1, top2}}));
  c.IncludeMasks = ";";  // no mask at all refuses everything
  EXPECT_TRUE(Scan(0, c).empty());
  EXPECT_EQ(engine.GetProgress().SkippedFiles, 6);

  c = ConfigFor({dir.Path()});
  c.ExcludePaths = {dir / "in"};
  EXPECT_EQ(Scan(0, c), (G{{top1, top2}}));
  c = ConfigFor({dir.Path()});
  c.IgnoreList = {"*/i"};  // an ignore entry matches folder names starting with it
  EXPECT_EQ(Scan(0, c), (G{{top1, top2}}));
}

TEST_F(ScanModes, OneFileMakesNoGroup) {
  dir.WriteFile("only", "x");
  EXPECT_TRUE(Scan(0, ConfigFor({dir.Path()})).empty());
  EXPECT_EQ(engine.GetProgress().TotalFiles, 1);
  // A finished scan needs InitializeScan before it can run again.
  engine.StartScan();
  EXPECT_EQ(engine.GetStatus(), TScanStatus::ssFinished);
}

}  // namespace
}  // namespace nrv::testing

namespace nrv::testing {
namespace {

// Five files of one size: two pairs of equal content that part only after the
// first blocks, and one that differs in its last byte. Both content modes must
// find exactly the two pairs, whatever order the disk returns them in.
TEST(ScanModesLargeRuns, SetsSplitAsContentsDiverge) {
  TTempDir dir;
  TScanEngine engine;
  RegisterScanModes(engine);
  const std::string common(200000, 'c');
  auto a1 = dir.WriteFile("a1", common + "AAAA");
  auto a2 = dir.WriteFile("a2", common + "AAAA");
  auto b1 = dir.WriteFile("b1", common + "BBBB");
  auto b2 = dir.WriteFile("b2", common + "BBBB");
  dir.WriteFile("c", common + "AAAB");
  for (int mode : {0, 1}) {
    RunScan(engine, mode, ConfigFor({dir.Path()}));
    EXPECT_EQ(GroupNames(engine), (std::vector<std::vector<std::string>>{{a1, a2}, {b1, b2}}))
        << "mode " << mode;
    EXPECT_EQ(engine.GetProgress().DuplicateFiles, 2);
  }
}

}  // namespace
}  // namespace nrv::testing
