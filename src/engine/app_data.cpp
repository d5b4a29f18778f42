#include "engine/app_data.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "platform/xdg_paths.h"
#include "services/app_log.h"
#include "services/product_name.h"

namespace nrv {
namespace {

constexpr int kBusyTimeoutMs = 5000;

// Path is a blob so that names that are not valid UTF-8 are kept byte for byte;
// Modified holds nanoseconds so that the same file time always compares equal.
constexpr const char* kCreateTable =
    "create table if not exists files("
    "Path blob not null primary key, "
    "Size integer not null, "
    "Modified integer not null, "
    "Hash text not null)";
constexpr const char* kFindSql =
    "select Hash from files where Path = :Path and Size = :Size and Modified = :Modified";
constexpr const char* kSaveSql =
    "insert or replace into files(Path, Size, Modified, Hash) "
    "values (:Path, :Size, :Modified, :Hash)";

constexpr const char* kNotAvailable = "Application data not available: ";
constexpr const char* kFindFailed = "Could not find file hash: ";
constexpr const char* kSaveFailed = "Could not save file hash: ";

class ESqliteError : public std::runtime_error {
 public:
  explicit ESqliteError(sqlite3* db)
      : std::runtime_error(db ? sqlite3_errmsg(db) : "out of memory") {}
};

// A digest is only ever taken from or put into the cache in its one exact form:
// a damaged row must not pass as a checksum that makes two files "equal".
bool IsSha256Hex(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::invalid_argument NotADigest(const std::string& hash) {
  return std::invalid_argument("not a SHA-256 digest: \"" + hash + "\"");
}

// Creates the parent folders of `file`, new ones private to the user.
void CreateParentFolders(const std::string& file) {
  size_t last = file.rfind('/');
  if (last == std::string::npos || last == 0) return;
  std::string parent = file.substr(0, last);
  for (size_t pos = parent.find('/', 1);; pos = parent.find('/', pos + 1)) {
    std::string part = parent.substr(0, pos);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      throw std::system_error(errno, std::system_category(), part);
    }
    if (pos == std::string::npos) break;
  }
  struct stat st {};
  if (::stat(parent.c_str(), &st) != 0) {
    throw std::system_error(errno, std::system_category(), parent);
  }
  if (!S_ISDIR(st.st_mode)) throw std::system_error(ENOTDIR, std::system_category(), parent);
}

// Resets a statement when it leaves scope, so no read transaction stays open.
class TStmtReset {
 public:
  explicit TStmtReset(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~TStmtReset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  TStmtReset(const TStmtReset&) = delete;
  TStmtReset& operator=(const TStmtReset&) = delete;

 private:
  sqlite3_stmt* stmt_;
};

void BindKey(sqlite3* db, sqlite3_stmt* stmt, const TCacheKey& key) {
  int path = sqlite3_bind_parameter_index(stmt, ":Path");
  int size = sqlite3_bind_parameter_index(stmt, ":Size");
  int modified = sqlite3_bind_parameter_index(stmt, ":Modified");
  if (sqlite3_bind_blob64(stmt, path, key.path.data(), key.path.size(), SQLITE_STATIC) !=
          SQLITE_OK ||
      sqlite3_bind_int64(stmt, size, key.size) != SQLITE_OK ||
      sqlite3_bind_int64(stmt, modified, key.modified.ns) != SQLITE_OK) {
    throw ESqliteError(db);
  }
}

void LogFailure(const std::string& msg) {
  try {
    throw;
  } catch (const std::exception& e) {
    AppLog().WriteLogException(msg, e);
  } catch (...) {
    AppLog().WriteLogException(msg);
  }
}

}  // namespace

TAppDataModule::TAppDataModule() = default;

TAppDataModule::TAppDataModule(const std::string& path) {
  SetDatabase(path);
}

TAppDataModule::~TAppDataModule() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

std::string TAppDataModule::DefaultDatabasePath() {
  return platform::XdgCacheHome() + kProductName + "/" + kProductName + ".data";
}

bool TAppDataModule::SetDatabase(const std::string& path) {
  std::lock_guard lock(mutex_);
  return OpenLocked(path);
}

bool TAppDataModule::IsOpen() const {
  std::lock_guard lock(mutex_);
  return db_ != nullptr;
}

std::string TAppDataModule::DatabasePath() const {
  std::lock_guard lock(mutex_);
  return path_.empty() ? DefaultDatabasePath() : path_;
}

void TAppDataModule::Close() {
  std::lock_guard lock(mutex_);
  CloseLocked();
  open_attempted_ = true;  // stays closed until SetDatabase
}

std::string TAppDataModule::FindFileHash(const std::string& file_name, int64_t file_size,
                                         TDateTime modified) {
  std::lock_guard lock(mutex_);
  try {
    if (!EnsureOpenLocked()) return {};
    return LookupLocked(TCacheKey{file_name, file_size, modified});
  } catch (...) {
    LogFailure(kFindFailed + file_name);
    return {};
  }
}

void TAppDataModule::SaveFileHash(const std::string& file_name, int64_t file_size,
                                  TDateTime modified, const std::string& hash) {
  std::lock_guard lock(mutex_);
  try {
    if (!EnsureOpenLocked()) return;
    StoreLocked(TCacheEntry{TCacheKey{file_name, file_size, modified}, hash});
  } catch (...) {
    LogFailure(kSaveFailed + file_name);
  }
}

std::vector<std::string> TAppDataModule::FindFileHashes(const std::vector<TCacheKey>& keys) {
  std::vector<std::string> hashes(keys.size());
  std::lock_guard lock(mutex_);
  size_t i = 0;
  try {
    if (keys.empty() || !EnsureOpenLocked()) return hashes;
    // One read transaction: one snapshot and one lock for the whole batch.
    ExecLocked("begin");
    for (; i < keys.size(); ++i) hashes[i] = LookupLocked(keys[i]);
    ExecLocked("commit");
  } catch (...) {
    if (db_ && !sqlite3_get_autocommit(db_))
      sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
    LogFailure(kFindFailed + (i < keys.size() ? keys[i].path : std::string()));
  }
  return hashes;
}

void TAppDataModule::SaveFileHashes(const std::vector<TCacheEntry>& entries) {
  std::lock_guard lock(mutex_);
  const TCacheEntry* current = nullptr;
  try {
    if (entries.empty() || !EnsureOpenLocked()) return;
    // Taking the write lock up front lets the busy timeout wait for another
    // writer, instead of failing when a read transaction cannot be upgraded.
    ExecLocked("begin immediate");
    for (const TCacheEntry& entry : entries) {
      current = &entry;
      if (!IsSha256Hex(entry.hash)) {
        // One bad entry must not cost the whole batch.
        AppLog().WriteLogException(kSaveFailed + entry.key.path, NotADigest(entry.hash));
        continue;
      }
      StoreLocked(entry);
    }
    current = nullptr;
    ExecLocked("commit");
  } catch (...) {
    if (db_ && !sqlite3_get_autocommit(db_))
      sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
    LogFailure(kSaveFailed + (current ? current->key.path : std::string()));
  }
}

bool TAppDataModule::EnsureOpenLocked() {
  if (db_) return true;
  if (open_attempted_) return false;  // failed before: logged once, stay without cache
  return OpenLocked(path_.empty() ? DefaultDatabasePath() : path_);
}

bool TAppDataModule::OpenLocked(const std::string& path) {
  CloseLocked();
  path_ = path;
  open_attempted_ = true;
  try {
    if (path.empty()) throw std::invalid_argument("no database file");
    CreateParentFolders(path);
    // A relative name gets "./" so that SQLite can never read it as a "file:" URI.
    std::string name = path.front() == '/' ? path : "./" + path;
    int rc =
        sqlite3_open_v2(name.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) throw ESqliteError(db_);
    // A file we cannot write falls back to read-only; every store would then fail.
    if (sqlite3_db_readonly(db_, "main") == 1) throw std::runtime_error("database is read-only");
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // The first statements read the file header: a file that is no database fails
    // here and is left as it is.
    ExecLocked("pragma journal_mode=WAL");
    ExecLocked("pragma synchronous=NORMAL");
    ExecLocked(kCreateTable);
    if (sqlite3_prepare_v3(db_, kFindSql, -1, SQLITE_PREPARE_PERSISTENT, &find_stmt_, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v3(db_, kSaveSql, -1, SQLITE_PREPARE_PERSISTENT, &save_stmt_, nullptr) !=
            SQLITE_OK) {
      throw ESqliteError(db_);
    }
    return true;
  } catch (...) {
    CloseLocked();
    LogFailure(kNotAvailable + path);
    return false;
  }
}

void TAppDataModule::CloseLocked() {
  sqlite3_finalize(find_stmt_);
  sqlite3_finalize(save_stmt_);
  find_stmt_ = nullptr;
  save_stmt_ = nullptr;
  if (db_) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

std::string TAppDataModule::LookupLocked(const TCacheKey& key) {
  TStmtReset reset(find_stmt_);
  BindKey(db_, find_stmt_, key);
  int rc = sqlite3_step(find_stmt_);
  if (rc == SQLITE_DONE) return {};
  if (rc != SQLITE_ROW) throw ESqliteError(db_);
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(find_stmt_, 0));
  if (!text) return {};
  std::string hash(text, static_cast<size_t>(sqlite3_column_bytes(find_stmt_, 0)));
  return IsSha256Hex(hash) ? hash : std::string();
}

void TAppDataModule::StoreLocked(const TCacheEntry& entry) {
  if (!IsSha256Hex(entry.hash)) throw NotADigest(entry.hash);
  TStmtReset reset(save_stmt_);
  BindKey(db_, save_stmt_, entry.key);
  int hash = sqlite3_bind_parameter_index(save_stmt_, ":Hash");
  if (sqlite3_bind_text(save_stmt_, hash, entry.hash.data(), static_cast<int>(entry.hash.size()),
                        SQLITE_STATIC) != SQLITE_OK) {
    throw ESqliteError(db_);
  }
  if (sqlite3_step(save_stmt_) != SQLITE_DONE) throw ESqliteError(db_);
}

void TAppDataModule::ExecLocked(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw ESqliteError(db_);
}

TAppDataModule& AppData() {
  static TAppDataModule instance;
  return instance;
}

}  // namespace nrv
