#pragma once
// A real scan of a temporary tree, ready for actions on its duplicates; the trash
// lives in a temporary data folder of the test's own.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "scan_test_support.h"

namespace nrv::testing {

inline bool PathExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

inline bool IsSymlink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The content of a file (following links), or nothing when it cannot be read.
inline std::optional<std::string> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes a file, creating the folders on its way.
inline std::string Put(const TTempDir& dir, const std::string& name, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(dir / name).parent_path());
  return dir.WriteFile(name, content);
}

class ActionTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterScanModes(engine); }

  // Scans `dir` by content; every member ends unchecked, so each test checks
  // exactly what it acts on.
  void Scan(bool remove_empty_folders = false) {
    auto config = ConfigFor({dir.Path()});
    config.RemoveEmptyFolders = remove_empty_folders;
    RunScan(engine, 0, config);
    ASSERT_EQ(engine.GetStatus(), TScanStatus::ssFinished);
    engine.AutoSelect(1);
  }

  IFileInfoPtr Item(const std::string& full_name) {
    for (const auto& f : engine.GetAllFiles()) {
      if (f->GetFullName() == full_name) return f;
    }
    // Thrown rather than returned empty: gtest reports it and the test goes no further.
    throw std::runtime_error("not in the results: " + full_name);
  }

  void Check(std::initializer_list<std::string> full_names) {
    for (const auto& n : full_names) {
      if (auto f = Item(n)) f->SetChecked(true);
    }
  }

  // Records every report and that it came on the test's own thread.
  TProgressCallback Recorder() {
    return [this](const TProgressInfo& p) {
      reports.push_back(p);
      if (std::this_thread::get_id() != test_thread) foreign_thread_report = true;
    };
  }
  TActionWaiter Waiter() {
    return TActionWaiter{[this] {
      if (std::this_thread::get_id() != test_thread) foreign_thread_report = true;
    }};
  }
  const TProgressInfo& Last() const { return reports.back(); }

  TTempDir dir;
  TTempDir data;
  TScopedEnv xdg_data{"XDG_DATA_HOME", data.Path()};
  TScanEngine engine;
  std::vector<TProgressInfo> reports;
  bool foreign_thread_report = false;
  std::thread::id test_thread = std::this_thread::get_id();
};

}  // namespace nrv::testing
