#pragma once
// The last look at a duplicate before an action destroys its data (delete, trash,
// replace with a link): the copy that is kept must still be there, and a file
// compared by content must still be the file the scan compared.
#include <string>

#include "engine/file_info.h"

namespace nrv {

enum class TItemSafety {
  isSafe,
  isNoOriginal,       // no other member of its group is left to keep
  isChangedSinceScan  // its size or modification time is no longer the scanned one
};

// `compared_by_content`: the scan mode judged duplicates by their content, so a
// changed file may no longer be one.
TItemSafety CheckItemSafety(const IFileInfoPtr& item, bool compared_by_content);

// The log line for an item that is not safe to act on, naming it.
std::string ItemSafetyLogLine(TItemSafety safety, const IFileInfoPtr& item);

}  // namespace nrv
