#include <gtest/gtest.h>

#include "support/AllocationCounter.h"
#include "support/EngineFixture.h"
#include "engine/VoiceTestRig.h"

TEST(BlockLoop, GroupOutputsRouteToTheirPairOrFallBackToTheFirst)
{
    for (int channels : { 2, 32 })
    {
        EngineFixture f;
        f.defaultGroup().settings.output = 5;
        f.addConstantZone(f.defaultGroup(), 0.5f);
        f.noteOn(60);
        const RenderedBlock block = f.render(16, channels);
        const int first = channels == 32 ? 10 : 0;
        for (int c = 0; c < channels; ++c)
        {
            const bool expected = c == first || c == first + 1;
            EXPECT_EQ(block.peak(c), expected ? 0.5f : 0.0f) << channels << " channels, channel " << c;
        }
    }
}

TEST(BlockLoop, EveryChannelIsClearedAndClipped)
{
    EngineFixture f;
    f.defaultGroup().settings.output = 1;
    f.addConstantZone(f.defaultGroup(), 0.9f);
    f.addConstantZone(f.defaultGroup(), 0.9f);
    f.noteOn(60);
    RenderedBlock block = f.render(8, 5);  // the render helper fills channels with 7.0 first
    EXPECT_EQ(block.peak(0), 0.0f);
    EXPECT_FLOAT_EQ(block.at(2, 4), 1.0f);
    EXPECT_EQ(block.peak(4), 0.0f);

    f.instrument.settings.clipOutput = 0;
    block = f.render(8, 4);
    EXPECT_NEAR(block.at(2, 4), 1.8f, 1e-4);
}

TEST(BlockLoop, InstrumentPanAppliesToEveryPair)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.instrument.settings.pan = 0.5f;
    f.instrument.applySettings();
    f.noteOn(60);
    const RenderedBlock block = f.render(8);
    EXPECT_FLOAT_EQ(block.at(0, 4), 0.25f);
    EXPECT_FLOAT_EQ(block.at(1, 4), 0.5f);
}

TEST(BlockLoop, LoadingRendersSilenceAndKeepsTheQueue)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.instrument.loadingFlag = true;
    EXPECT_EQ(f.render(8).peak(0), 0.0f);
    EXPECT_EQ(f.instrument.pendingEventCount(), 1u);
    f.instrument.loadingFlag = false;
    EXPECT_EQ(f.render(8).peak(0), 0.5f);
}

TEST(BlockLoop, RenderingAllocatesNothing)
{
    EngineFixture f(8);
    f.defaultGroup().settings.zoneSelection = 1;
    for (int k = 0; k < 3; ++k)
        f.addConstantZone(f.defaultGroup(), 0.1f);
    f.instrument.settings.filterType = 1;
    f.instrument.settings.reverbSend = 0.3f;
    f.instrument.settings.lfoDepth = 0.5f;
    f.instrument.applySettings();
    std::vector<std::vector<float>> buffers(32, std::vector<float>(64));
    std::vector<float*> channels;
    for (auto& b : buffers)
        channels.push_back(b.data());
    f.instrument.process(channels.data(), 32, 64);  // first block settles lazily built state

    AllocationCounter counter;
    for (int block = 0; block < 50; ++block)
    {
        for (int n = 0; n < 12; ++n)  // more notes than voices: stealing
            f.noteOn(40 + (block * 7 + n) % 40, 100, n % 16, n * 5);
        f.noteOff(40 + block % 40, 0, 30);
        f.instrument.postEvent(0xE0, 0, 0, block % 128, 10);
        f.controller(1, block % 128, 20);
        f.controller(7, 100, 21);
        f.controller(64, block % 2 ? 127 : 0, 22);
        f.controller(121, 0, 40);
        f.instrument.process(channels.data(), 32, 64);
    }
    EXPECT_EQ(counter.allocations(), 0);
}

TEST(BlockLoop, StreamingVoicesAllocateNothingWhilePlaying)
{
    ZInstrument instrument;
    ZManualClock clock;
    instrument.setClock(&clock);
    voicetest::configure(instrument, true, true, 256, 8);
    ZGroup& group = *instrument.groups.front();
    group.addZone(voicetest::makeZone(instrument, voicetest::noise(20000, 2, 44100, 1000), [](ZoneSettings& s) {
        s.playMode = 2;
        s.loopStart = 3000;
        s.loopEnd = 4000;
    }).release());

    std::vector<std::vector<float>> buffers(2, std::vector<float>(128));
    float* channels[] = { buffers[0].data(), buffers[1].data() };
    instrument.process(channels, 2, 128);

    AllocationCounter counter;
    for (int block = 0; block < 200; ++block)
    {
        clock.advance(3.0);
        for (int n = 0; n < 3; ++n)  // more notes than voices over time: stealing
            instrument.postEvent(0x90, 0, 48 + (block * 5 + n) % 30, 100, n * 20);
        instrument.postEvent(0x80, 0, 48 + block % 30, 0, 90);
        instrument.process(channels, 2, 128);
    }
    EXPECT_EQ(counter.allocations(), 0);
}
