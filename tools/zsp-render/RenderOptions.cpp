#include "RenderOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

const char* const renderUsage =
    "usage: zsp-render --instrument PATH.zse --midi PATH.mid --output PATH.wav|-\n"
    "                  [--format f32|s16|s24] [--sample-rate 44100] [--block-size 512]\n"
    "                  [--tail 2.0 | --until-silent [DB]] [--outputs N] [--seed 1]\n"
    "                  [--allow-missing-samples] [--quiet]\n"
    "       zsp-render --help | --version\n"
    "\n"
    "Renders a MIDI file through the player's own processor into a WAVE file.\n"
    "  --output PATH     the WAVE file; \"-\" writes it to standard output, a named\n"
    "                    pipe or a device (/dev/null) is written into as it is\n"
    "  --format F        f32: 32-bit float (default); s16, s24: 16- or 24-bit integer\n"
    "                    PCM, rounded to the nearest step, full scale clipped\n"
    "  --sample-rate HZ  1000 to 768000 (default 44100)\n"
    "  --block-size N    frames per processing block, 1 to 65536 (default 512)\n"
    "  --tail SECONDS    how long the render goes on after the last MIDI event\n"
    "                    (default 2.0; the length is exact to the sample)\n"
    "  --until-silent [DB]  instead of a fixed tail, end once every output has\n"
    "                    stayed below DB (default -80 dBFS) for one second after the\n"
    "                    last event; at most 60 seconds after it\n"
    "  --outputs N       stereo outputs written, 1 to 16 (default 1: 2 channels)\n"
    "  --seed N          seed of the random zone choice (default 1)\n"
    "  --allow-missing-samples  render even when sample files of the instrument\n"
    "                    are missing (their zones stay silent); without it that\n"
    "                    is an error, as a damaged instrument file always is\n"
    "  --quiet           no progress bar and no report at the end\n"
    "The report (length, peak per output, clipped samples, notes that found no\n"
    "zone, missing samples) goes to standard output, or to standard error when the\n"
    "WAVE file goes to standard output. Exit status 0 on success, 1 otherwise.\n";

namespace
{
template <typename Number>
bool parseWhole(const std::string& text, Number minimum, Number maximum, Number& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && value >= minimum && value <= maximum;
}

bool parseReal(const std::string& text, double minimum, double maximum, double& value)
{
    char* stop = nullptr;
    value = std::strtod(text.c_str(), &stop);
    return !text.empty() && stop == text.c_str() + text.size() && std::isfinite(value) && value >= minimum
        && value <= maximum;
}

std::optional<RenderFormat> parseFormat(const std::string& text)
{
    if (text == "f32")
        return RenderFormat::f32;
    if (text == "s16")
        return RenderFormat::s16;
    if (text == "s24")
        return RenderFormat::s24;
    return std::nullopt;
}

// A number where an option's optional value could stand (negative levels
// start with "-" like options do).
bool looksLikeNumber(const std::string& text)
{
    double ignored = 0.0;
    return parseReal(text, -1e300, 1e300, ignored);
}
} // namespace

bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error)
{
    options = RenderOptions {};
    bool tailGiven = false;
    for (size_t k = 0; k < arguments.size(); ++k)
    {
        const std::string& name = arguments[k];
        if (name == "--quiet")
        {
            options.quiet = true;
            continue;
        }
        if (name == "--allow-missing-samples")
        {
            options.allowMissingSamples = true;
            continue;
        }
        if (name == "--help" || name == "-h")
        {
            options.help = true;
            return true;
        }
        if (name == "--version")
        {
            options.version = true;
            return true;
        }
        if (name == "--until-silent")
        {
            options.untilSilentDb = defaultSilenceDb;
            if (k + 1 < arguments.size() && looksLikeNumber(arguments[k + 1]))
            {
                double level = 0.0;
                if (!parseReal(arguments[++k], -200.0, 0.0, level))
                {
                    error = "--until-silent takes a level in dB from -200 to 0, not \"" + arguments[k] + "\"";
                    return false;
                }
                options.untilSilentDb = level;
            }
            continue;
        }
        const bool known = name == "--instrument" || name == "--midi" || name == "--output" || name == "--sample-rate"
                        || name == "--block-size" || name == "--tail" || name == "--outputs" || name == "--seed"
                        || name == "--format";
        if (!known)
        {
            error = name.rfind("-", 0) == 0 ? "unknown option " + name : "unexpected argument " + name;
            return false;
        }
        if (k + 1 >= arguments.size())
        {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = arguments[++k];
        bool ok = true;
        if (name == "--instrument")
            options.instrumentPath = value;
        else if (name == "--midi")
            options.midiPath = value;
        else if (name == "--output")
            options.outputPath = value;
        else if (name == "--sample-rate")
            ok = parseWhole<int64_t>(value, 1000, 768000, options.sampleRate);
        else if (name == "--block-size")
            ok = parseWhole(value, 1, 65536, options.blockSize);
        else if (name == "--tail")
            ok = tailGiven = parseReal(value, 0.0, 3600.0, options.tailSeconds);
        else if (name == "--outputs")
            ok = parseWhole(value, 1, maxOutputs, options.outputs);
        else if (name == "--format")
        {
            const auto format = parseFormat(value);
            ok = format.has_value();
            options.format = format.value_or(RenderFormat::f32);
        }
        else
            ok = parseWhole<uint32_t>(value, 0, UINT32_MAX, options.seed);
        if (!ok || value.empty())
        {
            static const char* const expected[][2] = {
                { "--sample-rate", "a whole number of Hz from 1000 to 768000" },
                { "--block-size", "a whole number from 1 to 65536" },
                { "--tail", "seconds from 0 to 3600" },
                { "--outputs", "a whole number from 1 to 16" },
                { "--seed", "a whole number from 0 to 4294967295" },
                { "--format", "f32, s16 or s24" },
            };
            const char* what = "a path";
            for (const auto& entry : expected)
                if (name == entry[0])
                    what = entry[1];
            error = name + " takes " + what + ", not \"" + value + "\"";
            return false;
        }
    }
    if (tailGiven && options.untilSilentDb)
    {
        error = "--tail and --until-silent choose the end in two ways; give one of them";
        return false;
    }
    for (const auto& [path, option] : { std::pair { &options.instrumentPath, "--instrument" },
                                        std::pair { &options.midiPath, "--midi" },
                                        std::pair { &options.outputPath, "--output" } })
        if (path->empty())
        {
            error = std::string(option) + " is needed";
            return false;
        }
    return true;
}
