#include "services/app_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace nrv {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text of a log file after its byte-order mark, as UTF-8.
std::string ReadLogText(const std::string& path) {
  std::string bytes = ReadBytes(path);
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') bytes.erase(0, 2);
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  std::string text;
  icu::UnicodeString(units.data(), static_cast<int32_t>(units.size())).toUTF8String(text);
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2) {
    lines.push_back(text.substr(start, pos - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last line break";
  return lines;
}

std::string TodayFileName() {
  time_t now = time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "nrv%Y-%m-%d.log", &tm);
  return buf;
}

class AppLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir_template[] = "/tmp/nrv_applog_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    root_ = dir_template;
    log_dir_ = root_ + "/state/Logs/";  // created by the log itself
    day_file_ = log_dir_ + TodayFileName();
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string root_;
  std::string log_dir_;
  std::string day_file_;
};

TEST_F(AppLogTest, LevelDecidesWhichEntriesAreWritten) {
  struct Case {
    TLogLevel level;
    bool error, warning, info;
  };
  const Case cases[] = {
      {TLogLevel::None, false, false, false},
      {TLogLevel::Errors, true, false, false},
      {TLogLevel::Warnings, true, true, false},
      {TLogLevel::All, true, true, true},
  };
  for (const Case& c : cases) {
    fs::remove_all(log_dir_);
    {
      TAppLog log;
      log.Initialize(log_dir_, 0, c.level);
      log.WriteLog("an error", 1);
      log.WriteLog("a warning", 2);
      log.WriteLog("some info", 3);
      log.Flush();
    }
    SCOPED_TRACE(static_cast<int>(c.level));
    if (c.level == TLogLevel::None) {
      EXPECT_FALSE(fs::exists(log_dir_)) << "no file and no folder at level None";
      continue;
    }
    std::string text = ReadLogText(day_file_);
    EXPECT_EQ(text.find("[Error]: an error") != std::string::npos, c.error);
    EXPECT_EQ(text.find("[Warning]: a warning") != std::string::npos, c.warning);
    EXPECT_EQ(text.find("[Info]: some info") != std::string::npos, c.info);
  }
}

TEST_F(AppLogTest, EntryLayoutCarriesTimeAndWritingThread) {
  pid_t main_tid = gettid();
  pid_t other_tid = 0;
  {
    TAppLog log;
    log.Initialize(log_dir_.substr(0, log_dir_.size() - 1), 0, TLogLevel::All);
    EXPECT_EQ(log.LogDirectory(), log_dir_) << "a trailing separator is added";
    log.WriteLog("Starting application", 3);
    std::thread other([&] {
      other_tid = gettid();
      log.WriteLog("Disk \xC3\xA4 full", 2);
    });
    other.join();
    EXPECT_EQ(log.LogFileName(), day_file_);
  }
  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), 2u);

  const std::regex layout(R"(^(\d\d):(\d\d):(\d\d)   #(.{10})    \[(\w+)\]: (.*)$)");
  struct Expected {
    pid_t tid;
    const char* label;
    const char* message;
  };
  const Expected expected[] = {{main_tid, "Info", "Starting application"},
                               {other_tid, "Warning", "Disk \xC3\xA4 full"}};
  for (size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, layout)) << lines[i];
    EXPECT_LT(std::stoi(m[1]), 24);
    EXPECT_LT(std::stoi(m[2]), 60);
    std::string tid = std::to_string(expected[i].tid);
    EXPECT_EQ(m[4].str(), tid + std::string(10 - tid.size(), ' '));
    EXPECT_EQ(m[5].str(), expected[i].label);
    EXPECT_EQ(m[6].str(), expected[i].message);
  }
}

TEST(AppLogEntryTest, ThreadIdIsPaddedButNeverCut) {
  std::tm tm{};
  tm.tm_hour = 14;
  tm.tm_min = 3;
  tm.tm_sec = 7;
  EXPECT_EQ(FormatLogEntry(tm, 11840, 3, "Starting application"),
            "14:03:07   #11840         [Info]: Starting application\r\n");
  EXPECT_EQ(FormatLogEntry(tm, 123456789012345ULL, 1, "x"),
            "14:03:07   #123456789012345    [Error]: x\r\n");
  EXPECT_EQ(FormatLogEntry(tm, 1234567890, 2, "y"), "14:03:07   #1234567890    [Warning]: y\r\n");
}

TEST_F(AppLogTest, NewFileHasBomAndReopeningAddsOnlyABlankLine) {
  for (const char* msg : {"first run", "second run"}) {
    TAppLog log;
    log.Initialize(log_dir_, 0, TLogLevel::All);
    log.WriteLog(msg, 1);
  }
  std::string bytes = ReadBytes(day_file_);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos) << "a second byte-order mark";

  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("[Error]: first run"), std::string::npos);
  EXPECT_EQ(lines[1], "");
  EXPECT_NE(lines[2].find("[Error]: second run"), std::string::npos);
}

TEST_F(AppLogTest, DeletedDayFileIsCreatedAgain) {
  TAppLog log;
  log.Initialize(log_dir_, 0, TLogLevel::All);
  log.WriteLog("before", 1);
  ASSERT_TRUE(fs::exists(day_file_));
  fs::remove(day_file_);

  log.WriteLog("after", 1);
  std::string bytes = ReadBytes(day_file_);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("[Error]: after"), std::string::npos);
}

TEST_F(AppLogTest, EntriesBeforeInitializeWaitInMemory) {
  TAppLog log;
  log.WriteLog("early", 1);
  log.Flush();
  EXPECT_EQ(log.LogFileName(), "");
  log.Initialize(log_dir_, 0, TLogLevel::All);
  log.WriteLog("later", 1);
  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("[Error]: early"), std::string::npos);
  EXPECT_NE(lines[1].find("[Error]: later"), std::string::npos);
}

TEST_F(AppLogTest, UnopenableFolderKeepsEntriesForALaterFolder) {
  // A folder below a regular file can never be created.
  const std::string blocker = root_ + "/blocker";
  std::ofstream(blocker) << "x";
  TAppLog log;
  log.Initialize(blocker + "/Logs", 0, TLogLevel::All);
  EXPECT_NO_THROW(log.WriteLog("kept", 1));
  EXPECT_NO_THROW(log.WriteLog("kept too", 1));
  EXPECT_EQ(log.LogFileName(), "");

  log.Initialize(log_dir_, 0, TLogLevel::All);
  log.Flush();
  std::string text = ReadLogText(day_file_);
  EXPECT_NE(text.find("[Error]: kept\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Error]: kept too\r\n"), std::string::npos);
}

TEST_F(AppLogTest, CleanUpDeletesOldDayFilesOnly) {
  fs::create_directories(log_dir_);
  const std::vector<std::pair<std::string, bool>> files = {
      {"nrv2020-01-01.log", false},                                   // date in the name is old
      {"nrv2020-01-01copy2.log", true},                               // copy files never match
      {"nrv2020-02-31.log", false},                                   // no such date: oldest of all
      {"nrvabcd-ef-gh.log", false},                                   // not numbers: 1899-12-31
      {"other2020-01-01.log", true},    {"nrv9999-01-01.log", true},  // in the future
  };
  for (const auto& [name, keep] : files) std::ofstream(log_dir_ + name) << "old";
  TAppLog log;
  log.Initialize(log_dir_, 7, TLogLevel::All);
  log.WriteLog("trigger", 1);
  for (const auto& [name, keep] : files) {
    EXPECT_EQ(fs::exists(log_dir_ + name), keep) << name;
  }
  EXPECT_TRUE(fs::exists(day_file_));
}

TEST_F(AppLogTest, ExceptionEntries) {
  {
    TAppLog log;
    log.Initialize(log_dir_, 0, TLogLevel::Errors);
    log.WriteLogException("Failed to scan folder", std::runtime_error("Permission denied"));
    log.WriteLogException("Failed to sort results");
    log.WriteLogFmt(1, "Skipped %d files in %s", 3, "/tmp/a");
  }
  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_NE(lines[0].find("    [Error]: Failed to scan folder"), std::string::npos);
  EXPECT_EQ(lines[1], "Permission denied");
  EXPECT_NE(lines[2].find("    [Error]: Failed to sort results"), std::string::npos);
  EXPECT_EQ(lines[3], "unknown exception");
  EXPECT_NE(lines[4].find("[Error]: Skipped 3 files in /tmp/a"), std::string::npos);
}

TEST_F(AppLogTest, InvalidUtf8IsStillWritten) {
  {
    TAppLog log;
    log.Initialize(log_dir_, 0, TLogLevel::All);
    log.WriteLog("Skipped /data/f\xE4hre.txt", 2);
  }
  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("[Warning]: Skipped /data/f\xEF\xBF\xBDhre.txt"), std::string::npos);
}

TEST_F(AppLogTest, FailedWriteRaisesToTheWriter) {
  TAppLog log;
  log.Initialize(log_dir_, 0, TLogLevel::All);
  log.WriteLog("fits", 1);
  // Limit the size of files this process may write to the current size.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = saved;
  tight.rlim_cur = fs::file_size(day_file_);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  std::string what;
  try {
    log.WriteLog("does not fit", 1);
  } catch (const std::runtime_error& e) {
    what = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(what.rfind("Unable to write log. Please check program settings and then re-enable "
                       "logging.\r\nError Message: ",
                       0),
            0u)
      << what;
  // The entry was not lost: it reaches the file once writing works again.
  log.Flush();
  EXPECT_NE(ReadLogText(day_file_).find("[Error]: does not fit"), std::string::npos);
}

TEST_F(AppLogTest, ConcurrentWritersProduceWholeLines) {
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 300;
  {
    TAppLog log;
    log.Initialize(log_dir_, 0, TLogLevel::All);
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
      writers.emplace_back([&log, t] {
        for (int i = 0; i < kLinesEach; ++i) {
          log.WriteLog("writer " + std::to_string(t) + " line " + std::to_string(i), 2 + i % 2);
        }
      });
    }
    for (std::thread& w : writers) w.join();
  }
  std::vector<std::string> lines = SplitLines(ReadLogText(day_file_));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
  const std::regex layout(R"(^\d\d:\d\d:\d\d   #\d+ *    \[(Warning|Info)\]: writer \d line \d+$)");
  for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, layout)) << line;
}

TEST(AppLogPathsTest, DefaultFolderFollowsXdgStateHome) {
  const char* saved = std::getenv("XDG_STATE_HOME");
  std::string saved_value = saved ? saved : "";
  setenv("XDG_STATE_HOME", "/tmp/nrv-state", 1);
  EXPECT_EQ(DefaultLogDirectory(), "/tmp/nrv-state/Norvalis/Logs/");
  if (saved) {
    setenv("XDG_STATE_HOME", saved_value.c_str(), 1);
  } else {
    unsetenv("XDG_STATE_HOME");
  }
}

}  // namespace
}  // namespace nrv
