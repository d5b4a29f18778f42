#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "services/ini_file.h"

namespace nrv::settings_values {

// How the settings file writes its values. Reads fall back to the default
// when a value is absent or malformed.

// Booleans are written "1"/"0" and read as integers, non-zero meaning true (so
// a hand-written "true" gives the default).
void WriteBool(TIniFile& ini, const std::string& section, const std::string& key, bool value);
bool ReadBool(const TIniFile& ini, const std::string& section, const std::string& key, bool def);

void WriteInt(TIniFile& ini, const std::string& section, const std::string& key, int32_t value);
int32_t ReadInt(const TIniFile& ini, const std::string& section, const std::string& key,
                int32_t def);

// Floats use the decimal separator of the user's locale (LC_NUMERIC of the
// environment); a value with another separator gives the default.
char UserDecimalSeparator();
std::string FormatFloat(float value, char decimal_separator);
bool ParseFloat(const std::string& text, char decimal_separator, float& value);
void WriteFloat(TIniFile& ini, const std::string& section, const std::string& key, float value);
float ReadFloat(const TIniFile& ini, const std::string& section, const std::string& key, float def);

// A folder list is written as upper-case hexadecimal of its lines, each
// followed by CR LF. Paths are kept as the bytes the file system gave, so no
// name is ever altered; only CR LF separates entries.
std::string EncodeFolderList(const std::vector<std::string>& folders);
std::vector<std::string> DecodeFolderList(const std::string& hex);

}  // namespace nrv::settings_values
