#pragma once
#include <string>
#include <vector>

namespace nrv::platform {

// Tests whether a path lies in (or is) a folder of a class the scan may skip.
// "Under" compares the text of the path, with a trailing "/" added, against the
// folder exactly: Linux names are case-sensitive, so letter case counts.

// Under $TMPDIR, /tmp/, /var/tmp/ or the user's cache folder ($XDG_CACHE_HOME).
bool IsTempFolderPath(const std::string& path);
// Under one of AppFolders().
bool IsAppFolderPath(const std::string& path);
// Under one of SysFolders().
bool IsSysFolderPath(const std::string& path);

// Folders where installed programs and their data live: $XDG_CONFIG_HOME,
// $XDG_DATA_HOME, ~/.var/app/, /usr/, /opt/, /var/lib/, /snap/. Each ends
// with "/". Computed on first use and kept for the life of the process.
std::vector<std::string> AppFolders();
// Folders of the kernel and the operating system: /proc/, /sys/, /dev/, /run/,
// /boot/, /etc/, /bin/, /sbin/, /lib/, /lib32/, /lib64/, /libx32/.
std::vector<std::string> SysFolders();

// Forgets the kept lists so that the next use reads the environment again
// (for tests that change the XDG variables).
void ResetFolderCaches();

}  // namespace nrv::platform
