#pragma once
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "engine/date_time.h"

namespace nrv {

enum class TLogLevel : uint8_t { None = 0, Errors = 1, Warnings = 2, All = 3 };

// The application's diagnostic record: timestamped lines in a daily UTF-16 file.
// Any thread may write. Errors and warnings reach the file at once, information
// lines at the latest one second later (a small timer thread of the log's own).
class TAppLog {
 public:
  TAppLog();
  ~TAppLog();
  TAppLog(const TAppLog&) = delete;
  TAppLog& operator=(const TAppLog&) = delete;

  void Initialize(const std::string& log_directory, int auto_clean_period, TLogLevel level);
  // Level 1 error, 2 warning, 3 information.
  void WriteLog(const std::string& msg, int level);
  // printf-style formatting.
  void WriteLogFmt(int level, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void WriteLogException(const std::string& msg, const std::exception& e);
  void WriteLogException(const std::string& msg);  // an exception of unknown type

  std::string LogFileName() const;
  std::string LogDirectory() const;
  // Writes the buffered lines now (the timer does this every second).
  void Flush();

 private:
  // All below run with mutex_ held.
  void FlushLocked();
  bool EnsureFileOpen();
  void DeleteOldLogFiles();
  void CloseFile();
  void TimerLoop();
  void AppendEntry(const std::string& utf8_entry);
  bool TryOpen(const std::string& path);
  void WriteBuffer();

  mutable std::recursive_mutex mutex_;
  std::string log_directory_;
  std::string log_file_name_;
  int auto_clean_period_ = 0;
  TLogLevel level_ = TLogLevel::All;
  int fd_ = -1;
  std::string buffer_;  // UTF-16LE bytes not yet written
  TDateTime last_write_;
  // After every attempt to open a file failed, the next try waits until then, so
  // that an unwritable folder does not stall each writer for seconds.
  TDateTime next_open_attempt_;

  std::mutex timer_mutex_;
  std::condition_variable timer_cv_;
  bool timer_stop_ = false;
  std::thread timer_;
};

// The process-wide log, created on first use.
TAppLog& AppLog();

// The default folder of the log files, $XDG_STATE_HOME/Norvalis/Logs/.
std::string DefaultLogDirectory();

// One log entry as UTF-8 text ending in CR LF: "hh:nn:ss   #<thread id, padded
// to 10>    [<label>]: <msg>". Used by TAppLog; visible for tests.
std::string FormatLogEntry(const std::tm& local_time, uint64_t thread_id, int level,
                           const std::string& msg);

}  // namespace nrv
