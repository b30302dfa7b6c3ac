// prepareToPlay, reset and the small host-facing answers of the processor.

#include "OpenFileLimit.h"
#include "PluginIdentity.h"
#include "ProcessorFixture.h"

#include <cmath>
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

// An instrument loaded before the host's rate is known must not keep the
// master filter and the LFO at 44.1 kHz.
TEST_F(Lifecycle, PrepareBringsTheMasterFilterAndTheLfoToTheHostRate)
{
    ZInstrument& engine = processor.instrument;
    engine.settings.filterType = 1;
    engine.settings.filterCutoff = 0.1f;
    engine.settings.lfoRate = 3.0f;
    engine.applySettings();
    const float b0At44100 = engine.getFilterLeft().b0;

    processor.prepareToPlay(96000.0, 64);

    // 3 Hz over a 256-point table in 8.24 fixed point: 3 * 256 / 96000 * 2^24.
    EXPECT_EQ(engine.lfo.phaseIncrement, 134217u);
    ZInstrument reference;
    reference.sampleRate = 96000.0f;
    reference.settings.filterType = 1;
    reference.settings.filterCutoff = 0.1f;
    reference.applySettings();
    EXPECT_NE(engine.getFilterLeft().b0, b0At44100);
    EXPECT_EQ(engine.getFilterLeft().b0, reference.getFilterLeft().b0);
    EXPECT_EQ(engine.getFilterRight().a1, reference.getFilterRight().a1);
    EXPECT_EQ(engine.getFilterRight().a2, reference.getFilterRight().a2);

    processor.prepareToPlay(0.0, 64);
    EXPECT_TRUE(std::isfinite(engine.getFilterLeft().b0));
    // 3 * 256 / 44100 * 2^24
    EXPECT_EQ(engine.lfo.phaseIncrement, 292174u);
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
    const float level = run().getMagnitude(0, 0, blockSize);

    int releasing = 0;
    for (const auto& voice : processor.instrument.voices)
        releasing += voice->isActive() && voice->isReleasing() ? 1 : 0;
    EXPECT_EQ(releasing, 2);
    EXPECT_GT(level, 0.0f);
}

TEST_F(Lifecycle, InstrumentIdentityAnswers)
{
    EXPECT_TRUE(processor.acceptsMidi());
    EXPECT_FALSE(processor.producesMidi());
    EXPECT_TRUE(processor.hasEditor());
    EXPECT_EQ(processor.getTailLengthSeconds(), 0.0);
    // Programs are the library's instruments; this processor has none.
    EXPECT_EQ(processor.getNumPrograms(), 0);
    EXPECT_EQ(processor.getProgramName(0), "");
    EXPECT_EQ(processor.getName(), pluginIdentity().productName);
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
