// The writer itself: its defaults, its limits, the stored sample width, and
// that a failed write leaves an existing file alone.

#include <gtest/gtest.h>

#include <cstring>

#include "InstrumentWriter.h"
#include "ToolRun.h"
#include "engine/ZInstrument.h"
#include "files/FileTestSupport.h"
#include "files/ZWaveFile.h"
#include "support/MemorySound.h"

namespace
{
ZoneImage memoryZone(const std::string& name, int64_t frames)
{
    ZoneImage zone;
    zone.sampleName = name;
    zone.sound = std::make_shared<MemorySound>(std::vector<float>(static_cast<size_t>(frames), 0.25f), 1);
    zone.settings = soundZoneSettings(*zone.sound);
    return zone;
}
} // namespace

TEST(InstrumentWriter, ANewImageHoldsTheValuesOfANewInstrument)
{
    ZInstrument fresh;
    const InstrumentImage image = newInstrumentImage();
    EXPECT_EQ(std::memcmp(&image.settings, &fresh.settings, sizeof fresh.settings), 0);
    EXPECT_EQ(image.name, fresh.name);
    EXPECT_EQ(image.vendor, fresh.vendor);
    EXPECT_EQ(image.layoutXml, fresh.layoutXml);
    const GroupImage group = newGroupImage("g");
    GroupSettings defaultGroup = fresh.groups[0]->settings;
    defaultGroup.active = 0;  // the new instrument's group is active; a stored one need not be
    EXPECT_EQ(std::memcmp(&group.settings, &defaultGroup, sizeof group.settings), 0);
}

TEST(InstrumentWriter, TheStoredSixteenBitFlagChoosesTheEmbeddedSampleWidth)
{
    for (int32_t stored : { 0, 1 })
    {
        InstrumentImage image = newInstrumentImage();
        image.name = image.vendor = image.layoutXml = "";
        image.settings.sixteenBit = 1 - stored;  // the applied copy does not count
        image.settings.sixteenBitStored = stored;
        GroupImage group = newGroupImage("");
        group.zones.push_back(memoryZone("", 10));
        image.groups.push_back(group);
        const std::string path = scratchDir() + "/writer-width.zse";
        std::string error;
        ASSERT_TRUE(writeInstrumentFile(image, path, error)) << error;

        const Bytes bytes = readWholeFile(path);
        const size_t header = 4 + 4 + 1 + 1 + 1 + sizeof(InstrumentSettings) + 1 + 4 + 1 + 4 + 4 + 1
                            + sizeof(GroupSettings) + 4 + 1;
        const int32_t width = stored != 0 ? 2 : 4;
        ASSERT_EQ(bytes.size(), header + 24 + 10 * width + sizeof(ZoneSettings));
        EXPECT_EQ(bytes[header], width);
        EXPECT_EQ(bytes[header + 8], 1);   // channels
        EXPECT_EQ(bytes[header + 16], 10);  // frames
    }
}

TEST(InstrumentWriter, StringsMustFitTheirFields)
{
    InstrumentImage image = newInstrumentImage();
    image.name = std::string(1023, 'n');
    std::string error;
    const std::string path = scratchDir() + "/writer-strings.zse";
    ASSERT_TRUE(writeInstrumentFile(image, path, error)) << error;
    ZInstrument instrument;
    ASSERT_TRUE(instrument.loadFromFile(path));
    EXPECT_EQ(instrument.name, image.name);

    image.name += "n";
    EXPECT_FALSE(writeInstrumentFile(image, path, error));
    EXPECT_NE(error.find("the name is 1024 bytes long"), std::string::npos) << error;
    image.name = std::string("a\0b", 3);
    EXPECT_FALSE(writeInstrumentFile(image, path, error));
    EXPECT_NE(error.find("zero byte"), std::string::npos) << error;
}

TEST(InstrumentWriter, AWriteThatFailsHalfwayLeavesTheExistingFileAlone)
{
    const std::string folder = freshFolder("writer-halfway");
    const std::string path = folder + "/instrument.zse";
    writeTextFile(path, "previous");

    InstrumentImage image = newInstrumentImage();
    GroupImage group = newGroupImage("g");
    group.zones.push_back(memoryZone("fine", 100000));
    ZoneImage broken;
    broken.sampleName = "broken";
    broken.sound = std::make_shared<ZWaveFile>();  // names no file: cannot be opened
    group.zones.push_back(broken);
    image.groups.push_back(group);

    std::string error;
    EXPECT_FALSE(writeInstrumentFile(image, path, error));
    EXPECT_NE(error.find("group 1 \"g\", zone 2"), std::string::npos) << error;
    EXPECT_EQ(readWholeFile(path), (Bytes { 'p', 'r', 'e', 'v', 'i', 'o', 'u', 's' }));
    EXPECT_EQ(folderEntries(folder), std::vector<std::string> { "instrument.zse" });

    // A zone without any sound cannot be embedded either.
    image.groups[0].zones[1].sound = nullptr;
    EXPECT_FALSE(writeInstrumentFile(image, path, error));
    EXPECT_NE(error.find("has no sample data"), std::string::npos) << error;

    // The same zones naming files beside the instrument need no sound.
    image.embedded = false;
    EXPECT_TRUE(writeInstrumentFile(image, path, error)) << error;
    EXPECT_EQ(readWholeFile(path).size(), 4 + 4 + 1 + 9 + 10 + sizeof(InstrumentSettings) + 1 + 4
                                              + image.layoutXml.size() + 1 + 4 + 4 + 2 + sizeof(GroupSettings) + 4
                                              + 5 + 7 + 2 * sizeof(ZoneSettings));
}
