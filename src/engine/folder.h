#pragma once
#include <memory>
#include <string>

namespace nrv {

class IFolder;
using IFolderPtr = std::shared_ptr<IFolder>;

// A folder of the scanned medium. Folder paths end with a separator.
class IFolder {
 public:
  virtual ~IFolder() = default;

  virtual std::string GetDisplayName() const = 0;
  virtual std::string GetName() const = 0;
  virtual bool Exists() const = 0;
  virtual bool IsEmpty() const = 0;
  virtual IFolderPtr GetParent() const = 0;
  // Removes the folder (not recursively); true when it no longer exists afterwards.
  virtual bool Delete() = 0;
  virtual void SetName(const std::string& path) = 0;
};

}  // namespace nrv
