#include "engine/action_safety.h"

#include <sys/stat.h>

#include <cerrno>

#include "engine/group.h"

namespace nrv {

TItemSafety CheckItemSafety(const IFileInfoPtr& item, bool compared_by_content) {
  TGroup* group = item->GetGroup();
  // GetOrigial only returns an unchecked member that exists right now.
  if (!group || !group->GetOrigial(item)) return TItemSafety::isNoOriginal;
  if (compared_by_content) {
    struct stat st {};
    // A file that is gone already holds no data that could be lost.
    if (lstat(item->GetFullName().c_str(), &st) != 0) {
      return errno == ENOENT ? TItemSafety::isSafe : TItemSafety::isChangedSinceScan;
    }
    if (!S_ISREG(st.st_mode) || static_cast<int64_t>(st.st_size) != item->GetSize() ||
        TDateTime::FromTimespec(st.st_mtim) != item->GetModified()) {
      return TItemSafety::isChangedSinceScan;
    }
  }
  return TItemSafety::isSafe;
}

std::string ItemSafetyLogLine(TItemSafety safety, const IFileInfoPtr& item) {
  switch (safety) {
    case TItemSafety::isNoOriginal:
      return "File left as it is (no original of its group is left): " + item->GetFullName();
    case TItemSafety::isChangedSinceScan:
      return "File left as it is (changed since the scan): " + item->GetFullName();
    default:
      return {};
  }
}

}  // namespace nrv
