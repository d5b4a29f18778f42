#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/scan_command.h"
#include "cli/select_and_act.h"
#include "engine/app_data.h"
#include "services/app_log.h"
#include "services/app_settings.h"
#include "services/startup.h"
#include "services/product_name.h"

int main(int argc, char** argv) {
  using nrv::cli::TScanOptions;
  CLI::App app{std::string(nrv::kProductName) +
                   " finds duplicate files and helps remove them safely.",
               "norvalis-cli"};
  app.set_version_flag("--version", std::string(nrv::kProductName) + " " + nrv::kProductVersion);
  app.require_subcommand(0, 1);

  TScanOptions o;
  auto* scan = app.add_subcommand("scan", "Scan folders for duplicate files and print the groups");
  scan->add_option("FOLDER", o.folders, "Folders to scan (in folders mode: the master folders)")
      ->required();
  scan->add_option("--mode", o.mode, "sha256 | bytes | name | folders")
      ->check(CLI::IsMember({"sha256", "bytes", "name", "folders"}));
  scan->add_option("--exclude", o.exclude,
                   "Folder to leave out (in folders mode: a folder compared with the masters)");
  scan->add_option("--min-size", o.min_size, "Only files larger than SIZE (K, M, G suffixes)");
  scan->add_option("--max-size", o.max_size, "Only files smaller than SIZE");
  scan->add_option("--include-masks", o.include_masks, "File masks to scan, ';'-separated");
  scan->add_option("--exclude-masks", o.exclude_masks, "File masks to leave out, ';'-separated");
  auto* ignore = scan->add_option("--ignore", o.ignore,
                                  "Folder pattern never scanned (replaces the default list)");
  scan->add_flag("--no-subdirs", o.no_subdirs, "Do not walk into subfolders");
  scan->add_flag("--exclude-container", o.exclude_container,
                 "Skip the files directly inside each given folder");
  scan->add_flag("--skip-hidden", o.skip_hidden, "Skip hidden files and folders");
  scan->add_flag("--skip-zero", o.skip_zero, "Skip empty files");
  scan->add_flag("--skip-hardlinks", o.skip_hardlinks, "Skip files with more than one name");
  scan->add_flag("--skip-temporary", o.skip_temporary, "Skip temporary files and folders");
  scan->add_flag("--skip-mount-points", o.skip_mount_points, "Do not enter other mounted file systems");
  scan->add_flag("--skip-compressed", o.skip_compressed, "Skip compressed files");
  scan->add_flag("--scan-trash", o.scan_trash, "Scan trash folders too");
  scan->add_flag("--scan-system", o.scan_system, "Scan system and application folders and special files");
  scan->add_flag("--match-name", o.match_name, "Duplicates must also have the same name");
  scan->add_flag("--match-extension", o.match_extension, "Duplicates must also have the same extension");
  scan->add_flag("--no-cache", o.no_cache, "Neither read nor write the checksum cache");
  scan->add_option("--cache", o.cache_file, "Use another checksum cache database");
  scan->add_option("--format", o.format, "text | json")->check(CLI::IsMember({"text", "json"}));
  scan->add_option("--output", o.output, "Write the results to FILE instead of standard output");
  app.add_option("--settings", o.settings_file,
                 "Read the defaults from this settings file (it is never written)");
  scan->add_option("--log-level", o.log_level, "0 none, 1 errors, 2 warnings, 3 everything")
      ->check(CLI::Range(0, 3));
  scan->add_flag("--quiet", o.quiet, "No progress and no summary on standard error");
  nrv::cli::TSelectActOptions act;
  nrv::cli::AddSelectActOptions(*scan, act);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }
  if (!*scan) {
    std::cout << app.help();
    return 0;
  }
  o.ignore_given = ignore->count() > 0;
  if (!o.settings_file.empty() && access(o.settings_file.c_str(), R_OK) != 0) {
    std::cerr << "norvalis-cli: cannot read the settings file " << o.settings_file << "\n";
    return 2;
  }
  nrv::TStartupOptions startup;
  startup.read_only_settings = true;
  startup.settings_file = o.settings_file;
  // The folders are given to the scan command itself, not as the window's
  // start-up folders.
  nrv::StartApplication({}, startup);
  if (o.log_level >= 0) {
    const auto& s = nrv::AppSettings();
    nrv::AppLog().Initialize(s.LogDirectory(), s.LoggingMaxDays(),
                             static_cast<nrv::TLogLevel>(o.log_level));
  }
  int rc = nrv::cli::RunScan(o, act);
  nrv::CloseApplication();
  nrv::AppData().Close();
  // Everything is written and closed; freeing a million scanned items one by one
  // would only make the user wait.
  std::cout.flush();
  std::fflush(nullptr);
  std::_Exit(rc);
}
