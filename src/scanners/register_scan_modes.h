#pragma once

namespace nrv {

class TScanEngine;

// Registers the built-in scan modes with an engine (the process-wide one by
// default). Called once at start-up, before settings are loaded, so that no
// scanner depends on the order in which static objects are initialised.
void RegisterScanModes(TScanEngine& engine);
void RegisterScanModes();

}  // namespace nrv
