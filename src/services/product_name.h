#pragma once
#include "build_config.h"

namespace nrv {

inline constexpr const char* kProductName = "Norvalis";
inline constexpr const char* kProductVersion = NORVALIS_VERSION;

}  // namespace nrv
