#pragma once
#include <memory>
#include <vector>

#include "engine/file_info.h"

namespace nrv {

// One group of duplicates. The engine's group list owns the groups; a group
// owns nothing but its list of member references.
class TGroup {
 public:
  TGroup() = default;
  ~TGroup();
  TGroup(const TGroup&) = delete;
  TGroup& operator=(const TGroup&) = delete;

  const std::vector<IFileInfoPtr>& Files() const { return files_; }
  int32_t GroupNo() const { return group_no_; }
  void SetGroupNo(int32_t value) { group_no_ = value; }
  bool IsSorted() const { return sorted_; }

  // Appends the item and points it at this group.
  void Add(const IFileInfoPtr& file);
  int32_t Count() const { return static_cast<int32_t>(files_.size()); }
  int32_t VisibleCount() const;
  int32_t CheckedCount() const;
  // True when at least one existing member would stay unchecked.
  bool CheckSafeSelection() const;
  IFileInfoPtr GetFirstExisting() const;
  // Group order: larger name first (ordinal), then later modification, then higher scan index.
  void Sort();
  // The member kept as the original: the first in group order that is not `except_this`,
  // exists, is unchecked and visible; failing that, one that need not be visible.
  IFileInfoPtr GetOrigial(const IFileInfoPtr& except_this);

 private:
  std::vector<IFileInfoPtr> files_;
  int32_t group_no_ = 0;
  bool sorted_ = false;
};

using TGroupPtr = std::shared_ptr<TGroup>;

}  // namespace nrv
