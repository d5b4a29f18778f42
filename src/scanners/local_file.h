#pragma once
#include <sys/stat.h>

#include <memory>
#include <string>

#include "engine/base_file_info.h"
#include "scanners/local_folder.h"

namespace nrv {

// What the walk learned about one directory entry.
struct TLocalEntryInfo {
  std::string name;
  int64_t size = 0;
  TDateTime modified;
  mode_t mode = 0;
  nlink_t links = 1;
  dev_t device = 0;
  ino_t inode = 0;
};

// A file of the local file system. Items of one folder share the folder object,
// so an item stores only its own name.
class TLocalFile : public TBaseFileInfo {
 public:
  TLocalFile(TLocalFolderPtr folder, const TLocalEntryInfo& entry);

  std::string GetName() const override { return FName; }
  std::string GetBaseName() const override;
  std::string GetDisplayPath() const override;
  std::string GetDrive() const override;
  std::string GetFileType() const override;
  std::string GetFullName() const override { return GetPath() + FName; }
  std::string GetDisplayName() const override { return GetDisplayPath() + FName; }
  int64_t GetSize() const override { return FSize; }
  TDateTime GetModified() const override { return FModified; }
  bool Exists() const override;
  // Only a regular file's content may be read: a FIFO would block the scan and a
  // device could be endless.
  bool CheckContent() override { return S_ISREG(mode_); }
  bool IsReady() const override { return true; }
  bool IsValid() override { return true; }

  // The folder in storage form, with its trailing separator.
  std::string GetPath() const { return folder_->GetName(); }
  const TLocalFolderPtr& Folder() const { return folder_; }
  mode_t Mode() const { return mode_; }
  nlink_t Links() const { return links_; }
  dev_t Device() const { return device_; }
  ino_t Inode() const { return inode_; }

 private:
  TLocalFolderPtr folder_;
  std::string FName;
  int64_t FSize;
  TDateTime FModified;
  mode_t mode_;
  nlink_t links_;
  dev_t device_;
  ino_t inode_;
};

using TLocalFilePtr = std::shared_ptr<TLocalFile>;

}  // namespace nrv
