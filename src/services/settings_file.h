#pragma once
#include <string>

namespace nrv {

// Whole-file access for the settings file.

bool FileExists(const std::string& path);
// The whole content; throws std::system_error when the file cannot be read.
std::string ReadWholeFile(const std::string& path);
// Replaces the file with `content` so that it is never seen half-written: the
// content goes to a temporary file in the same folder, is flushed to disk and
// then renamed over the old file (whose permissions it takes over). A symbolic
// link is followed, so the link stays. The folder is created when missing.
// Throws std::system_error; on failure the old file is untouched and the
// temporary file removed.
void WriteFileAtomically(const std::string& path, const std::string& content);
// Creates the folder and its parents; throws std::system_error on failure.
void CreateFolders(const std::string& path);

}  // namespace nrv
