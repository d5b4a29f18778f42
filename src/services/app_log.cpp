#include "services/app_log.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/xdg_paths.h"
#include "services/product_name.h"

namespace nrv {

namespace {

constexpr int64_t kOneMillisecond = 1'000'000;
constexpr int64_t kOneSecond = 1'000'000'000;
constexpr int64_t kOpenRetryDelay = 30 * kOneSecond;
// Lines kept in memory while no file can be written; beyond this the oldest go.
constexpr size_t kMaxBufferedBytes = 8u << 20;
constexpr int kOpenAttempts = 5;

const char kUtf16Bom[] = {'\xFF', '\xFE'};
const char kUtf16LineBreak[] = {'\r', '\0', '\n', '\0'};

// Raised to the writer when the log file cannot be written.
class ELogWriteError : public std::runtime_error {
 public:
  explicit ELogWriteError(const std::string& cause)
      : std::runtime_error(
            "Unable to write log. Please check program settings and then re-enable logging.\r\n"
            "Error Message: " +
            cause) {}
};

std::string ToUtf16Le(const std::string& utf8) {
  // Invalid UTF-8 becomes U+FFFD: the entry is still written.
  icu::UnicodeString u = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), utf8.size()));
  std::string out;
  out.resize(static_cast<size_t>(u.length()) * 2);
  for (int32_t i = 0; i < u.length(); ++i) {
    char16_t c = u.charAt(i);
    out[2 * i] = static_cast<char>(c & 0xFF);
    out[2 * i + 1] = static_cast<char>(c >> 8);
  }
  return out;
}

const char* LevelLabel(int level) {
  switch (level) {
    case 1:
      return "Error";
    case 2:
      return "Warning";
    default:
      return "Info";
  }
}

void WriteAllOrThrow(int fd, const char* data, size_t size, const std::string& path,
                     size_t* written_out) {
  size_t written = 0;
  while (written < size) {
    ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (written_out) *written_out = written;
      throw std::system_error(errno, std::generic_category(), "write " + path);
    }
    written += static_cast<size_t>(n);
  }
  if (written_out) *written_out = written;
}

bool WriteAll(int fd, const char* data, size_t size) {
  try {
    WriteAllOrThrow(fd, data, size, std::string(), nullptr);
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

std::string LocalDateText(const TDateTime& t) {
  std::tm tm = t.ToLocalTm();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

// A number made of the digits of text[pos, pos+len), or `fallback` when it is not one.
int NumberOr(const std::string& text, size_t pos, size_t len, int fallback) {
  int value = 0;
  for (size_t i = pos; i < pos + len; ++i) {
    if (text[i] < '0' || text[i] > '9') return fallback;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "nrv" + "yyyy-mm-dd" + ".log" with any characters for the date; the "copy"
// files are longer and never match.
bool IsDayLogName(const std::string& name) {
  return name.size() == 17 && name.compare(0, 3, "nrv") == 0 && name[7] == '-' && name[10] == '-' &&
         name.compare(13, 4, ".log") == 0;
}

// True when the date in the name lies before `limit`. A part that is not a
// number reads as 1899, 12 or 31; an impossible date counts as oldest of all.
bool NameDateBefore(const std::string& name, const TDateTime& limit) {
  size_t start = name.size() - 14;
  int year = NumberOr(name, start, 4, 1899);
  int month = NumberOr(name, start + 5, 2, 12);
  int day = NumberOr(name, start + 8, 2, 31);
  // TDateTime spans the years 1678 to 2261; dates beyond are judged by the year.
  if (year < 1700) return true;
  if (year > 2200) return false;
  TDateTime date;
  if (!TDateTime::FromLocal(year, month, day, 0, 0, 0, date)) return true;
  return date < limit;
}

}  // namespace

std::string FormatLogEntry(const std::tm& local_time, uint64_t thread_id, int level,
                           const std::string& msg) {
  char head[64];
  std::snprintf(head, sizeof head, "%02d:%02d:%02d   #%-10llu    [%s]: ", local_time.tm_hour,
                local_time.tm_min, local_time.tm_sec, static_cast<unsigned long long>(thread_id),
                LevelLabel(level));
  std::string entry = head;
  entry += msg;
  entry += "\r\n";
  return entry;
}

std::string DefaultLogDirectory() {
  return platform::XdgStateHome() + kProductName + "/Logs/";
}

TAppLog::TAppLog() : timer_([this] { TimerLoop(); }) {}

TAppLog::~TAppLog() {
  {
    std::lock_guard<std::mutex> lock(timer_mutex_);
    timer_stop_ = true;
  }
  timer_cv_.notify_all();
  if (timer_.joinable()) timer_.join();
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  try {
    FlushLocked();
  } catch (...) {
    // Nothing can report a failure this late.
  }
  CloseFile();
}

void TAppLog::Initialize(const std::string& log_directory, int auto_clean_period, TLogLevel level) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  log_directory_ = log_directory;
  if (!log_directory_.empty() && log_directory_.back() != '/') log_directory_ += '/';
  auto_clean_period_ = auto_clean_period;
  level_ = level;
  // Lines collected before the level was known must not create a file either.
  if (level_ == TLogLevel::None) buffer_.clear();
  next_open_attempt_ = TDateTime{};
  CloseFile();
}

void TAppLog::WriteLog(const std::string& msg, int level) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (level > static_cast<int>(level_)) return;
  try {
    TDateTime now = TDateTime::Now();
    AppendEntry(FormatLogEntry(now.ToLocalTm(), static_cast<uint64_t>(::gettid()), level, msg));
    bool timed = now.ns - last_write_.ns >= kOneMillisecond;
    if (timed) last_write_ = now;
    if (level == 1 || level == 2 || timed) FlushLocked();
  } catch (const ELogWriteError&) {
    throw;
  } catch (const std::exception& e) {
    throw ELogWriteError(e.what());
  }
}

void TAppLog::WriteLogFmt(int level, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string msg;
  if (needed > 0) {
    std::vector<char> buf(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, args);
    msg.assign(buf.data(), static_cast<size_t>(needed));
  }
  va_end(args);
  WriteLog(msg, level);
}

void TAppLog::WriteLogException(const std::string& msg, const std::exception& e) {
  WriteLog(msg + "\r\n" + e.what(), 1);
}

void TAppLog::WriteLogException(const std::string& msg) {
  WriteLog(msg + "\r\nunknown exception", 1);
}

std::string TAppLog::LogFileName() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return log_file_name_;
}

std::string TAppLog::LogDirectory() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return log_directory_;
}

void TAppLog::Flush() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  try {
    FlushLocked();
  } catch (const ELogWriteError&) {
    throw;
  } catch (const std::exception& e) {
    throw ELogWriteError(e.what());
  }
}

void TAppLog::AppendEntry(const std::string& utf8_entry) {
  buffer_ += ToUtf16Le(utf8_entry);
  if (buffer_.size() <= kMaxBufferedBytes) return;
  // Drop the older half, cut at a line break so that the rest stays whole lines.
  size_t cut = buffer_.size() / 2;
  cut -= cut % 2;
  size_t pos = buffer_.find(std::string(kUtf16LineBreak, sizeof kUtf16LineBreak), cut);
  while (pos != std::string::npos && pos % 2 != 0) {
    pos = buffer_.find(std::string(kUtf16LineBreak, sizeof kUtf16LineBreak), pos + 1);
  }
  if (pos != std::string::npos) buffer_.erase(0, pos + sizeof kUtf16LineBreak);
}

void TAppLog::FlushLocked() {
  if (buffer_.empty()) return;
  if (!EnsureFileOpen()) return;
  WriteBuffer();
}

void TAppLog::WriteBuffer() {
  // A clean-up entry written while the file was being opened may have emptied
  // the buffer already.
  if (buffer_.empty() || fd_ < 0) return;
  size_t written = 0;
  try {
    WriteAllOrThrow(fd_, buffer_.data(), buffer_.size(), log_file_name_, &written);
  } catch (...) {
    buffer_.erase(0, written - written % 2);
    throw;
  }
  buffer_.clear();
}

bool TAppLog::TryOpen(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
  bool written;
  if (fd >= 0) {
    struct stat st {};
    bool empty = ::fstat(fd, &st) == 0 && st.st_size == 0;
    // An existing file gets an empty line between the runs of the program.
    written = empty ? WriteAll(fd, kUtf16Bom, sizeof kUtf16Bom)
                    : WriteAll(fd, kUtf16LineBreak, sizeof kUtf16LineBreak);
  } else {
    if (errno != ENOENT) return false;
    fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    written = WriteAll(fd, kUtf16Bom, sizeof kUtf16Bom);
  }
  if (!written) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  log_file_name_ = path;
  return true;
}

bool TAppLog::EnsureFileOpen() {
  if (log_directory_.empty()) return false;
  if (fd_ >= 0) {
    // Deleted or replaced on disk: the next lines go to a new file.
    struct stat open_st {};
    struct stat path_st {};
    if (::fstat(fd_, &open_st) != 0 || open_st.st_nlink == 0 ||
        ::stat(log_file_name_.c_str(), &path_st) != 0 || open_st.st_ino != path_st.st_ino ||
        open_st.st_dev != path_st.st_dev) {
      CloseFile();
    }
  }
  if (fd_ < 0 && TDateTime::Now() >= next_open_attempt_) {
    std::error_code ec;
    std::filesystem::create_directories(log_directory_, ec);
    std::string base = log_directory_ + "nrv" + LocalDateText(TDateTime::Now());
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
      std::string path = base + (attempt == 1 ? "" : "copy" + std::to_string(attempt)) + ".log";
      if (TryOpen(path)) break;
      if (attempt < kOpenAttempts) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    next_open_attempt_ = fd_ >= 0 ? TDateTime{} : TDateTime{TDateTime::Now().ns + kOpenRetryDelay};
  }
  try {
    DeleteOldLogFiles();
  } catch (const std::exception& e) {
    // Off first, so that the entry below cannot start another clean-up.
    auto_clean_period_ = 0;
    WriteLogException(
        "Unable to delete old log files. Please check program settings and then re-enable this "
        "feature.",
        e);
  }
  return fd_ >= 0;
}

void TAppLog::DeleteOldLogFiles() {
  if (auto_clean_period_ <= 0 || log_directory_.empty()) return;
  DIR* dir = ::opendir(log_directory_.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return;
    throw std::system_error(errno, std::generic_category(), "open folder " + log_directory_);
  }
  const TDateTime limit = TDateTime::Now().AddDays(-static_cast<double>(auto_clean_period_));
  std::vector<std::string> doomed;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (!IsDayLogName(name)) continue;
    struct statx stx {};
    if (::statx(::dirfd(dir), entry->d_name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_BTIME, &stx) !=
            0 ||
        !S_ISREG(stx.stx_mode)) {
      continue;
    }
    bool created_before = (stx.stx_mask & STATX_BTIME) != 0 &&
                          TDateTime{static_cast<int64_t>(stx.stx_btime.tv_sec) * kOneSecond +
                                    stx.stx_btime.tv_nsec} < limit;
    if (created_before || NameDateBefore(name, limit)) doomed.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : doomed) {
    std::string path = log_directory_ + name;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      throw std::system_error(errno, std::generic_category(), "delete " + path);
    }
  }
}

void TAppLog::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  log_file_name_.clear();
}

void TAppLog::TimerLoop() {
  std::unique_lock<std::mutex> timer_lock(timer_mutex_);
  while (!timer_stop_) {
    if (timer_cv_.wait_for(timer_lock, std::chrono::seconds(1), [this] { return timer_stop_; })) {
      break;
    }
    timer_lock.unlock();
    try {
      std::lock_guard<std::recursive_mutex> lock(mutex_);
      TDateTime now = TDateTime::Now();
      if (now.ns - last_write_.ns >= kOneMillisecond) {
        last_write_ = now;
        FlushLocked();
      }
    } catch (...) {
      // The next tick tries again; writers see the failure themselves.
    }
    timer_lock.lock();
  }
}

TAppLog& AppLog() {
  // Never destroyed: code running during exit may still write. The buffer is
  // written once more when the process ends normally.
  static TAppLog* const log = [] {
    auto* created = new TAppLog();
    std::atexit([] {
      try {
        AppLog().Flush();
      } catch (...) {
      }
    });
    return created;
  }();
  return *log;
}

}  // namespace nrv
