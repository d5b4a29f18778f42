#pragma once
#include <string>

namespace nrv::platform {

// The user's home folder ($HOME, else the password database), without a trailing "/".
std::string HomeDir();
// The XDG base folders, each with a trailing "/": the variable when it holds an
// absolute path, else the standard default below the home folder.
std::string XdgConfigHome();  // ~/.config/
std::string XdgDataHome();    // ~/.local/share/
std::string XdgStateHome();   // ~/.local/state/
std::string XdgCacheHome();   // ~/.cache/
// A folder of the XDG user-dirs configuration ("DESKTOP", "DOCUMENTS", "MUSIC",
// "PICTURES", "VIDEOS", "DOWNLOAD"...), with a trailing "/"; empty when not configured.
std::string XdgUserDir(const std::string& name);

}  // namespace nrv::platform
