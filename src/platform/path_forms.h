#pragma once
#include <string>

namespace nrv::platform {

// Paths are byte strings exactly as the file system gives them; nothing here
// normalises, re-encodes or validates them. Folder paths end with "/".

// Linux needs no long-path prefix, so the path handed to system calls and the
// path shown to the user are the same text: returned unchanged.
std::string ToDisplayPath(const std::string& path);

// path with a "/" at its end ("" stays "").
std::string IncludeTrailingSeparator(const std::string& path);
// path without its trailing "/" runs; the root "/" stays "/".
std::string ExcludeTrailingSeparator(const std::string& path);
// The part after the last "/" ("" for a folder path that ends with "/").
std::string ExtractFileName(const std::string& path);
// Everything up to and including the last "/" ("" when there is none).
std::string ExtractFilePath(const std::string& path);
// The extension of the file name with its dot: "a.tar.gz" gives ".gz". "" when the
// name has no dot after its first character, so the leading dot of a hidden name
// (".bashrc") is not an extension while ".config.bak" has ".bak".
std::string ExtractFileExt(const std::string& path);

}  // namespace nrv::platform
