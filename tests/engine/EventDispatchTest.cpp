#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/AllocationCounter.h"
#include "support/EngineFixture.h"

namespace
{
// Two zones on separate outputs so each note's start can be seen alone.
struct TwoOutputs : EngineFixture
{
    TwoOutputs()
    {
        ZGroup& second = addGroup("Second");
        second.settings.output = 1;
        instrument.activateGroup(&second);
        addConstantZone(defaultGroup(), 0.25f, 60, 60);
        addConstantZone(second, 0.5f, 62, 62);
    }
};
} // namespace

TEST(EventDispatch, EventsStartAtTheirSamplePosition)
{
    TwoOutputs f;
    f.noteOn(60, 100, 0, 17);
    const RenderedBlock block = f.render(64, 4);
    EXPECT_EQ(block.firstSound(0), 17);
    EXPECT_FLOAT_EQ(block.at(0, 17), 0.25f);
    EXPECT_EQ(block.firstSound(2), -1);
}

TEST(EventDispatch, AnEarlierPositionQueuedLaterWaitsForTheOneBeforeIt)
{
    TwoOutputs f;
    f.noteOn(60, 100, 0, 10);
    f.noteOn(62, 100, 0, 5);
    const RenderedBlock block = f.render(64, 4);
    EXPECT_EQ(block.firstSound(0), 10);
    EXPECT_EQ(block.firstSound(2), 10);
}

TEST(EventDispatch, PositionsPastTheBlockAreHandledAtItsLastSample)
{
    TwoOutputs f;
    f.noteOn(60, 100, 0, 1000);
    const RenderedBlock block = f.render(32, 4);
    EXPECT_EQ(block.firstSound(0), 31);
    EXPECT_EQ(f.instrument.pendingEventCount(), 0u);
    f.noteOn(62, 100, 0, 0);  // nothing of the last block is left to run first
    EXPECT_EQ(f.render(32, 4).firstSound(2), 0);
}

TEST(EventDispatch, AsSoonAsPossibleMeansTheFirstSampleOfTheNextBlock)
{
    TwoOutputs f;
    f.instrument.postEvent(0x90, 0, 60, 100, -1);
    EXPECT_EQ(f.render(16, 4).firstSound(0), 0);
}

TEST(EventDispatch, EventsPackIntoEightBytesWithMaskedDataBytes)
{
    EngineFixture f;
    f.instrument.postEvent(0x93, 0x0C, 200, 0x85, 42);
    const std::vector<ZEvent> queued = f.instrument.takePendingEvents();
    ASSERT_EQ(queued.size(), 1u);
    const ZEvent e = queued[0];
    EXPECT_EQ(e.status, 0x9C);
    EXPECT_EQ(e.data1, 200 & 0x7F);
    EXPECT_EQ(e.data2, 0x05);
    EXPECT_EQ(e.zero, 0);
    EXPECT_EQ(e.position, 42);
}

TEST(EventDispatch, AFullQueueDropsEventsInsteadOfGrowing)
{
    EngineFixture f;
    AllocationCounter counter;
    for (size_t k = 0; k < ZInstrument::eventCapacity + 10; ++k)
        f.instrument.postEvent(0xB0, 0, 3, 1, static_cast<int>(k));
    EXPECT_EQ(counter.allocations(), 0);
    const std::vector<ZEvent> queued = f.instrument.takePendingEvents();
    ASSERT_EQ(queued.size(), ZInstrument::eventCapacity);
    EXPECT_EQ(queued.back().position, static_cast<int>(ZInstrument::eventCapacity) - 1);  // the last ones went
}

TEST(EventDispatch, VelocityZeroIsANoteOff)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.render(8);
    f.noteOn(60, 0);
    f.render(8);
    ASSERT_EQ(f.activeVoices(), 1);
    EXPECT_TRUE(f.instrument.voices[0]->isReleasing());
}

TEST(EventDispatch, PitchBendCentreAndExtremes)
{
    EngineFixture f;
    f.instrument.postEvent(0xE0, 0, 0, 64, 0);
    f.render(4);
    EXPECT_EQ(f.instrument.bendTarget, 1.0f);
    f.instrument.postEvent(0xE0, 0, 127, 127, 0);
    f.render(4);
    EXPECT_NEAR(f.instrument.bendTarget, std::pow(2.0, 199.0 / 1200.0), 1e-6);
    f.instrument.postEvent(0xE0, 0, 0, 0, 0);
    f.render(4);
    EXPECT_NEAR(f.instrument.bendTarget, std::pow(2.0, -200.0 / 1200.0), 1e-6);
}

TEST(EventDispatch, PitchBendRampsAtMostOneHundredthPerSample)
{
    EngineFixture f;
    f.instrument.postEvent(0xE0, 0, 0, 0, 0);  // down two semitones: ratio 0.8909
    f.render(1);
    EXPECT_NEAR(f.instrument.getBendRatio(), 0.99f, 1e-6);
    EXPECT_TRUE(f.instrument.isBendMoving());
    f.render(20);
    EXPECT_FLOAT_EQ(f.instrument.getBendRatio(), f.instrument.bendTarget);
    f.render(1);
    EXPECT_FALSE(f.instrument.isBendMoving());
}

TEST(EventDispatch, ProgramChangeAndKeyPressure)
{
    EngineFixture f;
    f.instrument.postEvent(0xC0, 3, 17, 0, 0);
    f.instrument.settings.lfoDepthSource = 2;
    f.instrument.postEvent(0xA0, 0, 60, 127, 0);
    f.render(4);
    EXPECT_EQ(f.instrument.getProgram(), 17);
    EXPECT_FLOAT_EQ(f.instrument.settings.lfoDepth, 1.0f);
}
