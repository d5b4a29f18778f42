#include "platform/mount_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string_view>

namespace nrv::platform {

namespace {

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in path fields as "\ooo".
std::string DecodeOctalEscapes(const std::string& field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool ParseInt(const std::string& s, int& value) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0') return false;
  value = static_cast<int>(v);
  return true;
}

bool ParseDevice(const std::string& s, unsigned& major, unsigned& minor) {
  const size_t colon = s.find(':');
  if (colon == std::string::npos) return false;
  int ma = 0, mi = 0;
  if (!ParseInt(s.substr(0, colon), ma) || !ParseInt(s.substr(colon + 1), mi)) return false;
  major = static_cast<unsigned>(ma);
  minor = static_cast<unsigned>(mi);
  return true;
}

std::optional<TMountEntry> ParseLine(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; in >> f;) fields.push_back(f);
  // id parent major:minor root mount-point options [optional...] - type source super-options
  const auto dash = std::find(fields.begin() + std::min<size_t>(fields.size(), 6), fields.end(),
                              std::string("-"));
  if (fields.size() < 6 || dash == fields.end() || fields.end() - dash < 3) return std::nullopt;
  TMountEntry e;
  if (!ParseInt(fields[0], e.mount_id) || !ParseInt(fields[1], e.parent_id) ||
      !ParseDevice(fields[2], e.major, e.minor)) {
    return std::nullopt;
  }
  e.root = DecodeOctalEscapes(fields[3]);
  e.mount_point = DecodeOctalEscapes(fields[4]);
  if (e.mount_point.empty() || e.mount_point[0] != '/') return std::nullopt;
  while (e.mount_point.size() > 1 && e.mount_point.back() == '/') e.mount_point.pop_back();
  e.fs_type = *(dash + 1);
  e.source = DecodeOctalEscapes(*(dash + 2));
  return e;
}

bool IsUnder(const std::string& path, const std::string& mount_point) {
  if (mount_point == "/") return !path.empty() && path[0] == '/';
  if (path.compare(0, mount_point.size(), mount_point) != 0) return false;
  return path.size() == mount_point.size() || path[mount_point.size()] == '/';
}

bool TypeIn(const std::string& type, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), type) != names.end();
}

std::string ReadMountInfo() {
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::mutex g_mutex;
std::shared_ptr<const TMountList> g_mounts;

}  // namespace

TMountList ParseMountInfo(const std::string& text) {
  TMountList result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (auto e = ParseLine(line)) result.push_back(std::move(*e));
  }
  return result;
}

const TMountEntry* FindMountEntry(const TMountList& mounts, const std::string& path) {
  const TMountEntry* best = nullptr;
  for (const auto& e : mounts) {
    if (!IsUnder(path, e.mount_point)) continue;
    if (!best || e.mount_point.size() >= best->mount_point.size()) best = &e;
  }
  return best;
}

bool IsNetworkFileSystem(const TMountEntry& entry) {
  const std::string& t = entry.fs_type;
  if (TypeIn(t, {"nfs",    "nfs4", "cifs",      "smb3",   "smbfs", "ncpfs",  "afs",
                 "9p",     "ceph", "glusterfs", "lustre", "sshfs", "davfs",  "coda",
                 "beegfs", "gpfs", "orangefs",  "pvfs2",  "fhgfs", "moosefs"})) {
    return true;
  }
  if (t.rfind("fuse.", 0) == 0) {
    const std::string sub = t.substr(5);
    if (TypeIn(sub, {"sshfs",     "rclone",    "davfs2",     "davfs",     "s3fs",
                     "gcsfuse",   "goofys",    "glusterfs",  "ceph-fuse", "ceph",
                     "curlftpfs", "smbnetfs",  "afpfs",      "juicefs",   "mfs",
                     "lizardfs",  "cvmfs",     "gvfsd-fuse", "onedriver", "google-drive-ocamlfuse",
                     "blobfuse",  "blobfuse2", "seaweedfs"})) {
      return true;
    }
  }
  // Some FUSE network clients (davfs2 among them) register as plain "fuse" with
  // the remote address as their source.
  if (t == "fuse" || t.rfind("fuse.", 0) == 0) {
    if (entry.source.find("://") != std::string::npos) return true;
  }
  return false;
}

bool IsPseudoFileSystem(const TMountEntry& entry) {
  const std::string& t = entry.fs_type;
  if (t == "overlay") return entry.mount_point != "/";  // the root of a container is real
  return TypeIn(t,
                {"proc",    "sysfs",    "cgroup",      "cgroup2",    "devtmpfs",      "devpts",
                 "tmpfs",   "squashfs", "securityfs",  "debugfs",    "tracefs",       "pstore",
                 "bpf",     "mqueue",   "hugetlbfs",   "autofs",     "binfmt_misc",   "configfs",
                 "fusectl", "nsfs",     "efivarfs",    "ramfs",      "rpc_pipefs",    "selinuxfs",
                 "nfsd",    "rootfs",   "devfs",       "usbfs",      "sockfs",        "pipefs",
                 "shm",     "cpuset",   "fuse.portal", "fuse.lxcfs", "fuse.snapfuse", "binder",
                 "zonefs"});
}

std::shared_ptr<const TMountList> CurrentMounts() {
  std::lock_guard lock(g_mutex);
  if (!g_mounts) g_mounts = std::make_shared<const TMountList>(ParseMountInfo(ReadMountInfo()));
  return g_mounts;
}

void RefreshMountTable() {
  auto fresh = std::make_shared<const TMountList>(ParseMountInfo(ReadMountInfo()));
  std::lock_guard lock(g_mutex);
  g_mounts = std::move(fresh);
}

std::optional<TMountEntry> MountEntryForPath(const std::string& path) {
  const auto mounts = CurrentMounts();
  if (const TMountEntry* e = FindMountEntry(*mounts, path)) return *e;
  return std::nullopt;
}

}  // namespace nrv::platform
