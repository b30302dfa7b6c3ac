// A bad description is reported with its line and field, and nothing is
// written.

#include <gtest/gtest.h>

#include <filesystem>

#include "DescriptionReader.h"
#include "ToolRun.h"
#include "files/FileTestSupport.h"

namespace
{
std::string makeSamples(const std::string& name)
{
    const std::string folder = freshFolder(name);
    std::filesystem::create_directories(folder + "/samples");
    const Bytes wave = WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2, 3, 4, 5, 6 })).build();
    writeScratchFile(name + "/samples/a.wav", wave);
    writeScratchFile(name + "/samples/b.wav", wave);
    writeScratchFile(name + "/outside.wav", wave);
    return folder + "/samples";
}

struct BadDescription
{
    const char* problem;
    const char* text;
    const char* expected;  // what the message says after the file name
};

const BadDescription badDescriptions[] = {
    { "unknown instrument field", "{\n  \"nmae\": \"x\"\n}", ":2: unknown field \"nmae\"" },
    { "unknown settings field in a zone",
      "{ \"groups\": [ { \"zones\": [\n"
      "  { \"sample\": \"a.wav\",\n"
      "    \"settings\": {\n"
      "      \"lowkey\": 60 } } ] } ] }",
      ":4: groups[0].zones[0].settings: unknown field \"lowkey\"" },
    { "unknown group field", "{ \"groups\": [\n { \"name\": \"g\",\n   \"zone\": [] } ] }",
      ":3: groups[0]: unknown field \"zone\"" },
    { "text for a number", "{ \"groups\": [ {\n \"settings\": {\n  \"volume\": \"loud\" } } ] }",
      ":3: groups[0].settings.volume: expected a number, not a string" },
    { "key out of range",
      "{ \"groups\": [ { \"zones\": [ { \"sample\": \"a.wav\",\n \"settings\": { \"highKey\": 128 } } ] } ] }",
      ":2: groups[0].zones[0].settings.highKey: expected a whole number from 0 to 127, not 128" },
    { "fraction for a count", "{\n\n \"settings\": { \"voiceCount\": 2.5 } }",
      ":3: settings.voiceCount: expected a whole number from 1 to 256, not 2.5" },
    { "flag out of range", "{ \"settings\": {\n \"sixteenBit\": 2 } }",
      ":2: settings.sixteenBit: expected a whole number from 0 to 1 (or true/false), not 2" },
    { "bad colour", "{ \"settings\": {\n \"playerColour\": \"red\" } }", ":2: settings.playerColour: expected a colour" },
    { "missing comma", "{\n  \"name\": \"x\"\n  \"vendor\": \"y\"\n}", ":3: expected ',' or '}'" },
    { "field given twice", "{\n  \"name\": \"x\",\n  \"name\": \"y\"\n}", ":3: field \"name\" is given twice" },
    { "string not closed", "{\n  \"name\": \"x\n}", ":2: a string is not closed on its line" },
    { "text after the end", "{}\n\n}", ":3: unexpected text after the description's closing bracket" },
    { "missing sample file",
      "{ \"groups\": [ { \"zones\": [\n\n  { \"sample\": \"missing.wav\" } ] } ] }",
      ":3: groups[0].zones[0].sample: cannot open \"missing.wav\": not found" },
    { "not a WAVE file", "{ \"groups\": [ { \"zones\": [\n  { \"sample\": \"../outside.json\" } ] } ] }",
      ":2: groups[0].zones[0].sample: cannot open" },
    { "zone without a sample", "{ \"groups\": [ { \"zones\": [\n  { \"settings\": {} } ] } ] }",
      ":2: groups[0].zones[0]: a zone needs a \"sample\"" },
    { "one name for two files",
      "{ \"groups\": [ { \"zones\": [\n"
      "  { \"sample\": \"a.wav\", \"sampleName\": \"same\" },\n"
      "  { \"sample\": \"b.wav\", \"sampleName\": \"same\" } ] } ] }",
      ":3: groups[0].zones[1].sampleName: the sample name \"same\" already stands for another file" },
    { "copy of a sample outside the folder",
      "{ \"storage\": \"copy\", \"groups\": [ { \"zones\": [\n  { \"sample\": \"../outside.wav\" } ] } ] }",
      ":2: groups[0].zones[0].sample: copy storage takes samples inside the description's folder" },
    { "own name with files beside", "{ \"storage\": \"reference\", \"groups\": [ { \"zones\": [\n"
      "  { \"sample\": \"a.wav\",\n    \"sampleName\": \"x\" } ] } ] }",
      ":3: groups[0].zones[0].sampleName: only an embedded instrument stores a name of its own" },
    { "missing layout file", "{\n \"layout\": \"nowhere.xml\" }", ":2: layout: cannot read \"nowhere.xml\"" },
    { "unknown storage", "{\n \"storage\": \"zip\" }", ":2: storage: expected \"embedded\", \"copy\" or \"reference\"" },
    { "groups not a list", "{\n \"groups\": {} }", ":2: groups: expected a list, not an object" },
};
} // namespace

TEST(BuilderDescriptionErrors, EachProblemIsReportedWithItsLineAndField)
{
    const std::string folder = makeSamples("errors-messages");
    writeTextFile(folder + "/../outside.json", "{}");
    for (const BadDescription& bad : badDescriptions)
    {
        SCOPED_TRACE(bad.problem);
        const std::string path = folder + "/d.json";
        writeTextFile(path, bad.text);
        BuildPlan plan;
        std::string error;
        EXPECT_FALSE(readDescription(path, folder + "/out.zse", std::nullopt, plan, error));
        EXPECT_NE(error.find(path + bad.expected), std::string::npos) << error;
    }
}

TEST(BuilderDescriptionErrors, ABadDescriptionLeavesAnExistingInstrumentUntouched)
{
    const std::string folder = makeSamples("errors-untouched");
    const std::string output = folder + "/keep.zse";
    const Bytes previous = { 'o', 'l', 'd' };
    writeScratchFile("errors-untouched/samples/keep.zse", previous);
    writeTextFile(folder + "/bad.json",
                  "{ \"groups\": [ { \"zones\": [\n  { \"sample\": \"a.wav\" },\n  { \"sample\": \"gone.wav\" } ] } ] }");
    const std::vector<std::string> before = folderEntries(folder);

    const ToolResult result = runTool(ZSE_BUILD_PROGRAM, { folder + "/bad.json", output });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("bad.json:3: groups[0].zones[1].sample: cannot open \"gone.wav\""), std::string::npos)
        << result.err;
    EXPECT_EQ(readWholeFile(output), previous);
    EXPECT_EQ(folderEntries(folder), before);
}

TEST(BuilderDescriptionErrors, CommandLineMistakesAreRefused)
{
    const std::string folder = makeSamples("errors-usage");
    writeTextFile(folder + "/ok.json", "{}");
    for (const std::vector<std::string>& arguments :
         { std::vector<std::string> {}, { folder + "/ok.json" }, { "--storage", "zip", folder + "/ok.json", "x.zse" },
           { "--bogus", folder + "/ok.json", folder + "/x.zse" }, { folder + "/missing.json", folder + "/x.zse" } })
    {
        const ToolResult result = runTool(ZSE_BUILD_PROGRAM, arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find("zse-build: "), std::string::npos);
    }
    EXPECT_EQ(folderEntries(folder), (std::vector<std::string> { "a.wav", "b.wav", "ok.json" }));
}
