#pragma once
// The readers open files by path, so each fuzz input is written to a file of
// this process first (in /dev/shm when it exists, to keep it off the disk).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

inline const std::string& fuzzInputPath(const char* kind)
{
    static const std::string path = [kind] {
        const std::filesystem::path folder = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                                   : std::filesystem::temp_directory_path();
        return (folder / ("zsp-fuzz-" + std::string(kind) + "-" + std::to_string(::getpid()))).string();
    }();
    return path;
}

inline bool writeFuzzInput(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}
