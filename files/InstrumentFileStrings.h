#pragma once
#include <cstddef>
#include <string>

class ZFile;

// Byte limits of the instrument file's string fields.
constexpr size_t instrumentStringLimit = 1024;
constexpr size_t layoutStringLimit = 52428800;

// Reads one zero-terminated string field of at most `limit` bytes, zero
// included. A field that reaches its limit without a zero byte keeps its first
// limit - 1 bytes; the file position is then just past the limit. A field cut
// off by the end of the file ends there.
std::string readFileString(ZFile& file, size_t limit);
