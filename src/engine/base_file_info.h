#pragma once
#include <memory>

#include "engine/file_info.h"

namespace nrv {

// The flag bookkeeping every item kind shares: checked, visible, resolved and
// removed, the group back reference, the scan index, the analysed byte count and
// the destination of the last action. Item kinds add names, sizes and content.
class TBaseFileInfo : public IFileInfo {
 public:
  ~TBaseFileInfo() override;

  TGroup* GetGroup() const override { return group_; }
  int32_t GetGroupNo() const override;
  bool IsChecked() const override { return checked_ && !removed_ && !resolved_; }
  bool IsVisible() const override { return visible_ && !removed_; }
  bool IsResolved() const override { return resolved_; }
  bool IsRemoved() const override { return removed_; }
  int64_t GetAnalyzed() const override { return analyzed_; }
  int32_t GetIndex() const override { return index_; }
  std::string GetDestLocation() const override {
    return dest_location_ ? *dest_location_ : std::string();
  }
  std::string GetDestFolder() const override;
  // The standard attributes: group, name, path, size and modification time.
  TAttributeValue GetAttributeValue(TSupportedAttribute attr) const override;

  void SetGroup(TGroup* group) override { group_ = group; }
  void SetChecked(bool value) override { checked_ = resolved_ ? false : value; }
  void SetVisible(bool value) override { visible_ = value; }
  void SetResolved(bool value) override { resolved_ = value; }
  void SetRemoved(bool value) override { removed_ = value; }
  void SetAnalyzed(int64_t value) override { analyzed_ = value; }
  void SetIndex(int32_t value) override { index_ = value; }
  void SetDestLocation(const std::string& value) override {
    if (value.empty()) {
      dest_location_.reset();
    } else {
      dest_location_ = std::make_unique<std::string>(value);
    }
  }

 private:
  TGroup* group_ = nullptr;
  // Set only by actions; most items never have one, so it costs a pointer.
  std::unique_ptr<std::string> dest_location_;
  int64_t analyzed_ = 0;
  int32_t index_ = 0;
  bool checked_ = false;
  bool visible_ = false;
  bool resolved_ = false;
  bool removed_ = false;
};

}  // namespace nrv
