#pragma once
#include "cli/scan_options.h"
#include "cli/select_and_act.h"

namespace nrv::cli {

// Runs one scan with the engine and writes the groups. Returns the exit status:
// 0 after a scan, 1 when it could not run; with an action, 1 also when the action
// was refused or a file could not be changed.
int RunScan(const TScanOptions& opts, const TSelectActOptions& act = {});

}  // namespace nrv::cli
