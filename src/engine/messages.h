#pragma once
#include "engine/scan_enums.h"

namespace nrv {

// The scan reached a new stage.
struct TScanStatusMessage {
  TScanStatus Status;
};

// The list of shown results changed.
struct TResultSetChanged {};

// Check marks were changed by a selection rule.
struct TSelectionChanged {};

// Sent around a change of the current scan mode.
struct TChangeScanModeMessage {
  TChangeScanModeEvent Event;
};

// The operating system reported a change of the main window's state.
struct TWindowStateChanged {
  TOsWindowState State;
};

}  // namespace nrv
