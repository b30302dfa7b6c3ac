#pragma once
// The command line of zsp-render.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class RenderFormat { f32, s16, s24 };

struct RenderOptions
{
    std::string instrumentPath;
    std::string midiPath;
    std::string outputPath;  // "-" for standard output
    int64_t sampleRate = 44100;
    int blockSize = 512;
    double tailSeconds = 2.0;
    // With a level: the render ends when every output has stayed below it
    // for a second after the last event, instead of after the tail.
    std::optional<double> untilSilentDb;
    RenderFormat format = RenderFormat::f32;
    int outputs = 1;  // stereo pairs
    uint32_t seed = 1;
    // Render an instrument whose samples are not all there (without them);
    // a damaged instrument file is refused all the same.
    bool allowMissingSamples = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

constexpr int maxOutputs = 16;
// The level --until-silent uses when none is given, in dB below full scale.
constexpr double defaultSilenceDb = -80.0;
// The longest an --until-silent render runs after the last event, so an
// instrument that never falls silent (a held loop) still ends.
constexpr double untilSilentLimitSeconds = 60.0;

// Parses the arguments after the program name. False with a message naming
// the option and the problem otherwise.
bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error);

extern const char* const renderUsage;
