// Groups and zones of an instrument file: shared embedded copies, the
// clamping of stored ranges, active groups, missing samples, progress and
// cancelling.

#include <cstring>

#include "engine/InstrumentReaderTest.h"
#include "files/SamplePath.h"

namespace
{
constexpr int64_t frames = 100;

// Byte offset of the first zone record of a file with one group, an empty
// layout and no extra strings.
size_t firstZoneOffset(const InstrumentImage& image)
{
    return 4 + 4 + 1 + image.name.size() + 1 + image.vendor.size() + 1 + sizeof(InstrumentSettings)
         + image.extraText.size() + 1 + 4 + image.backgroundImage.size() + image.layoutXml.size() + 1 + 4 + 4
         + image.groups[0].name.size() + 1 + sizeof(GroupSettings) + 4;
}

struct Frames
{
    uint64_t start, end, loopStart, loopEnd;
};

ZoneImage rangedZone(const Frames& stored)
{
    ZoneImage zone = zoneImage("", distinctSound(frames, 1, 0.0f));
    zone.settings.startFrame = stored.start;
    zone.settings.endFrame = stored.end;
    zone.settings.loopStart = stored.loopStart;
    zone.settings.loopEnd = stored.loopEnd;
    return zone;
}

std::string writeWave(const std::string& fileName, int64_t frameCount)
{
    std::vector<int16_t> values(static_cast<size_t>(frameCount), 1000);
    return writeScratchFile(fileName, WaveBuilder().pcm(1, 44100, 16).data(samples16(values)).build());
}
} // namespace

TEST(InstrumentReaderZones, ZonesOfOneNameShareOneStoredCopyAndEmptyNamesCarryTheirOwn)
{
    for (bool sixteenBit : { true, false })
    {
        SCOPED_TRACE(sixteenBit ? "16-bit" : "float");
        const auto first = distinctSound(frames, 2, 0.1f);
        const auto ignored = distinctSound(frames, 2, -0.4f);  // same name: never stored
        const auto ownA = distinctSound(frames, 2, 0.2f);
        const auto ownB = distinctSound(frames, 2, -0.2f);

        InstrumentImage image = plainImage(sixteenBit);
        image.layoutXml = "";
        GroupImage group = newGroupImage("G");
        group.zones = { zoneImage("a", first), zoneImage("a", ignored), zoneImage("", ownA), zoneImage("", ownB) };
        group.zones[1].settings.tune = 12.5f;  // tells the records apart on disk
        image.groups.push_back(group);
        const std::string path = writeImage(image, "zones-shared.zse");

        // On disk: name "a" + header + data + settings, then "a" + settings
        // only, then two records with their own copies.
        const size_t data = 24 + frames * 2 * (sixteenBit ? 2 : 4);
        const size_t zone1 = firstZoneOffset(image);
        const size_t zone2 = zone1 + 2 + data + sizeof(ZoneSettings);
        const size_t zone3 = zone2 + 2 + sizeof(ZoneSettings);
        const size_t zone4 = zone3 + 1 + data + sizeof(ZoneSettings);
        const Bytes bytes = readWholeFile(path);
        ASSERT_EQ(bytes.size(), zone4 + 1 + data + sizeof(ZoneSettings));
        EXPECT_EQ(std::memcmp(bytes.data() + zone2, "a\0", 2), 0);
        EXPECT_EQ(std::memcmp(bytes.data() + zone2 + 2, &group.zones[1].settings, sizeof(ZoneSettings)), 0);
        EXPECT_EQ(bytes[zone3], 0);
        EXPECT_EQ(bytes[zone4], 0);

        ZInstrument instrument;
        ASSERT_TRUE(instrument.loadFromFile(path));
        ASSERT_EQ(instrument.groups.size(), 1u);
        const auto& zones = instrument.groups[0]->zones;
        ASSERT_EQ(zones.size(), 4u);
        const std::vector<float> firstData = storedSamples(*first, sixteenBit);
        EXPECT_EQ(zoneSamples(*zones[0]), firstData);
        EXPECT_EQ(zoneSamples(*zones[1]), firstData);
        EXPECT_EQ(zones[1]->settings.tune, 12.5f);
        EXPECT_EQ(zoneSamples(*zones[2]), storedSamples(*ownA, sixteenBit));
        EXPECT_EQ(zoneSamples(*zones[3]), storedSamples(*ownB, sixteenBit));
        EXPECT_NE(zoneSamples(*zones[2]), zoneSamples(*zones[3]));
    }
}

TEST(InstrumentReaderZones, StoredBlocksComeBackByteForByteReservedBytesIncluded)
{
    InstrumentImage image = plainImage();
    for (size_t k = 0; k < sizeof image.settings.reserved; ++k)
        image.settings.reserved[k] = static_cast<uint8_t>(k * 7 + 1);
    image.settings.unused88 = 1234;
    image.settings.playerColour = 0x80402010;
    GroupImage group = newGroupImage("Reserved");
    group.settings.active = 1;
    group.settings.output = 3;
    for (size_t k = 0; k < sizeof group.settings.reserved; ++k)
        group.settings.reserved[k] = static_cast<uint8_t>(k * 5 + 3);
    ZoneImage zone = zoneImage("z", distinctSound(frames, 1, 0.0f));
    zone.settings.exclusiveGroup = 9;
    for (size_t k = 0; k < sizeof zone.settings.reserved; ++k)
        zone.settings.reserved[k] = static_cast<uint8_t>(k * 3 + 2);
    group.zones.push_back(zone);
    image.groups.push_back(group);

    ZInstrument instrument;
    ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "zones-reserved.zse")));
    EXPECT_EQ(std::memcmp(&instrument.settings, &image.settings, sizeof image.settings), 0);
    ASSERT_EQ(instrument.groups.size(), 1u);
    EXPECT_EQ(std::memcmp(&instrument.groups[0]->settings, &group.settings, sizeof group.settings), 0);
    ASSERT_EQ(instrument.groups[0]->zones.size(), 1u);
    EXPECT_EQ(std::memcmp(&instrument.groups[0]->zones[0]->settings, &zone.settings, sizeof zone.settings), 0);
}

TEST(InstrumentReaderZones, StoredRangesAreClampedToTheSoundRuleByRule)
{
    struct Case
    {
        const char* rule;
        Frames stored;
        Frames expected;
    };
    const uint64_t huge = UINT64_MAX;
    const Case cases[] = {
        { "in range: unchanged", { 5, 90, 10, 80 }, { 5, 90, 10, 80 } },
        { "1: end past the sound", { 0, 150, 0, 99 }, { 0, 99, 0, 99 } },
        { "1: end at the length", { 0, 100, 10, 20 }, { 0, 99, 10, 20 } },
        { "1: end at the largest frame", { 0, huge, 10, 20 }, { 0, 99, 10, 20 } },
        { "2: start past the sound", { 200, 150, 0, 99 }, { 98, 99, 98, 99 } },
        { "3: end below 1", { 0, 0, 0, 0 }, { 0, 1, 0, 1 } },
        { "4: start not before end", { 60, 40, 0, 30 }, { 39, 40, 29, 30 } },
        { "5: loop end past end", { 0, 70, 10, 80 }, { 0, 70, 10, 70 } },
        { "6: loop start before start", { 20, 90, 10, 50 }, { 20, 90, 20, 50 } },
        { "7: loop end below 1", { 0, 50, 0, 0 }, { 0, 50, 0, 1 } },
        { "8: loop start at loop end", { 0, 50, 30, 30 }, { 0, 50, 29, 30 } },
        { "8: loop start past loop end", { 0, 50, 40, 30 }, { 0, 50, 29, 30 } },
    };
    InstrumentImage image = plainImage();
    GroupImage group = newGroupImage("Clamp");
    for (const Case& c : cases)
        group.zones.push_back(rangedZone(c.stored));
    image.groups.push_back(group);

    ZInstrument instrument;
    ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "zones-clamp.zse")));
    const auto& zones = instrument.groups[0]->zones;
    ASSERT_EQ(zones.size(), std::size(cases));
    for (size_t k = 0; k < std::size(cases); ++k)
    {
        SCOPED_TRACE(cases[k].rule);
        const ZoneSettings& s = zones[k]->settings;
        EXPECT_EQ(s.startFrame, cases[k].expected.start);
        EXPECT_EQ(s.endFrame, cases[k].expected.end);
        EXPECT_EQ(s.loopStart, cases[k].expected.loopStart);
        EXPECT_EQ(s.loopEnd, cases[k].expected.loopEnd);
    }
}

TEST(InstrumentReaderZones, AStreamingZonePreloadsFromItsClampedStart)
{
    InstrumentImage image = plainImage();
    image.settings.diskStreaming = image.settings.diskStreamingStored = 1;
    image.settings.streamBufferFrames = image.settings.streamBufferFramesStored = 64;
    const auto sound = distinctSound(frames, 1, 0.0f);
    GroupImage group = newGroupImage("Stream");
    group.zones = { rangedZone({ 30, 99, 30, 99 }), rangedZone({ 500, 600, 0, 99 }) };
    group.zones[0].sound = group.zones[1].sound = sound;
    image.groups.push_back(group);

    ZInstrument instrument;
    ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "zones-stream.zse")));
    const auto& zones = instrument.groups[0]->zones;
    ASSERT_EQ(zones.size(), 2u);
    const std::vector<float> stored = storedSamples(*sound, true);
    ASSERT_TRUE(zones[0]->streaming);
    EXPECT_EQ(zoneSamples(*zones[0])[0], stored[30]);
    EXPECT_EQ(zones[1]->settings.startFrame, 98u);
    EXPECT_EQ(zoneSamples(*zones[1])[0], stored[98]);
}

TEST(InstrumentReaderZones, OnlyAStoredActiveOfExactlyOneActivatesAGroupOtherwiseTheFirstIs)
{
    auto load = [](std::vector<int32_t> storedActive, ZInstrument& instrument) {
        InstrumentImage image = plainImage();
        for (size_t g = 0; g < storedActive.size(); ++g)
        {
            GroupImage group = newGroupImage("G" + std::to_string(g));
            group.settings.active = storedActive[g];
            image.groups.push_back(group);
        }
        ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "zones-active.zse")));
    };

    {
        ZInstrument instrument;
        load({ 0, 2, -1 }, instrument);
        ASSERT_EQ(instrument.activeGroups.size(), 1u);
        EXPECT_EQ(instrument.activeGroups[0], instrument.groups[0].get());
        EXPECT_EQ(instrument.currentGroup, instrument.groups[0].get());
        EXPECT_EQ(instrument.groups[1]->settings.active, 0);
        EXPECT_EQ(instrument.groups[2]->settings.active, 0);
    }
    {
        ZInstrument instrument;
        RecordingDelegate delegate;
        instrument.delegate = &delegate;
        load({ 0, 1, 1 }, instrument);
        instrument.delegate = nullptr;
        ASSERT_EQ(instrument.activeGroups.size(), 2u);
        EXPECT_EQ(instrument.activeGroups[0], instrument.groups[1].get());
        EXPECT_EQ(instrument.activeGroups[1], instrument.groups[2].get());
        EXPECT_EQ(instrument.groups[0]->settings.active, 0);
        EXPECT_EQ(instrument.currentGroup, instrument.groups[0].get());
        EXPECT_EQ(delegate.groupsChangedCalls, 2);
        EXPECT_EQ(delegate.instrumentChangedCalls, 1);
    }
}

TEST(InstrumentReaderZones, FourMissingSamplesPromptTheDelegateThreeTimes)
{
    writeWave("zones-real.wav", 200);
    InstrumentImage image = plainImage();
    image.embedded = false;
    GroupImage group = newGroupImage("Files");
    for (const char* name : { "zones-missing1.wav", "zones-missing2.wav", "zones-real.wav", "zones-missing3.wav",
                              "zones-missing4.wav" })
    {
        ZoneImage zone;
        zone.sampleName = name;
        coverWholeKeyboard(zone.settings);
        zone.settings.endFrame = 150;
        group.zones.push_back(zone);
    }
    image.groups.push_back(group);
    const std::string path = writeImage(image, "zones-missing.zse");

    ZInstrument instrument;
    RecordingDelegate delegate;
    instrument.delegate = &delegate;
    ASSERT_TRUE(instrument.loadFromFile(path));
    instrument.delegate = nullptr;
    const std::vector<std::string> expected = { resolveSamplePath("zones-missing1.wav", path),
                                                resolveSamplePath("zones-missing2.wav", path),
                                                resolveSamplePath("zones-missing3.wav", path) };
    EXPECT_EQ(delegate.located, expected);
    ASSERT_EQ(instrument.groups[0]->zones.size(), 1u);
    EXPECT_EQ(instrument.groups[0]->zones[0]->settings.endFrame, 150u);
    EXPECT_EQ(delegate.progress_.size(), 5u);  // every zone reports, found or not

    // Without a delegate nobody is asked and the load still succeeds.
    ZInstrument alone;
    EXPECT_TRUE(alone.loadFromFile(path));
    EXPECT_EQ(alone.groups[0]->zones.size(), 1u);
}

TEST(InstrumentReaderZones, AFoundReplacementDoesNotCountAsAPrompt)
{
    const std::string replacement = writeWave("zones-replacement.wav", 300);
    InstrumentImage image = plainImage();
    image.embedded = false;
    GroupImage group = newGroupImage("Files");
    for (int k = 1; k <= 4; ++k)
    {
        ZoneImage zone;
        zone.sampleName = "zones-gone" + std::to_string(k) + ".wav";
        zone.settings.endFrame = 1000;
        group.zones.push_back(zone);
    }
    image.groups.push_back(group);
    const std::string path = writeImage(image, "zones-replace.zse");

    {
        ZInstrument instrument;
        RecordingDelegate delegate;
        delegate.replies = { replacement };
        instrument.delegate = &delegate;
        ASSERT_TRUE(instrument.loadFromFile(path));
        instrument.delegate = nullptr;
        EXPECT_EQ(delegate.located.size(), 4u);
        ASSERT_EQ(instrument.groups[0]->zones.size(), 1u);
        // The replacement zone takes the stored settings, clamped to its sound.
        EXPECT_EQ(instrument.groups[0]->zones[0]->settings.endFrame, 299u);
    }
    {
        // A reply naming another missing file is a prompt used up.
        ZInstrument instrument;
        RecordingDelegate delegate;
        delegate.replies = { scratchDir() + "/zones-also-gone.wav" };
        instrument.delegate = &delegate;
        ASSERT_TRUE(instrument.loadFromFile(path));
        instrument.delegate = nullptr;
        EXPECT_EQ(delegate.located.size(), 3u);
        EXPECT_TRUE(instrument.groups[0]->zones.empty());
    }
}

TEST(InstrumentReaderZones, ProgressCountsGroupsThenZonesAndStaysBelowOne)
{
    InstrumentImage image = plainImage();
    GroupImage one = newGroupImage("One");
    one.zones = { zoneImage("p1", distinctSound(10, 1, 0.0f)) };
    GroupImage two = newGroupImage("Two");
    two.zones = { zoneImage("p2", distinctSound(10, 1, 0.0f)), zoneImage("p3", distinctSound(10, 1, 0.0f)),
                  zoneImage("p4", distinctSound(10, 1, 0.0f)) };
    image.groups = { one, two };

    ZInstrument instrument;
    RecordingDelegate delegate;
    instrument.delegate = &delegate;
    ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "zones-progress.zse")));
    instrument.delegate = nullptr;

    ASSERT_EQ(delegate.progress_.size(), 4u);
    const float expected[] = { 0.0f, 0.5f, 0.5f + (1.0f / 3.0f) / 2.0f, 0.5f + (2.0f / 3.0f) / 2.0f };
    for (size_t k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ(delegate.progress_[k].value, expected[k]) << "report " << k;
    EXPECT_NEAR(delegate.progress_[2].value, 0.6667f, 1e-4f);
    EXPECT_LT(delegate.progress_.back().value, 1.0f);
    EXPECT_EQ(delegate.progress_[0].group, "One");
    EXPECT_EQ(delegate.progress_[2].group, "Two");
    EXPECT_EQ(delegate.progress_[2].sample, "p3");
}

TEST(InstrumentReaderZones, CancellingKeepsTheZonesReadSoFarAndSkipsTheRestOfTheLoad)
{
    const auto kept = distinctSound(frames, 1, 0.3f);
    InstrumentImage image = plainImage();
    GroupImage one = newGroupImage("One");
    one.settings.active = 1;
    one.zones = { zoneImage("c1", kept) };
    GroupImage two = newGroupImage("Two");
    two.settings.active = 1;
    two.zones = { zoneImage("c2", distinctSound(frames, 1, 0.0f)), zoneImage("c3", distinctSound(frames, 1, 0.0f)),
                  zoneImage("c4", distinctSound(frames, 1, 0.0f)) };
    image.groups = { one, two };

    ZInstrument instrument;
    RecordingDelegate delegate;
    delegate.cancelAtReport = 3;  // the second zone of the second group
    instrument.delegate = &delegate;
    EXPECT_FALSE(instrument.loadFromFile(writeImage(image, "zones-cancel.zse")));
    instrument.delegate = nullptr;

    EXPECT_EQ(delegate.progress_.size(), 3u);
    ASSERT_EQ(instrument.groups.size(), 2u);
    EXPECT_EQ(instrument.groups[0]->zones.size(), 1u);
    EXPECT_EQ(instrument.groups[1]->zones.size(), 1u);  // the zone in hand is abandoned
    ASSERT_EQ(instrument.activeGroups.size(), 1u);      // only the finished group was activated
    EXPECT_EQ(instrument.activeGroups[0], instrument.groups[0].get());
    EXPECT_EQ(instrument.currentGroup, instrument.groups[1].get());
    EXPECT_EQ(delegate.instrumentChangedCalls, 0);  // no applySettings
    // The zones kept still hold their sample data.
    EXPECT_EQ(zoneSamples(*instrument.groups[0]->zones[0]), storedSamples(*kept, true));
}
