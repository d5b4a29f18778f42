#include "services/startup.h"

#include <sys/stat.h>

#include <algorithm>

#include "build_config.h"
#include "scanners/register_scan_modes.h"
#include "services/app_log.h"
#include "services/app_settings.h"
#include "services/language_controller.h"
#include "services/product_info.h"

namespace nrv {

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string FindLanguagesFolder() {
  const std::string beside = ProgramFolder() + "Languages";
  if (IsFolder(beside)) return beside;
  const std::string installed = std::string(NORVALIS_INSTALL_PREFIX) + "/share/norvalis/Languages";
  if (IsFolder(installed)) return installed;
  return beside;
}

void StartApplication(const std::vector<std::string>& args, const TStartupOptions& options) {
  RegisterScanModes();
  LanguageController().SetLanguagesPath(
      options.languages_folder.empty() ? FindLanguagesFolder() : options.languages_folder);

  TAppSettings& settings = AppSettings();
  settings.SetReadOnly(options.read_only_settings);
  if (!options.settings_file.empty()) settings.SetSettingsFileName(options.settings_file);
  settings.ProcessCommandLine(args);
  settings.LoadSettings();

  const int level = std::clamp(settings.LoggingLevel(), 0, 3);
  AppLog().Initialize(settings.LogDirectory(), settings.LoggingMaxDays(),
                      static_cast<TLogLevel>(level));
  AppLog().WriteLog("Starting application", 3);
}

void CloseApplication() {
  AppLog().WriteLog("Application closed", 3);
  AppLog().Flush();
}

}  // namespace nrv
