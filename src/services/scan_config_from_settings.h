#pragma once
#include "engine/scan_records.h"
#include "services/app_settings.h"

namespace nrv {

// The scan configuration the settings describe (without folders and masks,
// which belong to the scan mode and the window).
TScanConfig ScanConfigFromSettings(const TAppSettings& settings);

}  // namespace nrv
