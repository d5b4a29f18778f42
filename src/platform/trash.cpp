#include "platform/trash.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <system_error>

#include "platform/file_copy.h"
#include "platform/path_forms.h"
#include "platform/real_paths.h"
#include "platform/xdg_paths.h"
#include "services/app_log.h"

namespace nrv::platform {

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& what) {
  throw std::system_error(err, std::generic_category(), what);
}

constexpr char kInfoExt[] = ".trashinfo";

// A trash folder and, for a trash at the top of a file system, that top, against
// which the recorded paths are relative.
struct TTrash {
  std::string folder;  // with trailing "/"
  std::string topdir;  // with trailing "/"; "" for the home trash
};

std::string HomeTrash() {
  return XdgDataHome() + "Trash/";
}

// The device of path, or of its nearest existing ancestor when path does not
// exist yet (a home trash that was never used).
std::optional<dev_t> DeviceOfNearest(std::string path) {
  for (;;) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) return st.st_dev;
    if (path.empty() || path == "/") return std::nullopt;
    path = ExtractFilePath(ExcludeTrailingSeparator(path));
  }
}

// The top of the file system dev as seen from folder (resolved, without links):
// the last folder upwards that is still on dev.
std::string TopDirOf(std::string folder, dev_t dev) {
  folder = ExcludeTrailingSeparator(folder);
  while (folder != "/") {
    const std::string parent = ExcludeTrailingSeparator(ExtractFilePath(folder));
    struct stat st {};
    if (parent.empty() || stat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
    folder = parent;
  }
  return IncludeTrailingSeparator(folder);
}

// A real folder (not a link to one), optionally with the sticky bit and owned by uid.
bool IsPlainFolder(const std::string& path, bool sticky, std::optional<uid_t> owner) {
  struct stat st {};
  if (lstat(ExcludeTrailingSeparator(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (sticky && !(st.st_mode & S_ISVTX)) return false;
  return !owner || st.st_uid == *owner;
}

bool EntryExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Creates the folder with mode 0700 unless a real folder is there; false with
// errno set when neither.
bool MakePrivateFolder(const std::string& path, std::optional<uid_t> owner) {
  if (mkdir(ExcludeTrailingSeparator(path).c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return false;
  if (IsPlainFolder(path, false, owner)) return true;
  errno = ENOTDIR;
  return false;
}

// The trash for an entry on device dev in the resolved folder real_folder. With
// create, missing trash folders are made; without, the folder that would be used
// is named. Throws std::system_error when no trash can be used.
TTrash ChooseTrash(const std::string& real_folder, dev_t dev, bool create) {
  const uid_t uid = getuid();
  const auto home_dev = DeviceOfNearest(HomeTrash());
  if (home_dev && *home_dev == dev) {
    TTrash t{HomeTrash(), ""};
    if (create) {
      ForceDirectories(XdgDataHome());
      for (const std::string& f : {t.folder, t.folder + "files/", t.folder + "info/"}) {
        if (!MakePrivateFolder(f, std::nullopt)) ThrowErrno(errno, "trash folder " + f);
      }
    }
    return t;
  }

  const std::string top = TopDirOf(real_folder, dev);
  const std::string uid_text = std::to_string(uid);
  std::optional<TTrash> chosen;
  // A shared .Trash counts only when an administrator set it up as such; a link
  // or a folder without the sticky bit could let others read or steal the files.
  const std::string shared = top + ".Trash/";
  if (IsPlainFolder(shared, true, std::nullopt)) {
    const std::string mine = shared + uid_text + "/";
    const bool usable = IsPlainFolder(mine, false, uid) ||
                        (create ? MakePrivateFolder(mine, uid) : !EntryExists(mine));
    if (usable) {
      chosen = TTrash{mine, top};
    }
  }
  if (!chosen) {
    const std::string own = top + ".Trash-" + uid_text + "/";
    if (!IsPlainFolder(own, false, uid) && (!create || !MakePrivateFolder(own, uid))) {
      if (!create) {
        struct stat st {};
        if (lstat(ExcludeTrailingSeparator(own).c_str(), &st) == 0) ThrowErrno(ENOTDIR, own);
        return TTrash{own, top};
      }
      ThrowErrno(errno, "trash folder " + own);
    }
    chosen = TTrash{own, top};
  }
  if (create) {
    for (const std::string& f : {chosen->folder + "files/", chosen->folder + "info/"}) {
      if (!MakePrivateFolder(f, uid)) ThrowErrno(errno, "trash folder " + f);
    }
    struct stat st {};
    if (stat(chosen->folder.c_str(), &st) != 0) ThrowErrno(errno, chosen->folder);
    if (st.st_dev != dev) ThrowErrno(EXDEV, chosen->folder);
  }
  return *chosen;
}

// The entry's name in the trash for attempt n: "a.txt", "a (2).txt", ... cut so
// that NAME.trashinfo still fits in one directory entry.
std::string CandidateName(const std::string& name, int n) {
  std::string ext = ExtractFileExt(name);
  std::string base = name.substr(0, name.size() - ext.size());
  const std::string number = n > 1 ? " (" + std::to_string(n) + ")" : "";
  const size_t limit = NAME_MAX - (sizeof(kInfoExt) - 1);
  if (base.size() + number.size() + ext.size() > limit) {
    if (ext.size() + number.size() > limit / 2) {
      base += ext;
      ext.clear();
    }
    size_t keep = limit - number.size() - ext.size();
    // Do not cut a UTF-8 sequence in two.
    while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    base.resize(keep);
  }
  return base + number + ext;
}

std::string LocalTimeStamp() {
  const time_t now = time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Records and moves the entry into the trash; returns its path in files/.
std::string MoveIntoTrash(const std::string& path, const std::string& recorded_path,
                          const TTrash& trash) {
  const std::string record = "[Trash Info]\nPath=" + EncodeTrashInfoPath(recorded_path) +
                             "\nDeletionDate=" + LocalTimeStamp() + "\n";
  const std::string name = ExtractFileName(path);
  for (int n = 1; n < 100000; ++n) {
    const std::string candidate = CandidateName(name, n);
    const std::string info = trash.folder + "info/" + candidate + kInfoExt;
    const std::string target = trash.folder + "files/" + candidate;
    if (EntryExists(target)) continue;
    // The record is made first and exclusively: it reserves the name, and a
    // trash never holds a file without its record.
    int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) ThrowErrno(errno, "create " + info);
    const bool written = WriteAll(fd, record);
    const int write_err = errno;
    if (close(fd) != 0 || !written) {
      const int err = written ? errno : write_err;
      unlink(info.c_str());
      ThrowErrno(err, "write " + info);
    }
    if (RenameNoReplace(path, target)) return target;
    const int err = errno;
    unlink(info.c_str());
    if (err != EEXIST) ThrowErrno(err, "move " + path + " -> " + target);
  }
  ThrowErrno(EEXIST, "no free name in " + trash.folder);
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::strchr("-_.!~*'()/", c) != nullptr;
}

void SetErrnoFrom(const std::exception& e) {
  const auto* se = dynamic_cast<const std::system_error*>(&e);
  errno = se && se->code().value() != 0 ? se->code().value() : EIO;
}

}  // namespace

std::string EncodeTrashInfoPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (c != 0 && IsUnreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string TrashFolderFor(const std::string& path) {
  try {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return {};
    const std::string folder = RealPath(ExtractFilePath(AbsolutePath(path)));
    if (folder.empty()) return {};
    return ChooseTrash(folder, st.st_dev, false).folder;
  } catch (const std::exception&) {
    return {};
  }
}

bool MoveFileToTrash(const std::string& path, std::string& trash_name) {
  trash_name.clear();
  try {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return true;  // already gone
      ThrowErrno(errno, path);
    }
    if (S_ISDIR(st.st_mode)) ThrowErrno(EISDIR, path);
    const std::string abs = AbsolutePath(path);
    const std::string folder = RealPath(ExtractFilePath(abs));
    if (folder.empty()) ThrowErrno(errno, "resolve " + ExtractFilePath(abs));
    const TTrash trash = ChooseTrash(folder, st.st_dev, true);
    std::string recorded = IncludeTrailingSeparator(folder) + ExtractFileName(abs);
    if (!trash.topdir.empty()) recorded.erase(0, trash.topdir.size());
    trash_name = MoveIntoTrash(path, recorded, trash);
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Move to trash failed: " + path, e);
    SetErrnoFrom(e);
    return false;
  }
}

bool RestoreFromTrash(const std::string& trash_path, const std::string& original_path) {
  try {
    const std::string files = ExtractFilePath(trash_path);
    const std::string name = ExtractFileName(trash_path);
    if (name.empty() || ExtractFileName(ExcludeTrailingSeparator(files)) != "files") {
      ThrowErrno(EINVAL, "not in a trash: " + trash_path);
    }
    const std::string info =
        ExtractFilePath(ExcludeTrailingSeparator(files)) + "info/" + name + kInfoExt;
    if (!EntryExists(trash_path)) ThrowErrno(errno, trash_path);
    if (EntryExists(original_path)) ThrowErrno(EEXIST, original_path);
    const std::string folder = ExtractFilePath(original_path);
    if (!folder.empty()) ForceDirectories(folder);
    MoveFileNoReplace(trash_path, original_path);
    if (unlink(info.c_str()) != 0 && errno != ENOENT) {
      AppLog().WriteLog("Failed to remove trash record " + info + ": " + std::strerror(errno), 2);
    }
    return true;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Restore from trash failed: " + trash_path, e);
    SetErrnoFrom(e);
    return false;
  }
}

}  // namespace nrv::platform
