#pragma once
// Runs real scans of real folders with an engine of the test's own.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/scan_engine.h"
#include "platform_test_support.h"
#include "scanners/register_scan_modes.h"

namespace nrv::testing {

using platform::testing::TScopedEnv;
using platform::testing::TTempDir;

// The groups of a finished scan as sorted lists of full names, in group order.
inline std::vector<std::vector<std::string>> GroupNames(TScanEngine& engine) {
  std::vector<std::vector<std::string>> out;
  for (const auto& g : engine.GetGroups()) {
    std::vector<std::string> names;
    for (const auto& f : g->Files()) names.push_back(f->GetFullName());
    std::sort(names.begin(), names.end());
    out.push_back(names);
  }
  std::sort(out.begin(), out.end());
  return out;
}

inline TScanConfig ConfigFor(std::vector<std::string> folders) {
  TScanConfig c;
  c.IncludePaths = std::move(folders);
  c.CacheFileInfo = false;
  return c;
}

inline void RunScan(TScanEngine& engine, int mode, const TScanConfig& config) {
  engine.SetScanMode(mode);
  engine.InitializeScan(config);
  engine.StartScan();
  engine.WaitForScan();
}

}  // namespace nrv::testing
