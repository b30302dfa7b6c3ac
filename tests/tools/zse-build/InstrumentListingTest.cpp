// zse-build --list: what an instrument file holds, the samples the player
// will not find, names shown without raw control bytes, and where a cut or
// damaged file stops making sense.

#include <gtest/gtest.h>

#include <filesystem>

#include "ToolRun.h"
#include "files/FileTestSupport.h"

namespace fs = std::filesystem;

namespace
{
ToolResult list(const std::string& path) { return runTool(ZSE_BUILD_PROGRAM, { "--list", path }); }

std::string makeFolder(const std::string& name)
{
    const std::string folder = freshFolder(name);
    fs::create_directories(folder + "/samples");
    const Bytes wave = WaveBuilder().pcm(2, 48000, 16).data(samples16({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 })).build();
    writeScratchFile(name + "/samples/a.wav", wave);
    writeScratchFile(name + "/samples/b.wav", wave);
    return folder;
}

void build(const std::vector<std::string>& arguments)
{
    const ToolResult built = runTool(ZSE_BUILD_PROGRAM, arguments);
    ASSERT_EQ(built.exitStatus, 0) << built.err;
}
} // namespace

TEST(InstrumentListing, ShowsSettingsGroupsZonesAndTheMissingSamples)
{
    const std::string folder = makeFolder("listing-missing");
    writeTextFile(folder + "/d.json", R"({ "name": "Listed", "settings": { "voiceCount": 8, "volume": -3 },
      "groups": [ { "name": "Keys", "settings": { "activation": "Note", "activationNote": 24 },
        "zones": [ { "sample": "samples/a.wav", "settings": { "highKey": 59, "release": 250 } },
                   { "sample": "samples/b.wav", "settings": { "lowKey": 60, "lowVelocity": 64, "playMode": "Loop", "loopStart": 1, "loopEnd": 6 } } ] } ] })");
    const std::string target = freshFolder("listing-missing-out");
    build({ "--storage", "copy", folder + "/d.json", target + "/i.zse" });
    fs::remove(target + "/samples/b.wav");

    const ToolResult result = list(target + "/i.zse");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const std::string& line : {
             target + "/i.zse: instrument \"Listed\" by \"Quellmark\", format version 200, 1 groups, 2 zones, samples in "
                      "WAVE files beside it\n",
             std::string("settings that differ from a new instrument's: voiceCount 8, voiceCountStored 8, volume -3\n"),
             // The player activates the first group when none is.
             std::string("group 1 \"Keys\": activation \"Note\", active, 2 zones\n  settings: activationNote 24\n"),
             std::string("  zone 1: keys 0-59, velocities 0-127, root key 60, sample \"samples\\a.wav\", 8 frames, "
                         "stereo, 48000 Hz; plays frames 0-7, \"Play To End\"\n    other settings: release 250\n"),
             "  zone 2: sample \"samples\\b.wav\": MISSING (\"" + target + "/samples/b.wav\": not found)\n",
             "missing samples: 1 of 2 zones: \"samples\\b.wav\" (group 1 zone 2, \"" + target
                 + "/samples/b.wav\": not found)\n",
         })
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\nin:\n" << result.out;
}

TEST(InstrumentListing, NamesAreShownEscapedNeverRaw)
{
    const std::string folder = makeFolder("listing-names");
    writeTextFile(folder + "/d.json", R"({ "name": "Bell\u001b[2J", "groups": [ { "name": "tab\there",
      "zones": [ { "sample": "samples/a.wav", "sampleName": "ring\u0007\u009b" } ] } ] })");
    build({ folder + "/d.json", folder + "/i.zse" });
    const ToolResult result = list(folder + "/i.zse");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("instrument \"Bell\\x1b[2J\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("group 1 \"tab\\there\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("sample \"ring\\x07\\xc2\\x9b\""), std::string::npos) << result.out;
    for (char c : result.out)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << static_cast<int>(c);
}

TEST(InstrumentListing, ACutOrDamagedFileSaysWhereItStopsMakingSense)
{
    const std::string folder = makeFolder("listing-cut");
    writeTextFile(folder + "/d.json", R"({ "groups": [ { "zones": [ { "sample": "samples/a.wav" }, { "sample": "samples/b.wav" } ] } ] })");
    build({ folder + "/d.json", folder + "/whole.zse" });
    const Bytes whole = readWholeFile(folder + "/whole.zse");
    // magic, version, flag, "Untitled", "Quellmark", settings, extra text,
    // image length, the default layout, string count: then the group count.
    const size_t groupCount = 4 + 4 + 1 + 9 + 10 + 592 + 1 + 4 + 1037 + 4;
    ASSERT_GT(whole.size(), groupCount + 4);

    struct Case
    {
        size_t keep;
        std::string problem;
    };
    for (const Case& c : {
             Case { 16, "the file ends inside the name" },
             Case { 100, "the file ends inside the instrument settings" },
             Case { 600, "the file ends inside the instrument settings" },
             Case { 1500, "the file ends inside the player layout" },
             Case { groupCount + 2, "the file ends inside the group count" },
             Case { whole.size() - 10, "the file ends inside the settings of group 1 zone 2" },
         })
    {
        SCOPED_TRACE(c.keep);
        writeScratchFile("listing-cut/cut.zse", Bytes(whole.begin(), whole.begin() + static_cast<long>(c.keep)));
        const ToolResult result = list(folder + "/cut.zse");
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.out.find("problem: " + c.problem + "\n"), std::string::npos) << result.out;
    }

    Bytes damaged = whole;
    damaged[groupCount] = 0xFB;  // -5
    damaged[groupCount + 1] = damaged[groupCount + 2] = damaged[groupCount + 3] = 0xFF;
    writeScratchFile("listing-cut/damaged.zse", damaged);
    const ToolResult result = list(folder + "/damaged.zse");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.out.find("problem: the group count is -5, which makes no sense"), std::string::npos) << result.out;

    writeTextFile(folder + "/text.zse", "plain text");
    const ToolResult text = list(folder + "/text.zse");
    EXPECT_EQ(text.exitStatus, 1);
    EXPECT_NE(text.err.find("text.zse: not an instrument file"), std::string::npos);
    EXPECT_EQ(list(folder + "/whole.zse").exitStatus, 0);
}
