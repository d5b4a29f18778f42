#pragma once
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/folder.h"

namespace nrv {

// A folder of the local file system. While the scan walks it, the folder keeps
// an open descriptor so that its subfolders and files are reached relative to it
// (openat/fstatat): no path string ever has to fit the kernel's path limit.
class TLocalFolder : public IFolder, public std::enable_shared_from_this<TLocalFolder> {
 public:
  explicit TLocalFolder(const std::string& path);
  // A subfolder met during the walk: reached through its parent's descriptor.
  TLocalFolder(const std::shared_ptr<TLocalFolder>& parent, const std::string& entry_name);
  ~TLocalFolder() override;

  std::string GetDisplayName() const override { return FDisplayName; }
  std::string GetName() const override { return FName; }
  bool Exists() const override;
  bool IsEmpty() const override;
  IFolderPtr GetParent() const override;
  bool Delete() override;
  void SetName(const std::string& path) override;

  // --- walk support (used by the local scanner on the scan thread) ---
  struct TEntry {
    std::string name;
    unsigned char type;  // DT_* from the directory listing
  };
  // Opens the folder for the walk; throws std::system_error when it cannot be read.
  // Returns false (logging why) for a symbolic link, which is never followed.
  bool OpenForWalk();
  // Reads the entries once; later calls return the same list.
  const std::vector<TEntry>& Entries();
  int Fd() const { return fd_; }
  dev_t Device() const { return dev_; }
  ino_t Inode() const { return ino_; }
  // Ends the walk of this folder: closes the descriptor and forgets the entries.
  void EndWalk();
  // Set when the same folder was met before under another name in this scan.
  bool walked_elsewhere = false;

 private:
  std::string FDisplayName;
  std::string FName;
  std::shared_ptr<TLocalFolder> parent_;  // only while walking
  std::string entry_name_;
  int fd_ = -1;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  bool entries_read_ = false;
  std::vector<TEntry> entries_;
};

using TLocalFolderPtr = std::shared_ptr<TLocalFolder>;

}  // namespace nrv
