// What the reader tells its caller: where a file cut short ended, which
// string or count made no sense, which zones lost their sample, with names
// shown escaped. The load itself stays as tolerant as before.

#include "engine/InstrumentReaderTest.h"

#include "files/SamplePath.h"

namespace
{
// An embedded instrument whose records lie at offsets worked out by hand:
// head 0-9, name "Sixteen cut" 9-21, a 90-byte vendor 21-112, settings
// 112-704, extra text 704, image length 705-709, layout "<player/>" 709-719,
// string count 719-723, group count 723-727, group name 727-729, group
// settings 729-1309, zone count 1309-1313, sample name "s" 1313-1315,
// embedded sound header 1315-1339 (channels at 1323), 64 stereo 16-bit
// frames 1339-1595, zone settings 1595-2203.
constexpr size_t wholeSize = 2203;

const std::string& reportInstrument()
{
    static const std::string path = [] {
        InstrumentImage image = plainImage();
        image.name = "Sixteen cut";
        image.vendor = std::string(90, 'v');
        image.layoutXml = "<player/>";
        GroupImage group = newGroupImage("G");
        group.zones = { zoneImage("s", distinctSound(64, 2, 0.0f)) };
        image.groups.push_back(group);
        return writeImage(image, "report-whole.zse");
    }();
    return path;
}

ZLoadReport loadBytes(const Bytes& bytes, const std::string& name, ZInstrument& instrument)
{
    ZLoadReport report;
    report.problem = "left from before";
    instrument.loadFromFile(writeScratchFile(name, bytes), report);
    return report;
}

void putLE32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + static_cast<size_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
}

struct Cut
{
    size_t length;
    const char* problem;
};

class InstrumentReaderCut : public testing::TestWithParam<Cut>
{
};
} // namespace

TEST(InstrumentReaderReport, AWholeFileGivesACleanReport)
{
    const Bytes whole = readWholeFile(reportInstrument());
    ASSERT_EQ(whole.size(), wholeSize) << "the offsets above no longer hold";
    ZInstrument instrument;
    const ZLoadReport report = loadBytes(whole, "report-copy.zse", instrument);
    EXPECT_TRUE(report.isClean()) << report.describe();
    EXPECT_EQ(report.zoneRecords, 1);
    EXPECT_EQ(report.trailingBytes, 0);
    EXPECT_EQ(report.describe(), "");
    ASSERT_EQ(instrument.groups.size(), 1u);
    EXPECT_EQ(instrument.groups[0]->zones.size(), 1u);
}

TEST_P(InstrumentReaderCut, NamesTheRecordTheFileEndsIn)
{
    const Cut cut = GetParam();
    Bytes bytes = readWholeFile(reportInstrument());
    ASSERT_EQ(bytes.size(), wholeSize);
    bytes.resize(cut.length);
    ZInstrument instrument;
    const ZLoadReport report = loadBytes(bytes, "report-cut.zse", instrument);
    EXPECT_EQ(report.problem, cut.problem);
    EXPECT_FALSE(report.fileIsWhole());
    // The problem comes first; a sound cut off is a missing sample too.
    EXPECT_EQ(report.describe().rfind(std::string(cut.problem) + "\n", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, InstrumentReaderCut,
    testing::Values(Cut { 3, "not an instrument file (it does not start with \"ZSE \")" },
                    Cut { 6, "the file ends inside the format version" },
                    Cut { 8, "the file ends inside the embedded flag" },
                    Cut { 16, "the file ends inside the name" },
                    Cut { 100, "the file ends inside the vendor" },
                    Cut { 600, "the file ends inside the instrument settings" },
                    Cut { 707, "the file ends inside the background image length" },
                    Cut { 715, "the file ends inside the player layout" },
                    Cut { 723, "the file ends inside the group count" },
                    Cut { 727, "the file ends inside the name of group 1" },
                    Cut { 1000, "the file ends inside the settings of group 1" },
                    Cut { 1311, "the file ends inside the zone count of group 1" },
                    Cut { 1313, "the file ends inside the sample name of group 1 zone 1" },
                    Cut { 1320, "the file ends inside the embedded sound of group 1 zone 1" },
                    Cut { 1500, "the file ends inside the embedded sound of group 1 zone 1" },
                    Cut { 1600, "the file ends inside the settings of group 1 zone 1" },
                    Cut { 2202, "the file ends inside the settings of group 1 zone 1" }),
    [](const testing::TestParamInfo<Cut>& info) { return "at" + std::to_string(info.param.length); });

TEST(InstrumentReaderReport, CountsAndSizesThatMakeNoSense)
{
    struct Patch
    {
        size_t at;
        uint32_t value;
        const char* problem;
    };
    for (const Patch& patch : {
             Patch { 705, 0xFFFFFFFD, "the background image length is -3, which makes no sense" },
             Patch { 705, 1000000, "the file ends inside the background image" },
             Patch { 719, 0x80000000, "the string list count is -2147483648, which makes no sense" },
             Patch { 723, 0xFFFFFFFF, "the group count is -1, which makes no sense" },
             Patch { 723, 2, "the file ends inside the name of group 2" },
             Patch { 1309, 5, "the file ends inside the sample name of group 1 zone 2" },
             Patch { 1323, 7, "the embedded sound of group 1 zone 1 says it holds 64 frames of 7 channels, which makes no sense" },
             Patch { 1331, 0xFFFFFFFF, "the file ends inside the embedded sound of group 1 zone 1" },
         })
    {
        SCOPED_TRACE(patch.problem);
        Bytes bytes = readWholeFile(reportInstrument());
        ASSERT_EQ(bytes.size(), wholeSize);
        putLE32(bytes, patch.at, patch.value);
        ZInstrument instrument;
        EXPECT_EQ(loadBytes(bytes, "report-patched.zse", instrument).problem, patch.problem);
    }
}

TEST(InstrumentReaderReport, AStringWithoutItsEndAndBytesAfterTheLastGroup)
{
    Bytes longName { 'Z', 'S', 'E', ' ' };
    appendLE32(longName, 200);
    longName.push_back(1);
    longName.insert(longName.end(), 1100, 'a');
    longName.push_back(0);
    ZInstrument instrument;
    EXPECT_EQ(loadBytes(longName, "report-longname.zse", instrument).problem,
              "the name reaches its limit of 1024 bytes without an end");
    EXPECT_EQ(instrument.name, std::string(1023, 'a'));  // still read as before

    Bytes longer = readWholeFile(reportInstrument());
    longer.insert(longer.end(), 5, 0);
    const ZLoadReport report = loadBytes(longer, "report-longer.zse", instrument);
    EXPECT_TRUE(report.isClean()) << report.problem;
    EXPECT_EQ(report.trailingBytes, 5);
}

TEST(InstrumentReaderReport, OlderVersionsAndUnreadableFilesSayWhy)
{
    Bytes old = readWholeFile(reportInstrument());
    putLE32(old, 4, 199);
    ZInstrument instrument;
    EXPECT_EQ(loadBytes(old, "report-old.zse", instrument).problem,
              "instrument format version 199 is older than the player reads");

    ZLoadReport report;
    EXPECT_FALSE(instrument.loadFromFile(scratchDir() + "/report-no-such.zse", report));
    EXPECT_EQ(report.problem, "the file cannot be opened");
}

TEST(InstrumentReaderReport, MissingSamplesAreListedByZoneWithTheirNamesEscaped)
{
    writeScratchFile("report-real.wav", WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2, 3, 4 })).build());
    InstrumentImage image = plainImage();
    image.embedded = false;
    for (const char* groupName : { "A", "B" })
    {
        GroupImage group = newGroupImage(groupName);
        for (const std::string name : { std::string("report-real.wav"), std::string("gone\x1b[2J.wav") })
        {
            ZoneImage zone;
            zone.sampleName = name;
            coverWholeKeyboard(zone.settings);
            group.zones.push_back(zone);
        }
        image.groups.push_back(group);
    }
    image.groups[1].zones[0].sampleName = "report-lost.wav";
    const std::string path = writeImage(image, "report-missing.zse");

    ZInstrument instrument;
    ZLoadReport report;
    ASSERT_TRUE(instrument.loadFromFile(path, report));  // tolerant as ever
    EXPECT_TRUE(report.fileIsWhole()) << report.problem;
    EXPECT_EQ(report.zoneRecords, 4);
    ASSERT_EQ(report.missingSamples.size(), 3u);
    EXPECT_EQ(instrument.groups[0]->zones.size(), 1u);
    EXPECT_EQ(instrument.groups[1]->zones.size(), 0u);
    const std::string lost = resolveSamplePath("report-lost.wav", path);
    EXPECT_EQ(report.missingSamples[1].group, 1);
    EXPECT_EQ(report.missingSamples[1].zone, 0);
    EXPECT_EQ(report.missingSamples[1].resolvedPath, lost);

    const std::string goneShown = "\"gone\\x1b[2J.wav\"";
    const std::string goneAt = "\"" + scratchDir() + "/gone\\x1b[2J.wav\"";
    EXPECT_EQ(report.missingSamplesText(),
              "3 of 4 zones: " + goneShown + " (group 1 zone 2, " + goneAt + ": not found), \"report-lost.wav\" "
              "(group 2 zone 1, \"" + lost + "\": not found), " + goneShown + " (group 2 zone 2, " + goneAt + ": not found)");
    EXPECT_EQ(report.missingSamplesText(1),
              "3 of 4 zones: " + goneShown + " (group 1 zone 2, " + goneAt + ": not found) and 2 more");
    EXPECT_EQ(report.describe(1), "missing samples: " + report.missingSamplesText(1) + "\n");
    EXPECT_EQ(report.describe().find('\x1b'), std::string::npos);
}

TEST(InstrumentReaderReport, AnEmbeddedSoundThatCannotBeReadIsAMissingSample)
{
    Bytes bytes = readWholeFile(reportInstrument());
    ASSERT_EQ(bytes.size(), wholeSize);
    putLE32(bytes, 1323, 0);  // no channels: nothing to play, yet the records still fit
    ZInstrument instrument;
    const ZLoadReport report = loadBytes(bytes, "report-nochannels.zse", instrument);
    ASSERT_EQ(report.missingSamples.size(), 1u);
    EXPECT_EQ(report.missingSamplesText(), "1 of 1 zones: \"s\" (group 1 zone 1, its embedded sound cannot be read)");
}
