#pragma once
#include <sys/types.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "engine/scanner.h"
#include "scanners/local_file.h"
#include "scanners/local_folder.h"

namespace nrv {

class TScanEngine;

// The base of every scanner that works on files of the local and network file
// systems: folders, the walk, the path tests and the attribute order. The
// duplicate order and the item kind come from the subclasses.
class TScannerLocal : public IScanner {
 public:
  explicit TScannerLocal(TScanEngine& engine) : engine_(engine) {}

  bool ExactMatch() override { return true; }
  std::vector<IFolderPtr> ConvertFolder(const IFolderPtr& folder) override;
  TSettingsInfo GetSettingsInfo() override;
  bool SupportsDragDrop() override { return true; }
  bool SupportsUndo() override { return true; }
  bool SupportsMove() override { return true; }
  bool SupportsRename() override { return true; }
  bool SupportsTrash() override { return true; }
  bool SupportsDelete() override { return true; }
  bool SupportsLink() override { return true; }
  bool CheckValidDragDropData(const std::vector<std::string>& data) override;
  bool FolderExists(const IFolderPtr& folder) override;
  bool IsAppFolder(const IFolderPtr& folder) override;
  bool IsSysFolder(const IFolderPtr& folder) override;
  bool IsSysFile(const IFileInfoPtr& file) override;
  bool IsTempFile(const IFileInfoPtr& file) override;
  bool IsJunctionPoint(const IFolderPtr& folder) override;
  bool IsTempFolder(const IFolderPtr& folder) override;
  bool IsTrashFolder(const IFolderPtr& folder) override;
  bool IsHidden(const IFolderPtr& folder) override;
  bool IsHidden(const IFileInfoPtr& file) override;
  bool IsSymbolicLink(const IFolderPtr& folder) override;
  bool IsSymbolicLink(const IFileInfoPtr& file) override;
  bool IsCompressed(const IFileInfoPtr& file) override;
  bool IsHardLink(const IFileInfoPtr& file) override;
  IFolderPtr GetFolder(const std::string& folder_name) override;
  std::vector<IFolderPtr> GetFolders(const IFolderPtr& folder) override;
  int CompareAttributes(const IFileInfoPtr& left, const IFileInfoPtr& right,
                        TSupportedAttribute attribute) override;
  TScannerFeatures SupportedFeatures() override;
  std::vector<TSupportedAttribute> SupportedAttributes() override;
  bool MoveFile(const IFileInfoPtr& file, const IFolderPtr& dest_folder,
                bool keep_folder_structure) override;
  bool DeleteFile(const IFileInfoPtr& file, bool permanently) override;
  bool UnDeleteFile(const IFileInfoPtr& file, bool permanently) override;
  bool PutBack(const IFileInfoPtr& file) override;
  bool LinkToOriginal(const IFileInfoPtr& file) override;
  bool Unlink(const IFileInfoPtr& file) override;
  bool Rename(const IFileInfoPtr& file, const std::string& new_name) override;
  bool RestoreName(const IFileInfoPtr& file) override;
  IFolderPtr GetFolderByName(const std::string& name) override;
  IFolderPtr SelectFolder() override { return nullptr; }
  TProgressMethod ProgressMethod() override { return TProgressMethod::spmDataSize; }
  bool ScanExcludedFolders() override { return false; }
  void Initialize() override;
  void SelectFolders(std::vector<IFolderPtr>&) override {}
  void ScanFolder(const IFolderPtr& folder) override;
  void ShowPreview(const IFileInfoPtr&, IPreviewTarget*) override {}
  void ShowProperties(const IFileInfoPtr&) override {}
  void ShowFile(const IFileInfoPtr&) override {}
  void ShowFileWith(const IFileInfoPtr&) override {}
  void ShowFileLocation(const IFileInfoPtr&) override {}
  void ShowTrashFolder(const IFileInfoPtr&) override {}
  void ClearPreview(IPreviewTarget*) override {}
  void ProcessGroups(std::vector<TGroupPtr>&, std::vector<IFileInfoPtr>&,
                     TScanProgressInfo&) override {}

 protected:
  // The item kind of the subclass.
  virtual IFileInfoPtr CreateFileItem(const TLocalFolderPtr& folder,
                                      const TLocalEntryInfo& entry) = 0;
  bool AddFoundFile(const TLocalFolderPtr& folder, const TLocalEntryInfo& entry);
  TScanEngine& engine_;

 private:
  // Opens the folder for the walk once per scan; false when it must not be walked
  // (a symbolic link, or a folder already walked under another name).
  bool BeginWalk(const TLocalFolderPtr& folder);

  std::map<std::string, TLocalFolderPtr> FScanFolders;
  std::set<std::pair<dev_t, ino_t>> walked_;
};

// The local item behind an item reference, or null for another kind.
TLocalFile* AsLocalFile(const IFileInfoPtr& file);
TLocalFolder* AsLocalFolder(const IFolderPtr& folder);

}  // namespace nrv
