#pragma once
#include "cli/scan_options.h"

namespace nrv::cli {

// Runs one scan with the engine and writes the groups. Returns the exit status:
// 0 after a scan, 1 when it could not run.
int RunScan(const TScanOptions& opts);

}  // namespace nrv::cli
