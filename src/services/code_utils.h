#pragma once
#include <cstdint>
#include <string>

namespace nrv {

// Table-driven CRC-32 (reflected 0xEDB88320); no initial value, no final complement.
void UpdateCrc32(const void* buffer, uint16_t length, uint32_t& crc);
// Reflected CRC-16 (0x8408) of the UTF-8 bytes, started at 0xFFFF, no final complement.
uint16_t Crc16OfText(const std::string& text);
// "*" any run, "?" any one character, letter case ignored; the pattern covers the whole text.
bool MatchesWildcard(const std::string& pattern, const std::string& text);
// Unit codes 0 B, 1 KB, 2 MB, 3 GB; 3 on entry means automatic. Returns the number only.
std::string FormatSize(int64_t size, int& unit);
// -1 when the size cannot be read; throws std::system_error when the file cannot be opened.
int64_t FileSizeOf(const std::string& path);
// index is 1-based and moves past the separator.
std::string NextToken(size_t& index, const std::string& text, char separator);
// Decodes UTF-8; stops at the first malformed, overlong or truncated sequence.
std::string Utf8ToText(const std::string& bytes);  // the decoded prefix, as UTF-8
// "m:ss" or "h:mm:ss".
std::string FormatDuration(double seconds);

}  // namespace nrv
