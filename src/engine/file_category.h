#pragma once
#include <string>

#include "engine/file_info.h"
#include "engine/scan_enums.h"

namespace nrv {

// The results filter's file type of a file name, found from its extension
// (letter case ignored). A name without extension, or with one no list knows,
// is fcOther; never fcAllFiles.
TFileCategory GetFileCategory(const std::string& file_name);
TFileCategory GetFileCategory(const IFileInfoPtr& file);

}  // namespace nrv
