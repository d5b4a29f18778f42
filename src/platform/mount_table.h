#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nrv::platform {

// One line of /proc/self/mountinfo, with the octal escapes (\040 for a space...)
// of the path fields decoded.
struct TMountEntry {
  int mount_id = 0;
  int parent_id = 0;
  unsigned major = 0;
  unsigned minor = 0;
  std::string root;         // the folder of the file system that is mounted
  std::string mount_point;  // where it is mounted, without trailing "/" (except "/")
  std::string fs_type;      // "ext4", "nfs4", "fuse.sshfs"...
  std::string source;       // "/dev/sda1", "server:/export"...
};

using TMountList = std::vector<TMountEntry>;

// Parses the text of a mountinfo file; lines that do not have the expected form
// are left out.
TMountList ParseMountInfo(const std::string& text);

// The entry whose mount point holds path: the longest mount point that is a
// prefix of path on a name boundary. Among entries stacked on the same mount
// point the last one (the visible one) wins. nullptr when none holds it.
const TMountEntry* FindMountEntry(const TMountList& mounts, const std::string& path);

// File systems whose data lives on another machine.
bool IsNetworkFileSystem(const TMountEntry& entry);
// Kernel and memory file systems that hold no user data on a drive.
bool IsPseudoFileSystem(const TMountEntry& entry);

// The mount table of this process, read once and kept; may be empty when
// /proc is not mounted. Safe to call from any thread.
std::shared_ptr<const TMountList> CurrentMounts();
// Reads the mount table again (after something was mounted or unmounted).
void RefreshMountTable();
// FindMountEntry on the current table.
std::optional<TMountEntry> MountEntryForPath(const std::string& path);

}  // namespace nrv::platform
