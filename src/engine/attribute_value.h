#pragma once
#include <cstdint>
#include <string>
#include <variant>

#include "engine/date_time.h"

namespace nrv {

// The value of one item attribute: nothing, Integer, Int64, text, date-time or Boolean.
using TAttributeValue = std::variant<std::monostate, int32_t, int64_t, std::string, TDateTime, bool>;

}  // namespace nrv
