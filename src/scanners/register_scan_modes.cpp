#include "scanners/register_scan_modes.h"

#include "engine/scan_engine.h"
#include "scanners/scanner_bbb.h"
#include "scanners/scanner_fast.h"
#include "scanners/scanner_master.h"
#include "scanners/scanner_sha256.h"

namespace nrv {

namespace {

template <class TScanner>
TScannerClass ClassOf() {
  return [](TScanEngine& engine) -> IScannerPtr { return std::make_shared<TScanner>(engine); };
}

}  // namespace

void RegisterScanModes(TScanEngine& engine) {
  engine.AddScanner(0, ClassOf<TScannerSHA256>());
  engine.AddScanner(1, ClassOf<TScannerBBB>());
  engine.AddScanner(2, ClassOf<TScannerFAST>());
  engine.AddScanner(5, ClassOf<TScannerMaster>());
}

void RegisterScanModes() { RegisterScanModes(ScanEngine()); }

}  // namespace nrv
