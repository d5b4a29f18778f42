#pragma once
#include <compare>
#include <cstdint>
#include <ctime>
#include <string>

namespace nrv {

// A point in time kept exactly as the file system reports it: nanoseconds since
// 1970-01-01 00:00:00 UTC. File times compare exactly; local time is only used
// for display.
struct TDateTime {
  int64_t ns = 0;

  static TDateTime FromTimespec(const timespec& ts) {
    return TDateTime{static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec};
  }
  static TDateTime FromSeconds(int64_t seconds) { return TDateTime{seconds * 1'000'000'000}; }
  static TDateTime Now();
  // Builds a time from a local calendar date and time; false when no such date exists.
  static bool FromLocal(int year, int month, int day, int hour, int minute, int second,
                        TDateTime& out);

  int64_t Seconds() const { return ns >= 0 ? ns / 1'000'000'000 : -((-ns + 999'999'999) / 1'000'000'000); }
  int32_t SubsecondNanos() const { return static_cast<int32_t>(ns - Seconds() * 1'000'000'000); }

  std::tm ToLocalTm() const;
  // "yyyy-mm-dd hh:nn:ss" in local time.
  std::string ToLocalString() const;
  // "yyyy-mm-ddThh:nn:ss.nnnnnnnnnZ" in UTC.
  std::string ToIso8601Utc() const;

  TDateTime AddDays(double days) const {
    return TDateTime{ns + static_cast<int64_t>(days * 86'400'000'000'000.0)};
  }

  auto operator<=>(const TDateTime&) const = default;
};

}  // namespace nrv
