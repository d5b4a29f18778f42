#pragma once
#include <string>
#include <vector>

#include "engine/scan_records.h"

namespace nrv::cli {

// What `norvalis-cli scan` was asked to do.
struct TScanOptions {
  std::vector<std::string> folders;
  std::string mode = "sha256";
  std::vector<std::string> exclude;
  std::string min_size, max_size;
  std::string include_masks, exclude_masks;
  std::vector<std::string> ignore;
  bool ignore_given = false;
  bool no_subdirs = false, exclude_container = false, skip_hidden = false, skip_zero = false,
       skip_hardlinks = false, skip_temporary = false, skip_mount_points = false,
       skip_compressed = false, scan_trash = false, scan_system = false, match_name = false,
       match_extension = false, no_cache = false;
  std::string cache_file;
  std::string format = "text";
  std::string output;
  int log_level = -1;  // -1: as the settings say
  std::string settings_file;
  bool quiet = false;
};

// The scan mode number of a --mode name; -1 for an unknown name.
int ScanModeOf(const std::string& name);
// "10", "4K", "1.5M", "2G" (powers of 1024); throws std::invalid_argument.
int64_t ParseSize(const std::string& text);
// Applies the options over the defaults in `config`.
void ApplyScanOptions(const TScanOptions& opts, TScanConfig& config);

}  // namespace nrv::cli
