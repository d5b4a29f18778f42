#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_info.h"

namespace nrv {

// What a preparation reports to the scan while it works; safe from any thread.
class IPrepareProgress {
 public:
  virtual ~IPrepareProgress() = default;
  // `bytes` more of the data to process were analysed; `current` names the item.
  virtual void AddProcessed(int64_t bytes, const std::string& current) = 0;
  virtual bool StopRequested() const = 0;
};

// A scanner that can compute, before the comparison sort and in parallel, what
// its comparison will ask for, so that the sort compares ready values and reads
// nothing. The results of the comparison stay exactly the same.
class IComparisonPreparer {
 public:
  virtual ~IComparisonPreparer() = default;
  // `files` are the items left for the comparison, largest first.
  virtual void PrepareComparison(const std::vector<IFileInfoPtr>& files,
                                 IPrepareProgress& progress) = 0;
};

}  // namespace nrv
