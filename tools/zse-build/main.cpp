// zse-build [--storage embedded|copy|reference] [--quiet] DESCRIPTION.json OUTPUT.zse|-
// zse-build --list INSTRUMENT.zse
//
// Builds an instrument file from a readable description (every field is in
// docs/instrument-description.md). The instrument either embeds its samples
// (16-bit or float by the `sixteenBit` setting) or names WAVE files beside
// it, copied there or referenced where they lie. A bad description is
// reported with its line and field, and nothing is written; an existing
// output file is only ever replaced by a complete new one, and a failed or
// interrupted build leaves no file of its own behind. --list prints what an
// instrument file holds.

#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "DescriptionReader.h"
#include "FileIdentity.h"
#include "InstrumentListing.h"
#include "InstrumentWriter.h"
#include "InterruptCleanup.h"
#include "OutputFile.h"
#include "SampleCopy.h"
#include "ToolVersion.h"

namespace
{
const char* const usageText =
    "usage: zse-build [--storage embedded|copy|reference] [--quiet] DESCRIPTION.json OUTPUT.zse|-\n"
    "       zse-build --list INSTRUMENT.zse\n"
    "       zse-build --help | --version\n"
    "\n"
    "Builds an instrument from a JSON description and its samples (WAVE, AIFF,\n"
    "FLAC, Ogg ...); docs/instrument-description.md describes every field.\n"
    "  --storage embedded  samples inside the instrument (the default)\n"
    "  --storage copy      plain PCM WAVE copies beside the instrument\n"
    "  --storage reference the WAVE files where they are, named relative to it\n"
    "  --quiet             no summary line\n"
    "  --list FILE         print what an instrument holds: settings that differ\n"
    "                      from a new instrument's, groups, zones, missing samples\n"
    "OUTPUT \"-\" writes the instrument to standard output (embedded storage only);\n"
    "a named pipe or a device is written into as it is.\n";

int usage(const char* problem)
{
    std::fprintf(stderr, "zse-build: %s\n", problem);
    std::fputs(usageText, stderr);
    return 1;
}

int failure(const std::string& message)
{
    std::fprintf(stderr, "zse-build: %s\n", message.c_str());
    return 1;
}

void printSummary(const BuildPlan& plan, const std::string& output, FILE* to)
{
    size_t zones = 0;
    std::set<std::string> names;
    for (const GroupImage& group : plan.image.groups)
        for (const ZoneImage& zone : group.zones)
        {
            ++zones;
            names.insert(zone.sampleName);
        }
    size_t converted = 0;
    for (const SampleCopy& copy : plan.copies)
        converted += copy.converted != nullptr ? 1 : 0;
    const std::string storage
        = plan.storage == SampleStorage::embedded
            ? (embeddedSampleWidth(plan.image.settings) == 2 ? "samples embedded as 16-bit" : "samples embedded as float")
        : plan.storage == SampleStorage::copy
            ? "WAVE files copied beside it"
                  + (converted > 0 ? " (" + std::to_string(converted) + " converted to PCM WAVE)" : std::string())
            : "WAVE files referenced";
    std::fprintf(to, "%s: \"%s\", %zu groups, %zu zones, %zu samples, %s\n", output == "-" ? "standard output" : output.c_str(),
                 plan.image.name.c_str(), plan.image.groups.size(), zones, names.size(), storage.c_str());
}

int build(const std::string& descriptionPath, const std::string& outputPath, std::optional<SampleStorage> storage,
          bool quiet)
{
    BuildPlan plan;
    std::string error;
    if (!readDescription(descriptionPath, outputPath, storage, plan, error)
        || !outputIsNoInput(outputPath, plan.inputs, error))
        return failure(error);

    // The instrument's output first, so a folder or device in its place is
    // refused before any sample is copied.
    std::unique_ptr<OutputFile> output = OutputFile::open(outputPath, error);
    if (output == nullptr)
        return failure(error);
    StagedCopies copies;
    if (!copies.stage(plan.copies, error) || !writeInstrument(plan.image, *output, error))
        return failure(error);
    // The copies appear first, so the instrument never names a missing file.
    std::vector<OutputFile*> outputs = copies.outputs();
    outputs.push_back(output.get());
    if (!commitTogether(outputs, error))
        return failure(error);
    copies.keep();
    if (!quiet)
        printSummary(plan, outputPath, output->isStandardOutput() ? stderr : stdout);
    return 0;
}

int list(const std::string& path)
{
    ZInstrument instrument;
    ZLoadReport report;
    std::string error;
    if (!readInstrumentListing(path, instrument, report, error))
        return failure(error);
    std::fputs(formatInstrumentListing(path, instrument, report).c_str(), stdout);
    return report.fileIsWhole() ? 0 : 1;
}
} // namespace

int main(int argc, char* argv[])
{
    std::optional<SampleStorage> storage;
    bool quiet = false;
    bool listing = false;
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
        else if (argument == "--list")
            listing = true;
        else if (argument == "--help" || argument == "-h")
        {
            std::fputs(usageText, stdout);
            return 0;
        }
        else if (argument == "--version")
        {
            std::fputs(toolVersionLine("zse-build").c_str(), stdout);
            return 0;
        }
        else if (argument.rfind("--", 0) == 0)
            return usage(("unknown option " + argument).c_str());
        else if (pathCount < 2)
            paths[pathCount++] = argument;
        else
            return usage("too many arguments");
    }
    if (listing)
    {
        if (pathCount != 1 || storage)
            return usage("--list takes one instrument file and no other option");
        return list(paths[0]);
    }
    if (pathCount != 2)
        return usage("a description and an output file are needed");
    interrupt_cleanup::install();
    return build(paths[0], paths[1], storage, quiet);
}
