#include "engine/date_time.h"

#include <cstdio>

namespace nrv {

TDateTime TDateTime::Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return FromTimespec(ts);
}

bool TDateTime::FromLocal(int year, int month, int day, int hour, int minute, int second,
                          TDateTime& out) {
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    return false;
  }
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  std::tm probe = tm;
  time_t t = mktime(&probe);
  // mktime normalises 31 February into March; such a date does not exist.
  if (probe.tm_mday != day || probe.tm_mon != month - 1) return false;
  out = FromSeconds(static_cast<int64_t>(t));
  return true;
}

std::tm TDateTime::ToLocalTm() const {
  time_t t = static_cast<time_t>(Seconds());
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

std::string TDateTime::ToLocalString() const {
  std::tm tm = ToLocalTm();
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string TDateTime::ToIso8601Utc() const {
  time_t t = static_cast<time_t>(Seconds());
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%09dZ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, SubsecondNanos());
  return buf;
}

}  // namespace nrv
