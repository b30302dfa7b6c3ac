#include "files/SamplePath.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace
{
std::string replaced(std::string text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

bool hasDriveLetter(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

// The entry of `folder` whose name matches `wanted` ignoring case; the first
// in byte order when several do, so the choice does not depend on the order
// the folder lists its entries in.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& wanted)
{
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? std::string(".") : folder, error);
    std::optional<std::string> best;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error))
    {
        std::string entryName = entries->path().filename().string();
        if (equalIgnoringCase(entryName, wanted) && (!best || entryName < *best))
            best = std::move(entryName);
    }
    return best;
}
}

std::string resolveSamplePath(const std::string& sampleName, const std::string& instrumentPath)
{
    if (sampleName.empty() || (!instrumentPath.empty() && instrumentPath[0] == '.'))
        return sampleName;
    if (sampleName[0] == '\\' || (sampleName.size() >= 2 && sampleName[1] == ':'))
        return sampleName;

    const bool posixInstrument = instrumentPath.find('/') != std::string::npos
                              && instrumentPath.find('\\') == std::string::npos;
    const std::string instrument = replaced(instrumentPath, '/', '\\');
    std::string name = replaced(sampleName, '/', '\\');

    static const std::string parent = "..\\";
    size_t ups = 0;
    size_t afterLast = 0;
    for (size_t at = name.find(parent); at != std::string::npos; at = name.find(parent, at + parent.size()))
    {
        ++ups;
        afterLast = at + parent.size();
    }
    if (ups > 0)
        name = name.substr(afterLast);

    const size_t lastSeparator = instrument.rfind('\\');
    std::string base = lastSeparator == std::string::npos ? instrument : instrument.substr(0, lastSeparator);
    for (size_t k = 0; k < ups; ++k)
    {
        const size_t cut = base.rfind('\\');
        if (cut == std::string::npos)
            break;
        base.resize(cut);
    }

    const std::string resolved = base + "\\" + name;
    return posixInstrument ? replaced(resolved, '\\', '/') : resolved;
}

std::string toPlatformPath(const std::string& windowsFormPath)
{
    const std::string mapped = replaced(windowsFormPath, '\\', '/');
    if (mapped.empty() || hasDriveLetter(mapped) || exists(mapped))
        return mapped;

    // Instruments made on Windows often name their samples in another letter
    // case than the disk holds them: look each part up again.
    std::vector<std::string> parts;
    for (size_t start = 0; start <= mapped.size();)
    {
        const size_t end = std::min(mapped.find('/', start), mapped.size());
        parts.push_back(mapped.substr(start, end - start));
        start = end + 1;
    }

    std::string result;
    bool lookingUp = true;
    for (size_t k = 0; k < parts.size(); ++k)
    {
        const std::string& part = parts[k];
        std::string chosen = part;
        if (lookingUp && !part.empty() && part != "." && part != ".." && !exists(result + part))
        {
            if (const auto found = findIgnoringCase(result, part))
                chosen = *found;
            else
                lookingUp = false;  // nothing below a missing folder can be found
        }
        result += chosen;
        if (k + 1 < parts.size())
            result += '/';
    }
    return result;
}
