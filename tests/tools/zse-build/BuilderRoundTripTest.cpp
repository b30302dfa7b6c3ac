// What zse-build writes, the player reads back: settings, names, texts and
// sample data, for each way of storing the samples.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "ToolRun.h"
#include "engine/ZInstrument.h"
#include "files/FileTestSupport.h"

namespace
{
const std::string layoutText = "<?xml version=\"1.0\"?>\n<player width=\"300\" height=\"100\"/>";
const Bytes backgroundBytes = { 0x89, 'P', 'N', 'G', 0, 1, 2, 3, 0xff };

std::vector<int16_t> ramp(size_t count, int step)
{
    std::vector<int16_t> values(count);
    for (size_t k = 0; k < count; ++k)
        values[k] = static_cast<int16_t>(static_cast<int>(k % 600) * step - 9000);
    return values;
}

const std::vector<int16_t> lowSamples = ramp(1000, 30);   // mono
const std::vector<int16_t> highSamples = ramp(1000, -17);  // 500 stereo frames

const char* const description = R"({
  "name": "Round Trip",
  "vendor": "Zarvo Tests",
  "extraText": "kept",
  "stringList": ["first", "second"],
  "layout": "layout.xml",
  "background": "back.png",
  "settings": {
    "sixteenBit": SIXTEEN, "voiceCount": 12, "diskStreaming": 0, "volume": -4.5, "pan": 0.25,
    "playerColour": "#ff112233", "filterType": 1, "filterCutoff": 0.5, "interpolation": 1,
    "velocityFloor": -30, "clipOutput": false
  },
  "groups": [
    { "name": "Low",
      "settings": { "activation": 2, "activationNote": 24, "volume": -2, "output": 1, "active": 1 },
      "zones": [ { "sample": "samples/low.wav", "settings": { "highKey": 59, "tune": -12.5, "release": 250 } } ] },
    { "name": "High",
      "settings": { "lowKey": 60, "zoneSelection": 1 },
      "zones": [
        { "sample": "samples/high.wav", "settings": { "lowKey": 60, "rootKey": 72, "startFrame": 10, "endFrame": 400 } },
        { "sample": "./samples/../samples/high.wav", "settings": { "lowKey": 60, "lowVelocity": 64 } }
      ] }
  ]
})";

// A folder holding the description and its files.
std::string makeSource(const std::string& name, bool sixteenBit)
{
    const std::string folder = freshFolder(name);
    std::filesystem::create_directories(folder + "/samples");
    writeScratchFile(name + "/samples/low.wav",
                     WaveBuilder().pcm(1, 44100, 16).data(samples16(lowSamples)).sampler(48, { { 100, 900 } }).build());
    writeScratchFile(name + "/samples/high.wav", WaveBuilder().pcm(2, 48000, 16).data(samples16(highSamples)).build());
    writeTextFile(folder + "/layout.xml", layoutText);
    writeScratchFile(name + "/back.png", backgroundBytes);
    std::string text = description;
    text.replace(text.find("SIXTEEN"), 7, sixteenBit ? "1" : "0");
    writeTextFile(folder + "/instrument.json", text);
    return folder;
}

class SampleNames : public ZSEDelegate
{
public:
    bool loadProgress(float, const std::string&, const std::string& sampleName) override
    {
        names.push_back(sampleName);
        return true;
    }
    void groupsChanged() override {}
    void locateSample(const std::string& path, char*) override { missing.push_back(path); }
    void instrumentChanged() override {}

    std::vector<std::string> names;
    std::vector<std::string> missing;
};

std::vector<float> zoneData(const ZZone& zone)
{
    if (zone.sixteenBit)
    {
        std::vector<float> values;
        for (int16_t v : zone.int16Frames)
            values.push_back(static_cast<float>(v) / 32768.0f);
        return values;
    }
    return zone.floatFrames;
}

std::vector<float> scaled(const std::vector<int16_t>& values)
{
    std::vector<float> result;
    for (int16_t v : values)
        result.push_back(static_cast<float>(v) / 32768.0f);
    return result;
}

void build(const std::vector<std::string>& arguments)
{
    const ToolResult result = runTool(ZSE_BUILD_PROGRAM, arguments);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

// Everything the description says, checked on a loaded instrument.
void expectDescribedInstrument(const ZInstrument& instrument, bool sixteenBit)
{
    EXPECT_EQ(instrument.name, "Round Trip");
    EXPECT_EQ(instrument.vendor, "Zarvo Tests");
    EXPECT_EQ(instrument.extraText, "kept");
    EXPECT_EQ(instrument.stringList, (std::vector<std::string> { "first", "second" }));
    EXPECT_EQ(instrument.layoutXml, layoutText);
    EXPECT_EQ(instrument.backgroundImageData, backgroundBytes);
    EXPECT_EQ(instrument.backgroundImageSize(), static_cast<int32_t>(backgroundBytes.size()));

    const InstrumentSettings& s = instrument.settings;
    EXPECT_EQ(s.sixteenBit, sixteenBit ? 1 : 0);
    EXPECT_EQ(s.sixteenBitStored, sixteenBit ? 1 : 0);
    EXPECT_EQ(s.voiceCount, 12);
    EXPECT_EQ(s.voiceCountStored, 12);
    EXPECT_EQ(s.diskStreaming, 0);
    EXPECT_EQ(s.diskStreamingStored, 0);
    EXPECT_EQ(s.streamBufferFrames, 44100);  // untouched: a new instrument's value
    EXPECT_EQ(s.volume, -4.5f);
    EXPECT_EQ(s.pan, 0.25f);
    EXPECT_EQ(s.playerColour, 0xff112233u);
    EXPECT_EQ(s.filterType, 1);
    EXPECT_EQ(s.filterCutoff, 0.5f);
    EXPECT_EQ(s.interpolation, 1);
    EXPECT_EQ(s.velocityFloor, -30);
    EXPECT_EQ(s.clipOutput, 0);
    EXPECT_EQ(s.lfoRate, 3.0f);
    EXPECT_EQ(s.lfoDestination, 1);
    EXPECT_EQ(instrument.voices.size(), 12u);

    ASSERT_EQ(instrument.groups.size(), 2u);
    const ZGroup& low = *instrument.groups[0];
    const ZGroup& high = *instrument.groups[1];
    EXPECT_EQ(low.name, "Low");
    EXPECT_EQ(low.settings.activation, 2);
    EXPECT_EQ(low.settings.activationNote, 24);
    EXPECT_EQ(low.settings.volume, -2.0f);
    EXPECT_EQ(low.settings.output, 1);
    EXPECT_EQ(low.settings.attackScale, 1.0f);
    EXPECT_EQ(low.settings.activationController, 1);
    EXPECT_EQ(high.name, "High");
    EXPECT_EQ(high.settings.lowKey, 60);
    EXPECT_EQ(high.settings.highKey, 127);
    EXPECT_EQ(high.settings.zoneSelection, 1);
    ASSERT_EQ(instrument.activeGroups.size(), 1u);
    EXPECT_EQ(instrument.activeGroups[0], &low);

    ASSERT_EQ(low.zones.size(), 1u);
    const ZoneSettings& l = low.zones[0]->settings;
    EXPECT_EQ(l.rootKey, 48);  // from the sample's own "smpl" chunk
    EXPECT_EQ(l.playMode, 2);
    EXPECT_EQ(l.loopStart, 100u);
    EXPECT_EQ(l.loopEnd, 900u);
    EXPECT_EQ(l.endFrame, 999u);
    EXPECT_EQ(l.lowKey, 0);
    EXPECT_EQ(l.highKey, 59);
    EXPECT_EQ(l.lowVelocity, 0);
    EXPECT_EQ(l.highVelocity, 127);
    EXPECT_EQ(l.tune, -12.5f);
    EXPECT_EQ(l.release, 250.0f);
    EXPECT_TRUE(low.zones[0]->mono);
    EXPECT_EQ(zoneData(*low.zones[0]), scaled(lowSamples));

    ASSERT_EQ(high.zones.size(), 2u);
    const ZoneSettings& h1 = high.zones[0]->settings;
    EXPECT_EQ(h1.rootKey, 72);
    EXPECT_EQ(h1.startFrame, 10u);
    EXPECT_EQ(h1.endFrame, 400u);
    EXPECT_EQ(h1.loopEnd, 400u);  // the whole sound, clamped to the stored end
    EXPECT_EQ(h1.playMode, 0);
    const ZoneSettings& h2 = high.zones[1]->settings;
    EXPECT_EQ(h2.rootKey, 60);  // the sample names none
    EXPECT_EQ(h2.lowVelocity, 64);
    EXPECT_EQ(h2.endFrame, 499u);
    EXPECT_EQ(high.zones[0]->soundFile->getSampleRate(), 48000);
    EXPECT_FALSE(high.zones[0]->mono);
    EXPECT_EQ(zoneData(*high.zones[0]), scaled(highSamples));
    EXPECT_EQ(zoneData(*high.zones[1]), scaled(highSamples));
}

void loadAndCheck(const std::string& path, bool sixteenBit, const std::vector<std::string>& storedNames)
{
    ZInstrument instrument;
    SampleNames delegate;
    instrument.delegate = &delegate;
    ASSERT_TRUE(instrument.loadFromFile(path));
    instrument.delegate = nullptr;
    EXPECT_TRUE(delegate.missing.empty());
    EXPECT_EQ(delegate.names, storedNames);
    expectDescribedInstrument(instrument, sixteenBit);
}
} // namespace

TEST(BuilderRoundTrip, AnEmbeddedInstrumentLoadsBackAsDescribedIn16BitAndFloat)
{
    for (bool sixteenBit : { true, false })
    {
        SCOPED_TRACE(sixteenBit ? "16-bit" : "float");
        const std::string folder = makeSource("roundtrip-embedded", sixteenBit);
        const std::string output = folder + "/built.zse";
        build({ folder + "/instrument.json", output });

        loadAndCheck(output, sixteenBit, { "samples\\low.wav", "samples\\high.wav", "samples\\high.wav" });

        // The two zones of one sample share one stored copy: the file holds
        // each sample once (16-bit or float as asked).
        const size_t width = sixteenBit ? 2 : 4;
        auto text = [](const std::string& value) { return value.size() + 1; };
        const size_t head = 4 + 4 + 1 + text("Round Trip") + text("Zarvo Tests") + sizeof(InstrumentSettings)
                          + text("kept") + 4 + backgroundBytes.size() + text(layoutText) + 4 + text("first")
                          + text("second") + 4;
        const size_t groups = text("Low") + sizeof(GroupSettings) + 4 + text("High") + sizeof(GroupSettings) + 4;
        const size_t zones = text("samples\\low.wav") + 24 + lowSamples.size() * width
                           + 2 * text("samples\\high.wav") + 24 + highSamples.size() * width + 3 * sizeof(ZoneSettings);
        EXPECT_EQ(std::filesystem::file_size(output), head + groups + zones);
        // The program left nothing else behind.
        EXPECT_EQ(folderEntries(folder),
                  (std::vector<std::string> { "back.png", "built.zse", "instrument.json", "layout.xml", "samples" }));
    }
}

TEST(BuilderRoundTrip, AReferencingInstrumentNamesTheWaveFilesRelativeToItself)
{
    const std::string folder = makeSource("roundtrip-reference", true);
    std::filesystem::create_directories(folder + "/out/deeper");
    const std::string output = folder + "/out/deeper/referencing.zse";
    build({ "--storage", "reference", folder + "/instrument.json", output });
    loadAndCheck(output, true, { "..\\..\\samples\\low.wav", "..\\..\\samples\\high.wav", "..\\..\\samples\\high.wav" });
    EXPECT_EQ(folderEntries(folder + "/out/deeper"), std::vector<std::string> { "referencing.zse" });
}

TEST(BuilderRoundTrip, ACopyingInstrumentCarriesItsOwnCopiesOfTheWaveFiles)
{
    const std::string folder = makeSource("roundtrip-copy", false);
    const std::string target = freshFolder("roundtrip-copy-target");
    const std::string output = target + "/copying.zse";
    build({ "--storage", "copy", folder + "/instrument.json", output });
    EXPECT_EQ(readWholeFile(target + "/samples/low.wav"), readWholeFile(folder + "/samples/low.wav"));
    EXPECT_EQ(readWholeFile(target + "/samples/high.wav"), readWholeFile(folder + "/samples/high.wav"));

    std::filesystem::remove_all(folder + "/samples");  // only the copies are left
    loadAndCheck(output, false, { "samples\\low.wav", "samples\\high.wav", "samples\\high.wav" });
}

TEST(BuilderRoundTrip, AMinimalDescriptionGivesANewInstrumentsValues)
{
    // The least an instrument needs: one group with one zone.
    const std::string folder = freshFolder("roundtrip-minimal");
    writeScratchFile("roundtrip-minimal/a.wav", WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2, 3 })).build());
    writeTextFile(folder + "/minimal.json", R"({ "groups": [ { "zones": [ { "sample": "a.wav" } ] } ] })");
    build({ folder + "/minimal.json", folder + "/minimal.zse" });

    ZInstrument fresh;
    ZInstrument loaded;
    ASSERT_TRUE(loaded.loadFromFile(folder + "/minimal.zse"));
    EXPECT_EQ(std::memcmp(&loaded.settings, &fresh.settings, sizeof fresh.settings), 0);
    EXPECT_EQ(loaded.name, fresh.name);
    EXPECT_EQ(loaded.vendor, fresh.vendor);
    EXPECT_EQ(loaded.layoutXml, fresh.layoutXml);
    ASSERT_EQ(loaded.groups.size(), 1u);
    EXPECT_EQ(loaded.groups[0]->name, "Group 1");
    // A new group's values; it is active as the only group of the instrument.
    EXPECT_EQ(std::memcmp(&loaded.groups[0]->settings, &fresh.groups[0]->settings, sizeof(GroupSettings)), 0);
    ASSERT_EQ(loaded.groups[0]->zones.size(), 1u);
}
