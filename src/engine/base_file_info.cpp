#include "engine/base_file_info.h"

#include "engine/group.h"

namespace nrv {

TBaseFileInfo::~TBaseFileInfo() = default;

int32_t TBaseFileInfo::GetGroupNo() const { return group_ ? group_->GroupNo() : 0; }

std::string TBaseFileInfo::GetDestFolder() const {
  const std::string dest = GetDestLocation();
  auto pos = dest.rfind('/');
  return pos == std::string::npos ? std::string() : dest.substr(0, pos + 1);
}

TAttributeValue TBaseFileInfo::GetAttributeValue(TSupportedAttribute attr) const {
  switch (attr) {
    case TSupportedAttribute::atGroup:
      return GetGroupNo();
    case TSupportedAttribute::atName:
      return GetName();
    case TSupportedAttribute::atPath:
      return GetDisplayPath();
    case TSupportedAttribute::atSize:
      return GetSize();
    case TSupportedAttribute::atModified:
      return GetModified();
    default:
      return std::monostate{};
  }
}

}  // namespace nrv
