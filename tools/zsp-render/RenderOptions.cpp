#include "RenderOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

const char* const renderUsage =
    "usage: zsp-render --instrument PATH.zse --midi PATH.mid --output PATH.wav\n"
    "                  [--sample-rate 44100] [--block-size 512] [--tail 2.0] [--outputs N]\n"
    "                  [--seed 1] [--quiet]\n";

namespace
{
template <typename Number>
bool parseWhole(const std::string& text, Number minimum, Number maximum, Number& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && value >= minimum && value <= maximum;
}

bool parseSeconds(const std::string& text, double& value)
{
    char* stop = nullptr;
    value = std::strtod(text.c_str(), &stop);
    return !text.empty() && stop == text.c_str() + text.size() && std::isfinite(value) && value >= 0.0
        && value <= 3600.0;
}
} // namespace

bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error)
{
    options = RenderOptions {};
    for (size_t k = 0; k < arguments.size(); ++k)
    {
        const std::string& name = arguments[k];
        if (name == "--quiet")
        {
            options.quiet = true;
            continue;
        }
        if (name == "--help" || name == "-h")
        {
            options.help = true;
            return true;
        }
        const bool known = name == "--instrument" || name == "--midi" || name == "--output" || name == "--sample-rate"
                        || name == "--block-size" || name == "--tail" || name == "--outputs" || name == "--seed";
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
            ok = parseSeconds(value, options.tailSeconds);
        else if (name == "--outputs")
            ok = parseWhole(value, 1, maxOutputs, options.outputs);
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
            };
            const char* what = "a path";
            for (const auto& entry : expected)
                if (name == entry[0])
                    what = entry[1];
            error = name + " takes " + what + ", not \"" + value + "\"";
            return false;
        }
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
