#pragma once
#include <cstddef>
#include <string>

class ZFile;

// Byte limits of the instrument file's string fields.
constexpr size_t instrumentStringLimit = 1024;
constexpr size_t layoutStringLimit = 52428800;

// How a string field ended.
enum class FileStringEnd
{
    zeroByte,   // its terminating zero byte was read
    limit,      // it reached its limit without a zero byte
    endOfFile,  // the file ended first
};

// Reads one zero-terminated string field of at most `limit` bytes, zero
// included. A field that reaches its limit without a zero byte keeps its first
// limit - 1 bytes; the file position is then just past the limit. A field cut
// off by the end of the file ends there. `end`, when given, says which of
// these happened.
std::string readFileString(ZFile& file, size_t limit, FileStringEnd* end = nullptr);
