#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <sstream>

#include "engine/ZInstrument.h"
#include "engine/ZStreamingThread.h"
#include "engine/ZTables.h"
#include "support/EngineFixture.h"

namespace
{
struct CountingDelegate : ZSEDelegate
{
    bool loadProgress(float, const std::string&, const std::string&) override { return true; }
    void groupsChanged() override { ++groupChanges; }
    void locateSample(const std::string&, char*) override {}
    void instrumentChanged() override { ++instrumentChanges; }
    int groupChanges = 0;
    int instrumentChanges = 0;
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}
} // namespace

TEST(InstrumentRecords, NewInstrumentHasItsDefaults)
{
    ZInstrument instrument;
    ASSERT_EQ(instrument.groups.size(), 1u);
    EXPECT_EQ(instrument.groups[0]->name, "Default Group");
    EXPECT_TRUE(instrument.groups[0]->zones.empty());
    ASSERT_EQ(instrument.activeGroups.size(), 1u);
    EXPECT_EQ(instrument.activeGroups[0], instrument.groups[0].get());
    EXPECT_EQ(instrument.currentGroup, instrument.groups[0].get());
    EXPECT_EQ(instrument.groups[0]->settings.active, 1);
    EXPECT_EQ(instrument.name, "Untitled");
    EXPECT_EQ(instrument.vendor, "Quellmark");
    EXPECT_EQ(instrument.voices.size(), 32u);

    const InstrumentSettings& s = instrument.settings;
    EXPECT_EQ(s.streamBufferFrames, 44100);
    EXPECT_EQ(s.streamBufferFramesStored, 44100);
    EXPECT_EQ(s.sixteenBitStored, 1);
    EXPECT_EQ(s.diskStreamingStored, 1);
    EXPECT_EQ(s.voiceCountStored, 32);
    EXPECT_EQ(s.interpolation, 2);
    EXPECT_EQ(s.lfoDestination, 1);
    EXPECT_EQ(s.lfoDepthSource, 1);
    EXPECT_FLOAT_EQ(s.lfoRate, 3.0f);
    EXPECT_EQ(s.velocityFloor, -48);
    EXPECT_EQ(s.clipOutput, 1);
    EXPECT_EQ(s.filterType, 0);
    for (uint8_t b : s.reserved)
        ASSERT_EQ(b, 0);

    EXPECT_EQ(instrument.getNoteVelocity(0), 127);
    EXPECT_EQ(instrument.getNoteVelocity(127), 127);
    EXPECT_EQ(instrument.getLastNote(), 60);
    EXPECT_FLOAT_EQ(instrument.getGainTarget(), 1.0f);
    EXPECT_FLOAT_EQ(instrument.sampleRate, 44100.0f);
    EXPECT_EQ(instrument.getBendRange(), 2);
}

TEST(InstrumentRecords, DefaultLayoutIsExactlyTheShippedText)
{
    ZInstrument instrument;
    const std::string& xml = instrument.layoutXml;
    EXPECT_EQ(xml.size(), 1036u);
    EXPECT_NE(xml.back(), '\n');
    for (char c : xml)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F));
    const auto text = lines(xml);
    ASSERT_EQ(text.size(), 13u);
    EXPECT_EQ(text[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_EQ(text[1], "<player width=\"593\" height=\"242\">");
    EXPECT_EQ(text[5], "<keyboard x=\"9\" y=\"180\" width=\"574\" height=\"60\" 4=\"36,95\"/>");
    EXPECT_EQ(text[10],
              "<knob x=\"393\" y=\"124\" width=\"40\" height=\"40\" 2=\"2\" 16782198=\"66dfc4c4\" "
              "16782197=\"7fdadadc\"/>");
    EXPECT_EQ(text[12].substr(text[12].size() - 9), "</player>");
}

TEST(InstrumentRecords, GroupDefaultsAndActivationNotifications)
{
    ZInstrument instrument;
    CountingDelegate delegate;
    instrument.delegate = &delegate;
    ZGroup* second = instrument.addGroup("Second");
    EXPECT_EQ(instrument.currentGroup, second);
    EXPECT_EQ(second->settings.activationController, 1);
    EXPECT_EQ(second->settings.highKey, 127);
    EXPECT_EQ(second->settings.highVelocity, 127);
    EXPECT_FLOAT_EQ(second->settings.sustainScale, 1.0f);
    EXPECT_EQ(second->settings.active, 0);

    instrument.activateGroup(instrument.groups[0].get());  // already active
    EXPECT_EQ(delegate.groupChanges, 0);
    instrument.activateGroup(second);
    instrument.activateGroup(nullptr);
    EXPECT_EQ(delegate.groupChanges, 1);
    EXPECT_EQ(second->settings.active, 1);
    instrument.deactivateGroup(instrument.groups[0].get());
    EXPECT_EQ(delegate.groupChanges, 2);
    ASSERT_EQ(instrument.activeGroups.size(), 1u);
    EXPECT_EQ(instrument.activeGroups[0], second);
    instrument.deactivateGroup(instrument.groups[0].get());
    EXPECT_EQ(delegate.groupChanges, 2);
    instrument.delegate = nullptr;
}

TEST(InstrumentRecords, ZoneMapHoldsZonesInTheirRangesInZoneOrder)
{
    EngineFixture f;
    ZZone& first = f.addConstantZone(f.defaultGroup(), 0.1f, 60, 64, 100, 127);
    ZZone& second = f.addConstantZone(f.defaultGroup(), 0.2f, 62, 62, 0, 127);
    const ZGroup& group = f.defaultGroup();
    EXPECT_EQ(first.group, &group);
    for (int n = 0; n < 128; ++n)
        for (int v = 0; v < 128; ++v)
        {
            const bool inFirst = n >= 60 && n <= 64 && v >= 100;
            const bool inSecond = n == 62;
            ASSERT_EQ(group.zoneCount(n, v), int(inFirst) + int(inSecond)) << n << "," << v;
        }
    ASSERT_EQ(group.zoneCount(62, 110), 2);
    EXPECT_EQ(group.zoneAt(62, 110, 0), &first);
    EXPECT_EQ(group.zoneAt(62, 110, 1), &second);
    ASSERT_EQ(group.zoneCount(62, 99), 1);
    EXPECT_EQ(group.zoneAt(62, 99, 0), &second);
}

TEST(InstrumentRecords, StoredRangesBeyondTheMapAreClamped)
{
    EngineFixture f;
    ZZone& zone = f.addConstantZone(f.defaultGroup(), 0.1f, -40, 400, -5, 1000);
    EXPECT_EQ(f.defaultGroup().zoneCount(0, 0), 1);
    EXPECT_EQ(f.defaultGroup().zoneCount(127, 127), 1);
    zone.settings.lowKey = 90;
    zone.settings.highKey = 10;  // empty range
    f.defaultGroup().rebuildZoneMap();
    EXPECT_EQ(f.defaultGroup().zoneCount(50, 50), 0);
}

TEST(InstrumentRecords, ClearRemovesGroupsAndSilencesVoices)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.render(16);
    ASSERT_EQ(f.activeVoices(), 1);
    f.instrument.backgroundImageData.assign(10, 1);
    ASSERT_EQ(f.instrument.backgroundImageSize(), 10);
    f.instrument.stringList.push_back("x");
    f.instrument.clear();
    EXPECT_EQ(f.activeVoices(), 0);
    EXPECT_TRUE(f.instrument.groups.empty());
    EXPECT_TRUE(f.instrument.activeGroups.empty());
    EXPECT_EQ(f.instrument.currentGroup, nullptr);
    EXPECT_EQ(f.instrument.backgroundImageSize(), 0);
    EXPECT_TRUE(f.instrument.stringList.empty());
    EXPECT_EQ(f.instrument.name, "Untitled");
    // Rendering after a clear plays nothing and touches no destroyed zone.
    EXPECT_EQ(f.render(64).peak(0), 0.0f);
}

TEST(InstrumentRecords, VoicePoolFollowsTheAppliedSettings)
{
    ZInstrument instrument;
    instrument.settings.voiceCount = 8;
    instrument.settings.diskStreaming = 0;
    instrument.createVoices();
    EXPECT_EQ(instrument.voices.size(), 8u);
    instrument.settings.voiceCount = -3;
    instrument.createVoices();
    EXPECT_TRUE(instrument.voices.empty());
    instrument.settings.voiceCount = 1 << 30;  // a corrupt count cannot exhaust memory
    instrument.createVoices();
    EXPECT_LE(instrument.voices.size(), 256u);
}

TEST(InstrumentRecords, TheSampleRateBringsZonesLfoAndFilterAlong)
{
    EngineFixture f;
    ZZone& zone = f.addConstantZone(f.defaultGroup(), 0.5f);
    zone.settings.release = 100.0f;
    zone.updateDerived();
    f.instrument.settings.filterType = 1;
    f.instrument.settings.filterCutoff = 0.5f;  // 10010 Hz
    f.instrument.applySettings();
    EXPECT_NEAR(zone.releaseCoefficient, 0.000226732, 1e-9);       // 1 - e^(-1 / 4410)
    EXPECT_NEAR(f.instrument.getFilterLeft().b0, 0.286293, 1e-6);

    f.instrument.setSampleRate(48000.0f);
    EXPECT_EQ(f.instrument.sampleRate, 48000.0f);
    EXPECT_EQ(f.instrument.lfo.sampleRate, 48000.0f);
    EXPECT_EQ(f.instrument.lfo.phaseIncrement, 268435u);            // truncate(768 / 48000 x 2^24)
    EXPECT_NEAR(zone.releaseCoefficient, 0.000208312, 1e-9);       // 1 - e^(-1 / 4800)
    for (const ZBiquad* filter : { &f.instrument.getFilterLeft(), &f.instrument.getFilterRight() })
    {
        EXPECT_NEAR(filter->b0, 0.250297, 1e-6);  // the cookbook low-pass at 10010 Hz of 48 kHz, Q 1
        EXPECT_NEAR(filter->a1, -0.347312, 1e-6);
        EXPECT_NEAR(filter->a2, 0.348498, 1e-6);
    }

    // A host that reports no rate leaves the LFO at 44.1 kHz.
    f.instrument.setSampleRate(0.0f);
    EXPECT_EQ(f.instrument.lfo.sampleRate, 44100.0f);
    EXPECT_EQ(f.instrument.lfo.phaseIncrement, 292174u);
}

TEST(InstrumentRecords, StreamingThreadLivesWithTheInstruments)
{
    // Other tests' instruments are all destroyed by now.
    ASSERT_EQ(ZStreamingThread::liveInstrumentCount(), 0);
    EXPECT_FALSE(ZStreamingThread::isRunning());
    {
        ZInstrument a;
        EXPECT_TRUE(ZStreamingThread::isRunning());
        {
            ZInstrument b;
            EXPECT_EQ(ZInstrument::liveInstrumentCount(), 2);
        }
        EXPECT_TRUE(ZStreamingThread::isRunning());
    }
    EXPECT_FALSE(ZStreamingThread::isRunning());
    ZInstrument again;
    EXPECT_TRUE(ZStreamingThread::isRunning());
}

TEST(EngineTables, PitchAndGainRules)
{
    EXPECT_FLOAT_EQ(pitchRatioForSemitones(0.0f), 1.0f);
    EXPECT_NEAR(pitchRatioForSemitones(12.0f), 2.0f, 1e-6);
    EXPECT_NEAR(pitchRatioForSemitones(-24.0f), 0.25f, 1e-7);
    // Cents are truncated toward zero inside the table range...
    EXPECT_FLOAT_EQ(pitchRatioForSemitones(0.009f), 1.0f);
    EXPECT_FLOAT_EQ(pitchRatioForSemitones(-0.009f), 1.0f);
    EXPECT_FLOAT_EQ(pitchRatioForSemitones(0.019f), pitchRatioTable()[2401]);
    EXPECT_FLOAT_EQ(pitchRatioForSemitones(-0.019f), pitchRatioTable()[2399]);
    EXPECT_NEAR(pitchRatioForSemitones(1.999f), std::pow(2.0, 199.0 / 1200.0), 1e-6);
    // ...and computed directly outside it.
    EXPECT_NEAR(pitchRatioForSemitones(30.5f), std::pow(2.0, 30.5 / 12.0), 1e-4);
    EXPECT_FLOAT_EQ(gainForDecibels(0.0f), 1.0f);
    EXPECT_NEAR(gainForDecibels(-6.0f), 0.501187, 1e-6);
    EXPECT_NEAR(gainForDecibels(-60.0f), 0.001, 1e-7);
    EXPECT_NEAR(gainForDecibels(6.0f), 1.995262, 1e-5);
    EXPECT_NEAR(pitchRatioTable()[0], 0.25f, 1e-7);
    EXPECT_NEAR(gainTable()[6000], 1.0f, 1e-7);

    float left, right;
    panGains(-0.25f, left, right);
    EXPECT_FLOAT_EQ(left, 1.0f);
    EXPECT_FLOAT_EQ(right, 0.75f);
    panGains(0.4f, left, right);
    EXPECT_FLOAT_EQ(left, 0.6f);
    EXPECT_FLOAT_EQ(right, 1.0f);
}
