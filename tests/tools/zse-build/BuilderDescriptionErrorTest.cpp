// A bad description is reported with its line and field, and nothing is
// written; the forms a good one may take are accepted.

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

// One zone of a.wav with the given settings, on line 2.
#define ZONE(settings) "{ \"groups\": [ { \"zones\": [ { \"sample\": \"a.wav\",\n \"settings\": { " settings " } } ] } ] }"

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

    // Values that make no sense. The sample a.wav has 6 frames.
    { "instrument volume too loud", "{ \"settings\": {\n \"volume\": 30 } }",
      ":2: settings.volume: expected a number from -144 to 24, not 30" },
    { "group volume below any level", "{ \"groups\": [ { \"settings\": {\n \"volume\": -200 } } ] }",
      ":2: groups[0].settings.volume: expected a number from -144 to 24, not -200" },
    { "negative attack", ZONE("\"attack\": -1"), ":2: groups[0].zones[0].settings.attack: expected a number from 0 to 600000, not -1" },
    { "negative release", ZONE("\"release\": -0.5"), ":2: groups[0].zones[0].settings.release: expected a number from 0 to 600000, not -0.5" },
    { "negative glide time", "{ \"settings\": {\n \"glideTime\": -10 } }", ":2: settings.glideTime: expected a number from 0 to 600000" },
    { "negative release-trigger decay", "{ \"groups\": [ { \"settings\": {\n \"releaseTriggerDecay\": -1 } } ] }",
      ":2: groups[0].settings.releaseTriggerDecay: expected a number from 0 to 600000, not -1" },
    { "negative time scale", "{ \"groups\": [ { \"settings\": {\n \"attackScale\": -0.5 } } ] }",
      ":2: groups[0].settings.attackScale: expected a number from 0 to 10, not -0.5" },
    { "pan past the right", ZONE("\"pan\": 1.5"), ":2: groups[0].zones[0].settings.pan: expected a number from -1 to 1, not 1.5" },
    { "zone keys the wrong way round", ZONE("\"lowKey\": 70, \"highKey\": 60"),
      ":2: groups[0].zones[0].settings.lowKey: lowKey 70 is above highKey 60" },
    { "zone velocities the wrong way round", ZONE("\"lowVelocity\": 64, \"highVelocity\": 50"),
      ":2: groups[0].zones[0].settings.lowVelocity: lowVelocity 64 is above highVelocity 50" },
    { "group velocities the wrong way round",
      "{ \"groups\": [ {\n \"settings\": { \"lowVelocity\": 100, \"highVelocity\": 90 }, \"zones\": [ { \"sample\": \"a.wav\" } ] } ] }",
      ":2: groups[0].settings.lowVelocity: lowVelocity 100 is above highVelocity 90" },
    { "group keys below its lowest key", "{ \"groups\": [ {\n \"settings\": { \"lowKey\": 60, \"highKey\": 59 } } ] }",
      ":2: groups[0].settings.lowKey: lowKey 60 is above highKey 59" },
    { "loop start not before its end", ZONE("\"playMode\": \"loop\", \"loopStart\": 4, \"loopEnd\": 4"),
      ":2: groups[0].zones[0].settings.loopStart: loopStart 4 is not before loopEnd 4" },
    { "loop end past the sample", ZONE("\"loopEnd\": 9"),
      ":2: groups[0].zones[0].settings.loopEnd: loopEnd 9 lies past the sample's last frame 5" },
    { "loop end past the zone's end", ZONE("\"endFrame\": 3, \"playMode\": 2, \"loopEnd\": 4"),
      ":2: groups[0].zones[0].settings.loopEnd: loopEnd 4 lies past endFrame 3" },
    { "start frame past the end", ZONE("\"startFrame\": 6"),
      ":2: groups[0].zones[0].settings.startFrame: startFrame 6 is not before endFrame 5 (the sample has 6 frames)" },
    { "end frame past the sample", ZONE("\"endFrame\": 6"),
      ":2: groups[0].zones[0].settings.endFrame: endFrame 6 lies past the sample's last frame 5" },
    { "unknown choice name", ZONE("\"playMode\": \"lop\""),
      ":2: groups[0].zones[0].settings.playMode: expected one of \"Play To End\", \"One Shot\", \"Loop\" (or a number "
      "from 0 to 2), not \"lop\"" },
    { "choice number out of range", "{ \"groups\": [ { \"settings\": {\n \"zoneSelection\": 4 } } ] }",
      ":2: groups[0].settings.zoneSelection: expected one of \"Stack\", \"Round Robin\", \"Random Robin\", \"Total "
      "Random\" (or a number from 0 to 3), not 4" },
    { "no group at all", "{\n  \"name\": \"x\" }", ":1: groups: the description has no group" },
    { "an empty list of groups", "{\n  \"groups\": [] }", ":2: groups: the list is empty" },
    { "a group without zones", "{ \"groups\": [\n { \"name\": \"g\" } ] }", ":2: groups[0]: the group has no \"zones\"" },
    { "a group with an empty list of zones", "{ \"groups\": [ {\n \"zones\": [] } ] }",
      ":2: groups[0].zones: the list is empty" },
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

TEST(BuilderDescription, ChoiceNamesAByteOrderMarkAndALinkedSampleFolderAreAccepted)
{
    const std::string folder = makeSamples("description-forms");
    const std::string elsewhere = freshFolder("description-forms-elsewhere");
    writeScratchFile("description-forms-elsewhere/far.wav",
                     WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2, 3, 4 })).build());
    // A folder inside the description's folder that is a link to one outside it.
    std::filesystem::create_symlink(elsewhere, folder + "/linked");
    writeTextFile(folder + "/d.json", "\xEF\xBB\xBF" R"({
      "settings": { "interpolation": "low", "voiceMode": "Legato", "lfoShape": "square", "filterType": "high-pass",
                    "velocityCurve": "STRONG", "lfoDestination": "Pan", "lfoDepthSource": "after touch" },
      "groups": [ { "settings": { "activation": "controller", "zoneSelection": "roundRobin" },
                    "zones": [ { "sample": "a.wav", "settings": { "playMode": "One-Shot" } },
                               { "sample": "linked/far.wav", "settings": { "playMode": 2 } } ] } ] })");
    const std::string output = freshFolder("description-forms-out") + "/i.zse";
    BuildPlan plan;
    std::string error;
    ASSERT_TRUE(readDescription(folder + "/d.json", output, SampleStorage::copy, plan, error)) << error;
    const InstrumentSettings& s = plan.image.settings;
    EXPECT_EQ(s.interpolation, 0);
    EXPECT_EQ(s.voiceMode, 2);
    EXPECT_EQ(s.lfoShape, 3);
    EXPECT_EQ(s.filterType, 2);
    EXPECT_EQ(s.velocityCurve, 2);
    EXPECT_EQ(s.lfoDestination, 3);
    EXPECT_EQ(s.lfoDepthSource, 2);
    ASSERT_EQ(plan.image.groups.size(), 1u);
    EXPECT_EQ(plan.image.groups[0].settings.activation, 3);
    EXPECT_EQ(plan.image.groups[0].settings.zoneSelection, 1);
    ASSERT_EQ(plan.image.groups[0].zones.size(), 2u);
    EXPECT_EQ(plan.image.groups[0].zones[0].settings.playMode, 1);
    EXPECT_EQ(plan.image.groups[0].zones[1].settings.playMode, 2);
    // The linked folder is copied as a folder of the instrument's own.
    EXPECT_EQ(plan.image.groups[0].zones[1].sampleName, "linked\\far.wav");
    ASSERT_EQ(plan.copies.size(), 2u);
    EXPECT_EQ(plan.copies[1].target, std::filesystem::path(output).parent_path().string() + "/linked/far.wav");
}
