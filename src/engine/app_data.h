#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/date_time.h"

struct sqlite3;
struct sqlite3_stmt;

namespace nrv {

// What a cached checksum belongs to: the file's path (bytes as the file system
// gives them), size and modification time. A change of either misses the cache.
struct TCacheKey {
  std::string path;
  int64_t size = 0;
  TDateTime modified;
};

struct TCacheEntry {
  TCacheKey key;
  std::string hash;  // SHA-256 as 64 lower-case hexadecimal digits
};

// The checksum cache: an SQLite database of full-file SHA-256 digests, so that a
// later scan takes the digest of an unchanged file instead of reading it again.
// Failures are logged and never raised; without a database every lookup answers
// empty and every store does nothing, and scans simply read the files. Any thread
// may call; several processes may share the database file.
class TAppDataModule {
 public:
  // Uses the default database file, opened on the first lookup or store.
  TAppDataModule();
  // Opens the database file at `path` at once (created with its folders if missing).
  explicit TAppDataModule(const std::string& path);
  ~TAppDataModule();
  TAppDataModule(const TAppDataModule&) = delete;
  TAppDataModule& operator=(const TAppDataModule&) = delete;

  // $XDG_CACHE_HOME/Norvalis/Norvalis.data
  static std::string DefaultDatabasePath();

  // Closes the current database and opens the one at `path`, creating the file,
  // its folders and its table when missing. On failure logs "Application data not
  // available: " and stays closed. An existing file that is no database is kept.
  bool SetDatabase(const std::string& path);
  bool IsOpen() const;
  std::string DatabasePath() const;
  void Close();

  // The cached digest of the file, or empty when there is none.
  std::string FindFileHash(const std::string& file_name, int64_t file_size, TDateTime modified);
  // Stores (or replaces) the digest of the file; one row per path.
  void SaveFileHash(const std::string& file_name, int64_t file_size, TDateTime modified,
                    const std::string& hash);

  // Batch forms: one answer per key, in order (empty for a miss); all entries in
  // one transaction.
  std::vector<std::string> FindFileHashes(const std::vector<TCacheKey>& keys);
  void SaveFileHashes(const std::vector<TCacheEntry>& entries);

 private:
  // All below run with mutex_ held.
  bool EnsureOpenLocked();
  bool OpenLocked(const std::string& path);
  void CloseLocked();
  std::string LookupLocked(const TCacheKey& key);
  void StoreLocked(const TCacheEntry& entry);
  void ExecLocked(const char* sql);

  mutable std::mutex mutex_;
  std::string path_;
  bool open_attempted_ = false;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* find_stmt_ = nullptr;
  sqlite3_stmt* save_stmt_ = nullptr;
};

// The process-wide checksum cache, created on first use; its database opens on
// the first lookup or store (or with SetDatabase).
TAppDataModule& AppData();

}  // namespace nrv
