#pragma once
#include <string>

#include "engine/date_time.h"

namespace nrv {

// What the program knows about itself and its installation. Plain functions
// without state; only ReleaseDate may write a log line.

std::string ProductName();
// The project's version as set in the build ("0.0.0.0" if the build set none).
std::string AppVersion();
// "Norvalis v1.2.3 - <operating system>", plus " - " and the translated
// "Administrator" when the user is root or a member of "sudo" or "wheel".
std::string TitleLine();
// PRETTY_NAME of os-release with the kernel release and machine of uname.
std::string OperatingSystemDescription();
bool IsAdministrator();
// PRETTY_NAME of an os-release file; empty when the file or the key is missing.
std::string ReadOsPrettyName(const std::string& os_release_path);

// The day of the release (local midnight), fixed by the build.
TDateTime ReleaseDate();
// The release date from the decimal day count since 1899-12-30. A date later
// than today or before 2012 gives today; text that is no day count gives today
// and writes "Failed to get release date" to the log.
TDateTime ReleaseDateFromText(const std::string& day_count);
// Local midnight of today.
TDateTime Today();

// Folder of the running executable, with a trailing "/".
std::string ProgramFolder();
// $XDG_DATA_HOME/Norvalis/ — the per-user data folder.
std::string UserFolder();
// The default folder of the log files.
std::string LogFolder();
std::string UpdaterPath();

// The tag of this installation from /etc/norvalis/tag, trimmed and lower-cased;
// empty when it cannot be read.
std::string DistributionTag();
std::string ReadDistributionTag(const std::string& path);
bool IsPartnerEdition();
bool IsPartnerTag(const std::string& tag);

// The vendor's web addresses. The overloads without a tag use DistributionTag().
std::string SiteText();
std::string SiteUrl();
std::string SiteUrl(const std::string& tag);
std::string HelpUrl();
std::string HelpUrl(const std::string& tag);
std::string EulaUrl();
std::string EulaUrl(const std::string& tag);
std::string UserManualUrl();
std::string UpdateListUrl();
std::string UpdateListUrl(const std::string& tag);

}  // namespace nrv
