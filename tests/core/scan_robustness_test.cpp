// Scans of trees with the things real trees hold: special files, links, loops,
// odd names, unreadable and repeated folders, and stop requests.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "engine/message_bus.h"
#include "engine/messages.h"
#include "scan_test_support.h"

namespace nrv::testing {
namespace {

using G = std::vector<std::vector<std::string>>;

TEST(ScanRobustness, SpecialFilesLinksLoopsAndOddNamesScanToTheEnd) {
  TTempDir dir;
  TScanEngine engine;
  RegisterScanModes(engine);
  dir.MakeDir("a");
  dir.MakeDir("b");
  auto f1 = dir.WriteFile("a/one", "payload");
  const std::string odd_name = std::string("b/odd-\xff\xfe-name");
  auto f2 = dir.WriteFile(odd_name, "payload");
  ASSERT_EQ(mkfifo((dir / "a/pipe").c_str(), 0644), 0);
  ASSERT_EQ(symlink("../a", (dir / "b/loop").c_str()), 0);    // a folder link
  ASSERT_EQ(symlink("one", (dir / "a/link-to-one").c_str()), 0);  // a file link
  ASSERT_EQ(symlink("self", (dir / "a/self").c_str()), 0);        // a link loop

  for (bool scan_system : {false, true}) {
    auto c = ConfigFor({dir.Path()});
    c.SkipSysFiles = !scan_system;  // a FIFO is never read, whatever the settings
    for (int mode : {0, 1}) {
      RunScan(engine, mode, c);
      EXPECT_EQ(GroupNames(engine), (G{{f1, f2}})) << "mode " << mode;
    }
  }
}

TEST(ScanRobustness, OverlappingIncludeFoldersListEachFileOnce) {
  TTempDir dir;
  TScanEngine engine;
  RegisterScanModes(engine);
  dir.MakeDir("top/inner");
  auto f1 = dir.WriteFile("top/inner/x", "same");
  auto f2 = dir.WriteFile("top/y", "same");
  auto c = ConfigFor({dir / "top", dir / "top/inner", dir / "top/"});
  RunScan(engine, 0, c);
  EXPECT_EQ(GroupNames(engine), (G{{f1, f2}}));
  EXPECT_EQ(engine.GetProgress().TotalFiles, 2);
}

TEST(ScanRobustness, UnreadableFolderIsSkippedAndTheRestScanned) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TTempDir dir;
  TScanEngine engine;
  RegisterScanModes(engine);
  dir.MakeDir("locked");
  dir.WriteFile("locked/z", "same");
  auto f1 = dir.WriteFile("x", "same");
  auto f2 = dir.WriteFile("y", "same");
  chmod((dir / "locked").c_str(), 0);
  RunScan(engine, 0, ConfigFor({dir.Path()}));
  chmod((dir / "locked").c_str(), 0755);
  EXPECT_EQ(GroupNames(engine), (G{{f1, f2}}));
}

// Requests a stop as soon as the scan announces `stage`.
class TStopAt {
 public:
  TStopAt(TScanEngine& engine, TScanStatus stage) {
    id_ = MessageBus().Subscribe<TScanStatusMessage>([&engine, stage](const TScanStatusMessage& m) {
      if (m.Status == stage) engine.StopScan();
    });
  }
  ~TStopAt() { MessageBus().Unsubscribe(id_); }

 private:
  TMessageBus::TSubscriptionId id_;
};

TEST(ScanRobustness, StopInEachStageStillFinishes) {
  TTempDir dir;
  for (int i = 0; i < 4; ++i) dir.WriteFile("f" + std::to_string(i), "same");
  struct TCase {
    TScanStatus stage;
    bool groups_expected;
  };
  for (auto [stage, groups_expected] :
       {TCase{TScanStatus::ssScanFolders, false}, TCase{TScanStatus::ssProcessing, false},
        TCase{TScanStatus::ssFinishing, true}}) {
    TScanEngine engine;
    RegisterScanModes(engine);
    std::vector<TScanStatus> seen;
    auto id = MessageBus().Subscribe<TScanStatusMessage>(
        [&](const TScanStatusMessage& m) { seen.push_back(m.Status); });
    {
      TStopAt stop(engine, stage);
      RunScan(engine, 0, ConfigFor({dir.Path()}));
    }
    MessageBus().Unsubscribe(id);
    EXPECT_EQ(engine.GetStatus(), TScanStatus::ssFinished);
    EXPECT_EQ(!engine.GetGroups().empty(), groups_expected) << static_cast<int>(stage);
    ASSERT_FALSE(seen.empty());
    EXPECT_NE(std::find(seen.begin(), seen.end(), TScanStatus::ssFinishing), seen.end())
        << "a stopped scan still builds results";
    EXPECT_EQ(seen.back(), TScanStatus::ssFinished);
  }
}

}  // namespace
}  // namespace nrv::testing
