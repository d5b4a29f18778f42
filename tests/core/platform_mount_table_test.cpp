#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

#include "platform/drives.h"
#include "platform/mount_table.h"
#include "platform_test_support.h"

namespace nrv::platform {
namespace {

// A mountinfo text as the kernel writes it, with an escaped space, network
// mounts, a stacked mount and lines that must be skipped.
const char kMountInfo[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid,nodev,noexec shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw,nosuid shared:7 - sysfs sysfs rw\n"
    "30 22 8:2 / /home rw,relatime shared:2 - ext4 /dev/sda2 rw\n"
    "31 30 8:17 /photos /home/u/My\\040Disk rw,relatime - ext4 /dev/sdb1 rw\n"
    "40 22 0:50 / /mnt/nas rw,relatime shared:40 master:3 - nfs4 server:/export rw,vers=4.2\n"
    "41 22 0:51 / /mnt/remote rw - fuse.sshfs user@host:/ rw,user_id=1000\n"
    "42 22 0:52 / /mnt/dav rw - fuse https://dav.example.org/ rw\n"
    "43 22 8:33 / /media/usb rw - vfat /dev/sdc1 rw\n"
    "44 43 8:49 / /media/usb rw - exfat /dev/sdd1 rw\n"
    "not a mount line\n"
    "45 22 0:60 / /broken rw no-separator-here ext4 /dev/x rw\n"
    "\n";

TEST(PlatformMountTable, ParsesFieldsAndDecodesEscapes) {
  const TMountList mounts = ParseMountInfo(kMountInfo);
  ASSERT_EQ(mounts.size(), 10u);
  const TMountEntry& disk = mounts[4];
  EXPECT_EQ(disk.mount_id, 31);
  EXPECT_EQ(disk.parent_id, 30);
  EXPECT_EQ(disk.major, 8u);
  EXPECT_EQ(disk.minor, 17u);
  EXPECT_EQ(disk.root, "/photos");
  EXPECT_EQ(disk.mount_point, "/home/u/My Disk");
  EXPECT_EQ(disk.fs_type, "ext4");
  EXPECT_EQ(disk.source, "/dev/sdb1");
  // Optional fields ("shared:40 master:3") do not shift the fields after "-".
  EXPECT_EQ(mounts[5].fs_type, "nfs4");
  EXPECT_EQ(mounts[5].source, "server:/export");
}

TEST(PlatformMountTable, FindsTheMountThatHoldsAPath) {
  const TMountList mounts = ParseMountInfo(kMountInfo);
  const std::pair<std::string, std::string> cases[] = {
      {"/home/u/My Disk/a.jpg", "/home/u/My Disk"},
      {"/home/u/My Disk/", "/home/u/My Disk"},
      {"/home/u/My Diskette/a.jpg", "/home"},  // a prefix only counts on a name boundary
      {"/home", "/home"},
      {"/home/", "/home"},
      {"/homework/x", "/"},
      {"/", "/"},
      {"/mnt/nas/share/file", "/mnt/nas"},
  };
  for (const auto& [path, mount_point] : cases) {
    const TMountEntry* e = FindMountEntry(mounts, path);
    ASSERT_NE(e, nullptr) << path;
    EXPECT_EQ(e->mount_point, mount_point) << path;
  }
  // Of two mounts on the same folder the later one hides the earlier.
  EXPECT_EQ(FindMountEntry(mounts, "/media/usb/x")->source, "/dev/sdd1");
  EXPECT_EQ(FindMountEntry(mounts, "relative/path"), nullptr);
}

TEST(PlatformMountTable, ClassifiesFileSystems) {
  const TMountList mounts = ParseMountInfo(kMountInfo);
  auto at = [&](const std::string& mp) {
    return *std::find_if(mounts.begin(), mounts.end(),
                         [&](const TMountEntry& e) { return e.mount_point == mp; });
  };
  for (const char* mp : {"/mnt/nas", "/mnt/remote", "/mnt/dav"}) {
    EXPECT_TRUE(IsNetworkFileSystem(at(mp))) << mp;
    EXPECT_FALSE(IsPseudoFileSystem(at(mp))) << mp;
  }
  for (const char* mp : {"/", "/home", "/proc", "/media/usb"}) {
    EXPECT_FALSE(IsNetworkFileSystem(at(mp))) << mp;
  }
  EXPECT_TRUE(IsPseudoFileSystem(at("/proc")));
  EXPECT_TRUE(IsPseudoFileSystem(at("/sys")));
  EXPECT_FALSE(IsPseudoFileSystem(at("/home")));

  // A container's root file system is an overlay and holds real data.
  TMountEntry overlay{1, 0, 0, 40, "/", "/", "overlay", "overlay"};
  EXPECT_FALSE(IsPseudoFileSystem(overlay));
  overlay.mount_point = "/var/lib/containers/x/merged";
  EXPECT_TRUE(IsPseudoFileSystem(overlay));
}

TEST(PlatformDrives, DisplayDriveIsAPrefixOfThePath) {
  testing::TTempDir dir;
  const std::string file = dir.WriteFile("a.txt");
  const std::string drive = GetDisplayDrive(file);
  ASSERT_FALSE(drive.empty());
  EXPECT_EQ(file.compare(0, drive.size(), drive), 0) << drive;
  EXPECT_TRUE(drive == "/" || drive.back() != '/') << drive;
  EXPECT_EQ(GetDisplayDrive("/"), "/");
  EXPECT_EQ(GetDisplayDrive("relative/a.txt"), "");
  EXPECT_TRUE(IsLocalPath(dir.Path() + "/"));
}

TEST(PlatformDrives, LocalDrivesHoldNoPseudoFileSystems) {
  RefreshMountTable();
  const auto drives = GetLocalDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
  EXPECT_EQ(std::adjacent_find(drives.begin(), drives.end()), drives.end());
  for (const auto& d : drives) {
    EXPECT_EQ(d.back(), '/') << d;
    EXPECT_NE(d, "/proc/");
    EXPECT_NE(d, "/sys/");
    EXPECT_NE(d, "/dev/");
  }
  const auto root = MountEntryForPath("/");
  ASSERT_TRUE(root.has_value());
  if (!IsPseudoFileSystem(*root) && !IsNetworkFileSystem(*root)) {
    EXPECT_NE(std::find(drives.begin(), drives.end(), "/"), drives.end());
  }
}

TEST(PlatformDrives, NetworkPathsAreNotLocal) {
  testing::TTempDir dir;
  struct stat st {};
  ASSERT_EQ(stat(dir.Path().c_str(), &st), 0);
  TMountList mounts = ParseMountInfo(kMountInfo);
  EXPECT_FALSE(IsLocalPathIn(mounts, "/mnt/nas/share/file.txt"));  // need not exist
  EXPECT_FALSE(IsLocalPathIn(mounts, "/mnt/remote/"));
  EXPECT_TRUE(IsLocalPathIn(mounts, "/home/u/My Disk/a.jpg"));
  EXPECT_TRUE(IsLocalPathIn(mounts, dir.Path()));
  // The temporary folder reached through a link from a share: its device decides,
  // not the text of the path.
  mounts.push_back(
      {90, 22, major(st.st_dev), minor(st.st_dev), "/", "/mnt/share", "cifs", "//server/share"});
  EXPECT_FALSE(IsLocalPathIn(mounts, dir.Path()));
}

}  // namespace
}  // namespace nrv::platform
