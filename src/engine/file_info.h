#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/attribute_value.h"
#include "engine/date_time.h"
#include "engine/scan_enums.h"

namespace nrv {

class TGroup;

// One scanned item (a file or a mail). Paths and names are byte strings as the
// medium gives them. Held by std::shared_ptr: the engine's lists, the groups,
// the undo history and the windows share items.
class IFileInfo {
 public:
  virtual ~IFileInfo() = default;

  virtual std::string GetName() const = 0;
  virtual std::string GetBaseName() const = 0;
  virtual std::string GetDisplayPath() const = 0;
  virtual std::string GetDrive() const = 0;
  virtual std::string GetFileType() const = 0;
  virtual std::string GetFullName() const = 0;
  virtual std::string GetDisplayName() const = 0;
  virtual std::string GetDestLocation() const = 0;
  virtual std::string GetDestFolder() const = 0;
  virtual int64_t GetSize() const = 0;
  virtual TGroup* GetGroup() const = 0;
  virtual int32_t GetGroupNo() const = 0;
  virtual bool IsChecked() const = 0;
  virtual bool IsVisible() const = 0;
  virtual bool IsResolved() const = 0;
  virtual bool IsRemoved() const = 0;
  virtual TDateTime GetModified() const = 0;
  virtual int64_t GetAnalyzed() const = 0;
  virtual bool Exists() const = 0;
  virtual TAttributeValue GetAttributeValue(TSupportedAttribute attr) const = 0;
  virtual int32_t GetIndex() const = 0;
  virtual bool CheckContent() = 0;
  virtual bool IsReady() const = 0;
  virtual bool IsValid() = 0;
  virtual void SetGroup(TGroup* group) = 0;
  virtual void SetChecked(bool value) = 0;
  virtual void SetVisible(bool value) = 0;
  virtual void SetResolved(bool value) = 0;
  virtual void SetRemoved(bool value) = 0;
  virtual void SetAnalyzed(int64_t value) = 0;
  virtual void SetIndex(int32_t value) = 0;
  virtual void SetDestLocation(const std::string& value) = 0;
};

using IFileInfoPtr = std::shared_ptr<IFileInfo>;

}  // namespace nrv
