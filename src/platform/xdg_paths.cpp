#include "platform/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace nrv::platform {

namespace {

std::string WithSlash(std::string p) {
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

std::string BaseDir(const char* var, const char* fallback_below_home) {
  const char* v = std::getenv(var);
  if (v && v[0] == '/') return WithSlash(v);
  return WithSlash(HomeDir() + "/" + fallback_below_home);
}

}  // namespace

std::string HomeDir() {
  const char* home = std::getenv("HOME");
  std::string h;
  if (home && home[0] == '/') {
    h = home;
  } else if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    h = pw->pw_dir;
  } else {
    h.assign(1, '/');  // (plain assignment of "/" trips a false -Wrestrict in g++ 12)
  }
  while (h.size() > 1 && h.back() == '/') h.pop_back();
  return h;
}

std::string XdgConfigHome() {
  return BaseDir("XDG_CONFIG_HOME", ".config");
}
std::string XdgDataHome() {
  return BaseDir("XDG_DATA_HOME", ".local/share");
}
std::string XdgStateHome() {
  return BaseDir("XDG_STATE_HOME", ".local/state");
}
std::string XdgCacheHome() {
  return BaseDir("XDG_CACHE_HOME", ".cache");
}

std::string XdgUserDir(const std::string& name) {
  // user-dirs.dirs is a shell fragment of lines like XDG_MUSIC_DIR="$HOME/Music",
  // the value either absolute or relative to $HOME, with \ escaping " \ $ and `.
  // As in the shell, a later assignment replaces an earlier one.
  std::ifstream in(XdgConfigHome() + "user-dirs.dirs");
  const std::string key = "XDG_" + name + "_DIR=";
  std::string found;
  std::string line;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string raw = line.substr(start + key.size());
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r')) {
      raw.pop_back();
    }
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
      raw = raw.substr(1, raw.size() - 2);
    }
    std::string value;
    if (raw.rfind("$HOME", 0) == 0 && (raw.size() == 5 || raw[5] == '/')) {
      value = HomeDir();
      raw.erase(0, 5);
    }
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
    found = value;
  }
  if (found.empty() || found[0] != '/') return {};
  // A user dir set to the home folder itself means "not configured".
  if (WithSlash(found) == WithSlash(HomeDir())) return {};
  return WithSlash(found);
}

}  // namespace nrv::platform
