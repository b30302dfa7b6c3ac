#include "engine/ZLoadReport.h"

#include "files/PrintableText.h"

std::string ZLoadReport::missingSamplesText(size_t shown) const
{
    std::string text = std::to_string(missingSamples.size()) + " of " + std::to_string(zoneRecords) + " zones:";
    for (size_t k = 0; k < missingSamples.size() && k < shown; ++k)
    {
        const ZMissingSample& missing = missingSamples[k];
        text += std::string(k == 0 ? " " : ", ") + quotedText(missing.sampleName) + " (group "
              + std::to_string(missing.group + 1) + " zone " + std::to_string(missing.zone + 1) + ", "
              + (missing.resolvedPath.empty() ? "" : quotedText(missing.resolvedPath) + ": ")
              + printableText(missing.reason) + ")";
    }
    if (missingSamples.size() > shown)
        text += " and " + std::to_string(missingSamples.size() - shown) + " more";
    return text;
}

std::string ZLoadReport::describe(size_t shownSamples) const
{
    std::string text;
    if (!problem.empty())
        text += problem + "\n";
    if (!missingSamples.empty())
        text += "missing samples: " + missingSamplesText(shownSamples) + "\n";
    return text;
}
