#pragma once
#include <vector>

#include "engine/file_info.h"
#include "engine/scan_records.h"

namespace nrv {

class TLocalFile;

// The sets of items that the content comparison will compare with each other:
// equal size and, when the options ask for it, equal base name and extension
// (letter case ignored). Only sets of two or more; each set in list order.
std::vector<std::vector<TLocalFile*>> CandidateGroups(const std::vector<IFileInfoPtr>& files,
                                                     const TScanConfig& cfg);

// The number of reader threads for a set of items (by the device of the first).
unsigned ReaderThreadsForItems(const std::vector<TLocalFile*>& items);

// Puts the items in the order their device serves best: by inode, which on most
// Linux file systems follows the order of the data on the disk.
void SortForReading(std::vector<TLocalFile*>& items);

}  // namespace nrv
