#include "cli/scan_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/result_writer.h"
#include "engine/app_data.h"
#include "engine/scan_engine.h"
#include "services/app_log.h"
#include "services/code_utils.h"
#include "services/scan_config_from_settings.h"

namespace nrv::cli {

namespace {

const char* StageName(TScanStatus s) {
  switch (s) {
    case TScanStatus::ssStarted:
    case TScanStatus::ssScanFolders:
      return "Scanning folders";
    case TScanStatus::ssProcessing:
      return "Comparing files";
    case TScanStatus::ssStopping:
      return "Stopping";
    case TScanStatus::ssFinishing:
    case TScanStatus::ssSorting:
      return "Building results";
    default:
      return "Finished";
  }
}

void ShowProgress(const TScanProgressInfo& p) {
  long rem = static_cast<long>(p.Remaining.count() / 1000);
  std::fprintf(stderr, "\r\033[K%s: %d files, %.0f%%, %ld:%02ld left", StageName(p.Status),
               p.TotalFiles, p.Progress, rem / 60, rem % 60);
  std::fflush(stderr);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int RunScan(const TScanOptions& opts, const TSelectActOptions& act) {
  TScanEngine& engine = ScanEngine();
  TSelectActPlan plan;
  if (std::string error; !ParseSelectAct(act, plan, error)) {
    std::cerr << "norvalis-cli: " << error << "\n";
    return 2;
  }
  const int mode = ScanModeOf(opts.mode);
  for (const auto& f : opts.folders) {
    if (!IsFolder(f)) {
      std::cerr << "norvalis-cli: not a folder: " << f << "\n";
      return 1;
    }
  }
  TScanConfig config = ScanConfigFromSettings(AppSettings());
  TScanOptions absolute = opts;
  // Groups list full paths; relative folders are made absolute without resolving
  // links, so the paths stay the ones the user gave.
  for (auto* list : {&absolute.folders, &absolute.exclude}) {
    for (auto& f : *list) f = std::filesystem::absolute(f).lexically_normal().string();
  }
  try {
    ApplyScanOptions(absolute, config);
  } catch (const std::exception& e) {
    std::cerr << "norvalis-cli: " << e.what() << "\n";
    return 2;
  }
  if (config.CacheFileInfo && !opts.cache_file.empty() && !AppData().SetDatabase(opts.cache_file)) {
    std::cerr << "norvalis-cli: the checksum cache " << opts.cache_file
              << " cannot be used; scanning without it\n";
  }
  try {
    engine.SetScanMode(mode);
  } catch (const std::exception& e) {
    std::cerr << "norvalis-cli: " << e.what() << ": " << opts.mode << "\n";
    return 2;
  }

  std::ofstream file;
  if (!opts.output.empty()) {
    file.open(opts.output, std::ios::binary | std::ios::trunc);
    if (!file) {
      std::cerr << "norvalis-cli: cannot write " << opts.output << "\n";
      return 1;
    }
  }
  std::ostream& out = opts.output.empty() ? std::cout : file;

  engine.InitializeScan(config);
  engine.StartScan();
  const bool show = !opts.quiet && isatty(STDERR_FILENO);
  while (!engine.WaitForScanFor(std::chrono::milliseconds(100))) {
    if (show) ShowProgress(engine.GetProgress());
  }
  if (show) std::fputs("\r\033[K", stderr);
  // The results written below show the check marks after the rules and the action.
  const int act_rc = plan.Empty() ? 0 : SelectAndAct(engine, plan, opts.quiet);

  if (opts.format == "json") {
    WriteJsonResults(out, engine, opts.mode);
  } else {
    WriteTextResults(out, engine);
  }
  out.flush();
  if (!opts.quiet) {
    auto p = engine.GetProgress();
    int unit = 3;
    std::string size = FormatSize(p.DuplicatesSize, unit);
    static const char* units[] = {"B", "KB", "MB", "GB"};
    std::cerr << engine.GetGroups().size() << " groups, " << p.DuplicateFiles
              << " duplicate files, " << size << " " << units[unit] << " in duplicates ("
              << p.TotalFiles << " files found, " << p.SkippedFiles << " skipped)\n";
  }
  return out ? act_rc : 1;
}

}  // namespace nrv::cli
