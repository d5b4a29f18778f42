#include "services/product_info.h"

#include <grp.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <vector>

#include "platform/xdg_paths.h"
#include "services/app_log.h"
#include "services/product_name.h"
#include "services/text.h"
#include "services/translation.h"

// The vendor's web host; a build may set another with -DNORVALIS_VENDOR_HOST=\"host\".
#ifndef NORVALIS_VENDOR_HOST
#define NORVALIS_VENDOR_HOST "norvalis.example"
#endif

namespace nrv {

namespace {

constexpr const char* kTagFile = "/etc/norvalis/tag";
constexpr const char* kPartnerTags[] = {"partner-retail", "partner-oem", "partner-edu"};
// Day count of 1970-01-01 since 1899-12-30.
constexpr int64_t kUnixEpochDays = 25569;

std::string Trim(const std::string& s) {
  const char* ws = " \t\r\n\v\f";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

std::string WithTag(const std::string& url, const std::string& tag) {
  return tag.empty() ? url : url + "?tag=" + tag;
}

std::string HostUrl() {
  return std::string("http://") + NORVALIS_VENDOR_HOST;
}

// The local midnight of a day given as days since 1970-01-01.
TDateTime LocalMidnight(int64_t days_since_epoch) {
  using namespace std::chrono;
  year_month_day ymd{sys_days{days{days_since_epoch}}};
  TDateTime out;
  TDateTime::FromLocal(static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
                       static_cast<int>(unsigned(ymd.day())), 0, 0, 0, out);
  return out;
}

bool InGroup(const char* name) {
  const group* g = getgrnam(name);
  if (!g) return false;
  if (getegid() == g->gr_gid) return true;
  int n = getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(n));
  n = getgroups(n, groups.data());
  for (int i = 0; i < n; ++i) {
    if (groups[static_cast<size_t>(i)] == g->gr_gid) return true;
  }
  return false;
}

}  // namespace

std::string ProductName() {
  return kProductName;
}

std::string AppVersion() {
  std::string v = kProductVersion;
  return v.empty() ? "0.0.0.0" : v;
}

std::string ReadOsPrettyName(const std::string& os_release_path) {
  std::ifstream in(os_release_path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
    std::string v = Trim(line.substr(12));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
      const char quote = v.front();
      v = v.substr(1, v.size() - 2);
      if (quote == '"') {
        std::string unescaped;
        for (size_t i = 0; i < v.size(); ++i) {
          if (v[i] == '\\' && i + 1 < v.size()) ++i;
          unescaped += v[i];
        }
        v = unescaped;
      }
    }
    return v;
  }
  return {};
}

std::string OperatingSystemDescription() {
  std::string name = ReadOsPrettyName("/etc/os-release");
  if (name.empty()) name = ReadOsPrettyName("/usr/lib/os-release");
  if (name.empty()) name = "Linux";
  utsname u{};
  if (uname(&u) == 0) name += std::string(", kernel ") + u.release + " " + u.machine;
  return name;
}

bool IsAdministrator() {
  return geteuid() == 0 || InGroup("sudo") || InGroup("wheel");
}

std::string TitleLine() {
  std::string line = ProductName() + " v" + AppVersion() + " - " + OperatingSystemDescription();
  if (IsAdministrator()) line += " - " + Translate("Administrator");
  return line;
}

TDateTime Today() {
  std::tm tm = TDateTime::Now().ToLocalTm();
  TDateTime out;
  TDateTime::FromLocal(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0, out);
  return out;
}

TDateTime ReleaseDateFromText(const std::string& day_count) {
  const TDateTime today = Today();
  try {
    if (day_count.empty() || day_count.size() > 9 ||
        day_count.find_first_not_of("0123456789") != std::string::npos) {
      throw std::invalid_argument("'" + day_count + "' is no day count");
    }
    const TDateTime date = LocalMidnight(std::stoll(day_count) - kUnixEpochDays);
    if (date > today || date.ToLocalTm().tm_year + 1900 < 2012) return today;
    return date;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to get release date", e);
    return today;
  }
}

TDateTime ReleaseDate() {
  return ReleaseDateFromText(std::to_string(NORVALIS_RELEASE_DAYS));
}

std::string ProgramFolder() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return "./";
  std::string exe(buf.data(), static_cast<size_t>(n));
  return exe.substr(0, exe.rfind('/') + 1);
}

std::string UserFolder() {
  return platform::XdgDataHome() + kProductName + "/";
}

std::string LogFolder() {
  return DefaultLogDirectory();
}

std::string UpdaterPath() {
  return UserFolder() + "Update.exe";
}

std::string ReadDistributionTag(const std::string& path) {
  std::ifstream in(path);
  if (!in) return {};
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text::ToLower(Trim(content));
}

std::string DistributionTag() {
  return ReadDistributionTag(kTagFile);
}

bool IsPartnerTag(const std::string& tag) {
  for (const char* t : kPartnerTags) {
    if (tag == t) return true;
  }
  return false;
}

bool IsPartnerEdition() {
  return IsPartnerTag(DistributionTag());
}

std::string SiteText() {
  return NORVALIS_VENDOR_HOST;
}
std::string SiteUrl() {
  return SiteUrl(DistributionTag());
}
std::string SiteUrl(const std::string& tag) {
  return WithTag(HostUrl(), tag);
}
std::string HelpUrl() {
  return HelpUrl(DistributionTag());
}
std::string HelpUrl(const std::string& tag) {
  return WithTag(HostUrl() + "/help.html", tag);
}
std::string EulaUrl() {
  return EulaUrl(DistributionTag());
}
std::string EulaUrl(const std::string& tag) {
  return WithTag(HostUrl() + "/eula.html", tag);
}
std::string UserManualUrl() {
  return HostUrl() + "/UserManual_nrv.pdf";
}
std::string UpdateListUrl() {
  return UpdateListUrl(DistributionTag());
}
std::string UpdateListUrl(const std::string& tag) {
  return HostUrl() + "/files/" + (IsPartnerTag(tag) ? tag + "/" : "") + "autoupdate_nrv7.txt";
}

}  // namespace nrv
