#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/app_data.h"
#include "services/app_log.h"
#include "platform_test_support.h"

namespace nrv {
namespace {

using platform::testing::ReadAll;

const std::string kHashA = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kHashB = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

std::string HashOf(int i) {
  std::string h = std::to_string(i);
  return std::string(64 - h.size(), 'a') + h;
}

class AppDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/nrv-cache-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    db_path_ = dir_ + "/new/folder/Norvalis.data";
    const char* cache_home = std::getenv("XDG_CACHE_HOME");
    had_cache_home_ = cache_home != nullptr;
    if (had_cache_home_) saved_cache_home_ = cache_home;
  }
  void TearDown() override {
    if (had_cache_home_) {
      setenv("XDG_CACHE_HOME", saved_cache_home_.c_str(), 1);
    } else {
      unsetenv("XDG_CACHE_HOME");
    }
    std::filesystem::remove_all(dir_);
  }

  // Rows of the table, read with a connection of its own.
  std::vector<std::string> RawPaths() {
    sqlite3* db = nullptr;
    std::vector<std::string> paths;
    EXPECT_EQ(sqlite3_open_v2(db_path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, "select Path from files", -1, &stmt, nullptr), SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      paths.emplace_back(static_cast<const char*>(sqlite3_column_blob(stmt, 0)),
                         static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return paths;
  }

  std::string dir_;
  std::string db_path_;
  bool had_cache_home_ = false;
  std::string saved_cache_home_;
};

TEST_F(AppDataTest, StoredHashIsFoundAgainOnlyForTheSameFileState) {
  // Not valid UTF-8: must be stored and matched byte for byte.
  const std::string path = "/data/caf\xe9/\xff\xfe name.bin";
  const TDateTime when{1'700'000'000'123'456'789};
  {
    TAppDataModule cache(db_path_);
    ASSERT_TRUE(cache.IsOpen());
    cache.SaveFileHash(path, 5000, when, kHashA);
    EXPECT_EQ(cache.FindFileHash(path, 5000, when), kHashA);
  }
  EXPECT_EQ(RawPaths(), std::vector<std::string>{path});

  TAppDataModule reopened(db_path_);
  EXPECT_EQ(reopened.FindFileHash(path, 5000, when), kHashA);
  struct Miss {
    const char* what;
    std::string path;
    int64_t size;
    TDateTime modified;
  } misses[] = {
      {"other size", path, 5001, when},
      {"time one nanosecond later", path, 5000, TDateTime{when.ns + 1}},
      {"other byte in name", "/data/caf\xe9/\xff\xfd name.bin", 5000, when},
      {"same name in UTF-8", "/data/caf\xc3\xa9/\xff\xfe name.bin", 5000, when},
  };
  for (const Miss& m : misses) {
    EXPECT_EQ(reopened.FindFileHash(m.path, m.size, m.modified), "") << m.what;
  }
}

TEST_F(AppDataTest, StoringAgainReplacesTheRowOfThePath) {
  TAppDataModule cache(db_path_);
  const TDateTime old_time = TDateTime::FromSeconds(100);
  const TDateTime new_time = TDateTime::FromSeconds(200);
  cache.SaveFileHash("/a", 10, old_time, kHashA);
  cache.SaveFileHash("/a", 12, new_time, kHashB);
  cache.SaveFileHash("/b", 10, old_time, kHashA);
  EXPECT_EQ(cache.FindFileHash("/a", 10, old_time), "");
  EXPECT_EQ(cache.FindFileHash("/a", 12, new_time), kHashB);
  EXPECT_EQ(RawPaths().size(), 2u);
}

TEST_F(AppDataTest, WhatIsNoDigestIsNeitherStoredNorReturned) {
  TAppDataModule cache(db_path_);
  const TDateTime t = TDateTime::FromSeconds(1);
  for (const std::string& bad : {std::string(), std::string("abc"), std::string(64, 'A'),
                                 std::string(64, 'g'), "/path/to/file" + std::string(51, '0')}) {
    cache.SaveFileHash("/x", 1, t, bad);
    EXPECT_EQ(cache.FindFileHash("/x", 1, t), "") << bad;
  }
  // A damaged row in the database is a miss, never a checksum.
  cache.Close();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "insert into files values (x'2f79', 1, 1000000000, 'garbage')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  ASSERT_TRUE(cache.SetDatabase(db_path_));
  EXPECT_EQ(cache.FindFileHash("/y", 1, t), "");
}

TEST_F(AppDataTest, BatchesKeepOrderAndSkipOnlyBadEntries) {
  TAppDataModule cache(db_path_);
  std::vector<TCacheEntry> entries;
  for (int i = 0; i < 50; ++i) {
    entries.push_back({{"/f" + std::to_string(i), i, TDateTime::FromSeconds(i)}, HashOf(i)});
  }
  entries[10].hash = "not a digest";
  cache.SaveFileHashes(entries);

  std::vector<TCacheKey> keys;
  for (int i = 49; i >= 0; --i) {
    keys.push_back(entries[i].key);
    keys.push_back({"/missing" + std::to_string(i), i, TDateTime::FromSeconds(i)});
  }
  std::vector<std::string> found = cache.FindFileHashes(keys);
  ASSERT_EQ(found.size(), keys.size());
  for (int i = 49; i >= 0; --i) {
    size_t at = static_cast<size_t>(49 - i) * 2;
    EXPECT_EQ(found[at], i == 10 ? "" : HashOf(i)) << i;
    EXPECT_EQ(found[at + 1], "") << i;
  }
  EXPECT_EQ(RawPaths().size(), 49u);
  EXPECT_TRUE(cache.FindFileHashes({}).empty());
}

TEST_F(AppDataTest, ThreadsAndSecondConnectionShareTheCache) {
  TAppDataModule cache(db_path_);
  TAppDataModule other(db_path_);  // as a second running program would
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&cache, &other, t] {
      for (int i = 0; i < 100; ++i) {
        std::string path = "/t" + std::to_string(t) + "/" + std::to_string(i);
        TAppDataModule& writer = i % 2 ? cache : other;
        writer.SaveFileHash(path, i, TDateTime::FromSeconds(i), HashOf(t * 1000 + i));
        EXPECT_EQ(writer.FindFileHash(path, i, TDateTime::FromSeconds(i)), HashOf(t * 1000 + i));
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(other.FindFileHash("/t3/99", 99, TDateTime::FromSeconds(99)), HashOf(3099));
  EXPECT_EQ(cache.FindFileHash("/t0/0", 0, TDateTime::FromSeconds(0)), HashOf(0));
  EXPECT_EQ(RawPaths().size(), 400u);
}

// The log file's text with the UTF-16 code units of ASCII turned back into bytes.
std::string LogText() {
  AppLog().Flush();
  std::string raw = ReadAll(AppLog().LogFileName());
  std::string text;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) text += raw[i];
  return text;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A cache that cannot be opened costs nothing but the cache: one log entry, then
// every lookup misses and every store is dropped. Runs the same as root, for whom
// a read-only folder would be no obstacle.
TEST_F(AppDataTest, UnavailableDatabaseIsLoggedOnceAndLeftAlone) {
  AppLog().Initialize(dir_ + "/log", 0, TLogLevel::All);
  struct TLogBack {
    ~TLogBack() { AppLog().Initialize("", 0, TLogLevel::All); }  // as it was before
  } log_back;
  AppLog().WriteLog("start", 1);
  // Entries of earlier tests may have been waiting for a log folder.
  const size_t earlier = LogText().size();
  const std::string not_a_folder = dir_ + "/file";
  std::ofstream(not_a_folder) << "x";
  const std::string not_a_database = dir_ + "/Norvalis.data";
  const std::string junk(10000, 'j');
  std::ofstream(not_a_database, std::ios::binary) << junk;

  for (const std::string& path : {not_a_folder + "/Norvalis.data", not_a_database}) {
    SCOPED_TRACE(path);
    setenv("XDG_CACHE_HOME", (dir_ + "/unused").c_str(), 1);
    TAppDataModule cache;
    EXPECT_FALSE(cache.SetDatabase(path));
    EXPECT_FALSE(cache.IsOpen());
    TCacheEntry entry;
    entry.key.path = "/a";
    entry.hash = kHashA;
    cache.SaveFileHash(entry.key.path, entry.key.size, entry.key.modified, entry.hash);
    cache.SaveFileHashes(std::vector<TCacheEntry>(1, entry));
    EXPECT_EQ(cache.FindFileHash(entry.key.path, entry.key.size, entry.key.modified), "");
    EXPECT_EQ(cache.FindFileHashes(std::vector<TCacheKey>(1, entry.key)),
              std::vector<std::string>{""});
    EXPECT_EQ(Count(LogText().substr(earlier), "Application data not available: " + path), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/unused"));
  }
  // Someone's file that is no database is neither deleted nor changed.
  EXPECT_EQ(ReadAll(not_a_database), junk);
  EXPECT_EQ(Count(LogText().substr(earlier), "Could not"), 0u);
}

TEST_F(AppDataTest, DefaultDatabaseOpensInTheUserCacheOnFirstUse) {
  setenv("XDG_CACHE_HOME", (dir_ + "/cache").c_str(), 1);
  const std::string expected = dir_ + "/cache/Norvalis/Norvalis.data";
  TAppDataModule cache;
  EXPECT_EQ(cache.DatabasePath(), expected);
  EXPECT_FALSE(cache.IsOpen());
  EXPECT_FALSE(std::filesystem::exists(expected));
  cache.SaveFileHash("/a", 1, TDateTime{}, kHashA);
  EXPECT_TRUE(cache.IsOpen());
  EXPECT_TRUE(std::filesystem::is_regular_file(expected));
  EXPECT_EQ(cache.FindFileHash("/a", 1, TDateTime{}), kHashA);
}

}  // namespace
}  // namespace nrv
