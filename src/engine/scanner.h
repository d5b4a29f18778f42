#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_info.h"
#include "engine/folder.h"
#include "engine/scan_enums.h"
#include "engine/scan_records.h"

namespace nrv {

class TGroup;
class TScanEngine;
using TGroupPtr = std::shared_ptr<TGroup>;

// Where a front end wants a preview drawn. The core never looks inside it; the
// window layer provides the concrete target.
class IPreviewTarget {
 public:
  virtual ~IPreviewTarget() = default;
};

// The contract of one scan mode.
class IScanner {
 public:
  virtual ~IScanner() = default;

  virtual bool ExactMatch() = 0;
  virtual std::vector<IFolderPtr> ConvertFolder(const IFolderPtr& folder) = 0;
  virtual TSettingsInfo GetSettingsInfo() = 0;
  virtual bool SupportsDragDrop() = 0;
  virtual bool SupportsUndo() = 0;
  virtual bool SupportsMove() = 0;
  virtual bool SupportsRename() = 0;
  virtual bool SupportsTrash() = 0;
  virtual bool SupportsDelete() = 0;
  virtual bool SupportsLink() = 0;
  // Dropped data arrives as a list of paths.
  virtual bool CheckValidDragDropData(const std::vector<std::string>& data) = 0;
  virtual bool FolderExists(const IFolderPtr& folder) = 0;
  virtual bool IsAppFolder(const IFolderPtr& folder) = 0;
  virtual bool IsSysFolder(const IFolderPtr& folder) = 0;
  virtual bool IsSysFile(const IFileInfoPtr& file) = 0;
  virtual bool IsTempFile(const IFileInfoPtr& file) = 0;
  virtual bool IsJunctionPoint(const IFolderPtr& folder) = 0;
  virtual bool IsTempFolder(const IFolderPtr& folder) = 0;
  virtual bool IsTrashFolder(const IFolderPtr& folder) = 0;
  virtual bool IsHidden(const IFolderPtr& folder) = 0;
  virtual bool IsHidden(const IFileInfoPtr& file) = 0;
  virtual bool IsSymbolicLink(const IFolderPtr& folder) = 0;
  virtual bool IsSymbolicLink(const IFileInfoPtr& file) = 0;
  virtual bool IsCompressed(const IFileInfoPtr& file) = 0;
  virtual bool IsHardLink(const IFileInfoPtr& file) = 0;
  virtual IFolderPtr GetFolder(const std::string& folder_name) = 0;
  virtual std::vector<IFolderPtr> GetFolders(const IFolderPtr& folder) = 0;
  // 0: the two items are duplicates; otherwise a consistent order.
  virtual int CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) = 0;
  virtual int CompareAttributes(const IFileInfoPtr& left, const IFileInfoPtr& right,
                                TSupportedAttribute attribute) = 0;
  virtual TScannerFeatures SupportedFeatures() = 0;
  virtual std::vector<TSupportedAttribute> SupportedAttributes() = 0;
  virtual bool MoveFile(const IFileInfoPtr& file, const IFolderPtr& dest_folder,
                        bool keep_folder_structure) = 0;
  virtual bool DeleteFile(const IFileInfoPtr& file, bool permanently) = 0;
  virtual bool UnDeleteFile(const IFileInfoPtr& file, bool permanently) = 0;
  virtual bool PutBack(const IFileInfoPtr& file) = 0;
  virtual bool LinkToOriginal(const IFileInfoPtr& file) = 0;
  virtual bool Unlink(const IFileInfoPtr& file) = 0;
  virtual bool Rename(const IFileInfoPtr& file, const std::string& new_name) = 0;
  virtual bool RestoreName(const IFileInfoPtr& file) = 0;
  virtual IFolderPtr GetFolderByName(const std::string& name) = 0;
  virtual IFolderPtr SelectFolder() = 0;
  virtual TProgressMethod ProgressMethod() = 0;
  virtual bool ScanExcludedFolders() = 0;
  virtual void Initialize() = 0;
  virtual void SelectFolders(std::vector<IFolderPtr>& folders) = 0;
  virtual void ScanFolder(const IFolderPtr& folder) = 0;
  virtual void ShowPreview(const IFileInfoPtr& file, IPreviewTarget* target) = 0;
  virtual void ShowProperties(const IFileInfoPtr& file) = 0;
  virtual void ShowFile(const IFileInfoPtr& file) = 0;
  virtual void ShowFileWith(const IFileInfoPtr& file) = 0;
  virtual void ShowFileLocation(const IFileInfoPtr& file) = 0;
  virtual void ShowTrashFolder(const IFileInfoPtr& file) = 0;
  virtual void ClearPreview(IPreviewTarget* target) = 0;
  virtual void ProcessGroups(std::vector<TGroupPtr>& groups, std::vector<IFileInfoPtr>& files,
                             TScanProgressInfo& progress) = 0;
};

using IScannerPtr = std::shared_ptr<IScanner>;
// A scanner class: makes a new instance of one scan mode's scanner, serving the
// given engine (items found are handed to that engine).
using TScannerClass = std::function<IScannerPtr(TScanEngine&)>;

}  // namespace nrv
