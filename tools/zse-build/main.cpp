// zse-build [--storage embedded|copy|reference] [--quiet] DESCRIPTION.json OUTPUT.zse
//
// Builds an instrument file from a readable description (see
// DescriptionReader.h for its fields). The instrument either embeds its
// samples (16-bit or float by the `sixteenBit` setting) or names WAVE files
// beside it, copied there or referenced where they lie. A bad description is
// reported with its line and field, and nothing is written; an existing
// output file is only ever replaced by a complete new one.

#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "DescriptionReader.h"
#include "InstrumentWriter.h"
#include "SampleCopy.h"

namespace
{
int usage(const char* problem)
{
    if (problem != nullptr)
        std::fprintf(stderr, "zse-build: %s\n", problem);
    std::fprintf(stderr, "usage: zse-build [--storage embedded|copy|reference] [--quiet] DESCRIPTION.json OUTPUT.zse\n");
    return 1;
}

void printSummary(const BuildPlan& plan, const std::string& output)
{
    size_t zones = 0;
    std::set<std::string> names;
    for (const GroupImage& group : plan.image.groups)
        for (const ZoneImage& zone : group.zones)
        {
            ++zones;
            names.insert(zone.sampleName);
        }
    const char* storage = plan.storage == SampleStorage::embedded ? (embeddedSampleWidth(plan.image.settings) == 2
                                                                         ? "samples embedded as 16-bit"
                                                                         : "samples embedded as float")
                        : plan.storage == SampleStorage::copy ? "WAVE files copied beside it"
                                                              : "WAVE files referenced";
    std::printf("%s: \"%s\", %zu groups, %zu zones, %zu samples, %s\n", output.c_str(), plan.image.name.c_str(),
                plan.image.groups.size(), zones, names.size(), storage);
}
} // namespace

int main(int argc, char* argv[])
{
    std::optional<SampleStorage> storage;
    bool quiet = false;
    std::string paths[2];
    int pathCount = 0;
    for (int k = 1; k < argc; ++k)
    {
        const std::string argument = argv[k];
        if (argument == "--storage")
        {
            if (k + 1 >= argc || !(storage = parseSampleStorage(argv[++k])))
                return usage("--storage takes embedded, copy or reference");
        }
        else if (argument == "--quiet")
            quiet = true;
        else if (argument == "--help" || argument == "-h")
        {
            usage(nullptr);
            return 0;
        }
        else if (argument.rfind("--", 0) == 0)
            return usage(("unknown option " + argument).c_str());
        else if (pathCount < 2)
            paths[pathCount++] = argument;
        else
            return usage("too many arguments");
    }
    if (pathCount != 2)
        return usage("a description and an output file are needed");

    BuildPlan plan;
    std::string error;
    if (!readDescription(paths[0], paths[1], storage, plan, error)
        || !copySampleFiles(plan.copies, error)
        || !writeInstrumentFile(plan.image, paths[1], error))
    {
        std::fprintf(stderr, "zse-build: %s\n", error.c_str());
        return 1;
    }
    if (!quiet)
        printSummary(plan, paths[1]);
    return 0;
}
