#include "scanners/comparison_steps.h"

#include "services/text.h"

namespace nrv {

int CompareNames(const IFileInfo& left, const IFileInfo& right, bool by_base_name,
                 bool by_extension) {
  if (by_base_name) {
    int r = text::CompareNoCase(left.GetBaseName(), right.GetBaseName());
    if (r != 0) return r;
  }
  if (by_extension) {
    int r = text::CompareNoCase(left.GetFileType(), right.GetFileType());
    if (r != 0) return r;
  }
  return 0;
}

int CompareSizeAndNames(const IFileInfo& left, const IFileInfo& right, const TScanConfig& cfg) {
  const int64_t a = left.GetSize(), b = right.GetSize();
  if (a != b) return a > b ? -1 : 1;
  return CompareNames(left, right, cfg.IncludeFileName, cfg.IncludeExtension);
}

}  // namespace nrv
