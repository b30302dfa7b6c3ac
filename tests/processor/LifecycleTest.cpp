// prepareToPlay, reset and the small host-facing answers of the processor.

#include "OpenFileLimit.h"
#include "ProcessorFixture.h"

#include <sys/resource.h>

namespace
{
using Lifecycle = ProcessorFixture;
}

TEST_F(Lifecycle, PrepareSetsEngineAndLfoRates)
{
    processor.prepareToPlay(96000.0, 64);
    EXPECT_EQ(processor.instrument.sampleRate, 96000.0f);
    EXPECT_EQ(processor.instrument.lfo.sampleRate, 96000.0f);
}

TEST_F(Lifecycle, PrepareWithoutARateKeepsTheLfoRunningAt44100)
{
    processor.prepareToPlay(0.0, 64);
    EXPECT_EQ(processor.instrument.sampleRate, 0.0f);
    EXPECT_EQ(processor.instrument.lfo.sampleRate, 44100.0f);
}

TEST_F(Lifecycle, PrepareRecomputesEveryZoneOfEveryGroup)
{
    ZZone& first = addConstantZone(*processor.instrument.groups.front(), 0.5f);
    ZZone& second = addConstantZone(addGroup(3), 0.5f);
    first.settings.attack = second.settings.attack = 10.0f;

    processor.prepareToPlay(44100.0, 64);
    const float at44100 = first.attackCoefficient;
    EXPECT_EQ(second.attackCoefficient, at44100);

    processor.prepareToPlay(88200.0, 64);
    // Twice the samples for the same time: a smaller step per sample.
    EXPECT_LT(first.attackCoefficient, at44100);
    EXPECT_EQ(second.attackCoefficient, first.attackCoefficient);
}

TEST_F(Lifecycle, ResetReleasesSoundingVoicesWithoutSilencingThem)
{
    addConstantZone(*processor.instrument.groups.front(), 0.5f, 500.0f);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
    midi.addEvent(juce::MidiMessage::noteOn(1, 67, juce::uint8 { 100 }), 0);
    run(midi);
    ASSERT_EQ(activeVoices(), 2);

    processor.reset();

    int releasing = 0;
    for (const auto& voice : processor.instrument.voices)
        releasing += voice->isActive() && voice->isReleasing() ? 1 : 0;
    EXPECT_EQ(releasing, 2);
    EXPECT_GT(run().getMagnitude(0, 0, blockSize), 0.0f);
}

TEST_F(Lifecycle, InstrumentIdentityAnswers)
{
    EXPECT_TRUE(processor.acceptsMidi());
    EXPECT_FALSE(processor.producesMidi());
    EXPECT_TRUE(processor.hasEditor());
    EXPECT_EQ(processor.getTailLengthSeconds(), 0.0);
    processor.instrument.name = "Grand Piano";
    EXPECT_EQ(processor.getProgramName(0), "Grand Piano");
}

TEST(OpenFileLimit, RaisesTheSoftLimitAsFarAsAllowedAndNeverLowersIt)
{
    rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);

    const long limit = raiseOpenFileLimit(2048);
    rlimit after {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &after), 0);
    const rlim_t reachable = before.rlim_max == RLIM_INFINITY ? rlim_t { 2048 } : std::min<rlim_t>(2048, before.rlim_max);
    EXPECT_GE(after.rlim_cur, std::max(before.rlim_cur, reachable));
    EXPECT_GE(limit, static_cast<long>(reachable));

    EXPECT_EQ(raiseOpenFileLimit(16), limit);
    rlimit unchanged {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &unchanged), 0);
    EXPECT_EQ(unchanged.rlim_cur, after.rlim_cur);
    EXPECT_EQ(raiseOpenFileLimit(-1), -1);
}
