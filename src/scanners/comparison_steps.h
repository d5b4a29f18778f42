#pragma once
#include "engine/file_info.h"
#include "engine/scan_records.h"

namespace nrv {

// The first steps every content rule shares: larger files first, then, when the
// options ask for it, the base names and the extensions without regard to case.
// Returns 0 when the rule must go on to the content.
int CompareSizeAndNames(const IFileInfo& left, const IFileInfo& right, const TScanConfig& cfg);
// The name steps alone (also the whole name rule).
int CompareNames(const IFileInfo& left, const IFileInfo& right, bool by_base_name,
                 bool by_extension);

}  // namespace nrv
