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

std::string XdgConfigHome() { return BaseDir("XDG_CONFIG_HOME", ".config"); }
std::string XdgDataHome() { return BaseDir("XDG_DATA_HOME", ".local/share"); }
std::string XdgStateHome() { return BaseDir("XDG_STATE_HOME", ".local/state"); }
std::string XdgCacheHome() { return BaseDir("XDG_CACHE_HOME", ".cache"); }

std::string XdgUserDir(const std::string& name) {
  // user-dirs.dirs holds lines like XDG_MUSIC_DIR="$HOME/Music".
  std::ifstream in(XdgConfigHome() + "user-dirs.dirs");
  const std::string key = "XDG_" + name + "_DIR=";
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.rfind("$HOME", 0) == 0) value = HomeDir() + value.substr(5);
    if (value.empty() || value[0] != '/') return {};
    // A user dir set to the home folder itself means "not configured".
    if (WithSlash(value) == WithSlash(HomeDir())) return {};
    return WithSlash(value);
  }
  return {};
}

}  // namespace nrv::platform
