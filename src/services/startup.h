#pragma once
#include <string>
#include <vector>

namespace nrv {

struct TStartupOptions {
  // The settings file to use; empty for the user's own file.
  std::string settings_file;
  // The command-line program reads the settings for its defaults and never
  // writes them.
  bool read_only_settings = false;
  // The folder of the language files; empty to look beside the executable,
  // then in the installed data folder.
  std::string languages_folder;
};

// Brings up the services both programs share, in this order: the scan modes,
// the language folder, the command line (folders in `args` become the include
// folders of the first scan), the settings, the log with its three settings,
// and the log line "Starting application". `args` leaves out the program name.
void StartApplication(const std::vector<std::string>& args, const TStartupOptions& options = {});

// Writes "Application closed" and flushes the log. The settings are not saved
// here: the window saves them when it closes.
void CloseApplication();

// The folder of the language files: "Languages" beside the executable when it
// exists, else the installed one (<prefix>/share/norvalis/Languages), else the
// first (which then offers English only).
std::string FindLanguagesFolder();

}  // namespace nrv
