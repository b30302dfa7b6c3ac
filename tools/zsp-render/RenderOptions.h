#pragma once
// The command line of zsp-render.

#include <cstdint>
#include <string>
#include <vector>

struct RenderOptions
{
    std::string instrumentPath;
    std::string midiPath;
    std::string outputPath;
    int64_t sampleRate = 44100;
    int blockSize = 512;
    double tailSeconds = 2.0;
    int outputs = 1;  // stereo pairs
    uint32_t seed = 1;
    bool quiet = false;
    bool help = false;
};

constexpr int maxOutputs = 16;

// Parses the arguments after the program name. False with a message naming
// the option and the problem otherwise.
bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error);

extern const char* const renderUsage;
