// The LFO as the block loop drives it: its period and shape changes seen
// through the instrument, and its three destinations and depth sources.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "support/EngineFixture.h"

namespace
{
constexpr uint32_t threeHertzIncrement = 292174; // truncate(3 x 256 / 44100 x 2^24)
constexpr int threeHertzCycle = 14700;

enum Shape { triangle = 0, saw = 2, square = 3 };
enum Destination { none = 0, pitch = 1, expression = 2, pan = 3 };

// Point k (0..256, 256 the guard) of a shape's table, from the shape's definition.
double tablePoint(int shape, int k)
{
    switch (shape)
    {
    case triangle:
        if (k < 64)
            return k / 64.0;
        if (k < 128)
            return (128 - k) / 64.0;
        if (k < 192)
            return -(k - 128) / 64.0;
        return (k - 256) / 64.0;
    case saw:
        return k < 256 ? 2.0 * k / 255.0 - 1.0 : -1.0;
    case square:
        return k < 128 || k == 256 ? 1.0 : -1.0;
    default:
        return 0.0;
    }
}

// The LFO output at a phase: the two table points around it, interpolated.
double lfoAt(int shape, uint32_t phase)
{
    const int index = static_cast<int>(phase >> 24);
    const double fraction = (phase & 0xFFFFFFu) / 16777216.0;
    return (1.0 - fraction) * tablePoint(shape, index) + fraction * tablePoint(shape, index + 1);
}

// The phase an instrument's LFO reads at its n-th sample (counted from 0).
uint32_t phaseAt(int64_t sample, uint32_t increment = threeHertzIncrement)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(sample) * increment);
}

void setLfo(ZInstrument& instrument, int destination, int shape, float depth)
{
    instrument.settings.lfoDestination = destination;
    instrument.settings.lfoShape = shape;
    instrument.settings.lfoDepth = depth;
    instrument.settings.lfoDepthSource = 0;
    instrument.applySettings();
}
} // namespace

TEST(Modulation, ExpressionReplacesTheInstrumentGain)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    setLfo(f.instrument, expression, square, 0.0f);
    f.instrument.settings.volume = -20.0f;
    f.instrument.applySettings();
    f.noteOn(60);
    f.controller(11, 30, 3);
    RenderedBlock block = f.render(512);
    for (int n = 0; n < 512; ++n)
    {
        ASSERT_EQ(block.at(0, n), 0.25f) << "sample " << n; // gain 0.5 whatever volume and expression say
        ASSERT_EQ(block.at(1, n), 0.25f) << "sample " << n;
    }

    f.instrument.settings.lfoDepth = 1.0f;
    block = f.render(threeHertzCycle);
    double worst = 0.0;
    int full = 0, silent = 0;
    for (int n = 0; n < threeHertzCycle; ++n)
    {
        const double expected = 0.5 * std::fabs(0.5 + 0.5 * lfoAt(square, phaseAt(512 + n)));
        worst = std::max(worst, std::fabs(block.at(0, n) - expected));
        full += block.at(0, n) == 0.5f;
        silent += block.at(0, n) == 0.0f;
    }
    EXPECT_LT(worst, 1e-6);
    EXPECT_GT(full, 7000); // gain 1.0 on the upper half of the cycle ...
    EXPECT_GT(silent, 7000); // ... and 0.0 on the lower half
}

TEST(Modulation, PanFollowsEverySampleAndLeavesTheStoredPanAlone)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.instrument.settings.pan = 0.7f;
    setLfo(f.instrument, pan, saw, 0.0f);
    f.noteOn(60);
    RenderedBlock block = f.render(64);
    // Depth 0 centres the sound; the user's pan stays what the state and the
    // pan control show.
    EXPECT_EQ(f.instrument.settings.pan, 0.7f);
    for (int n = 0; n < 64; ++n)
    {
        ASSERT_EQ(block.at(0, n), 0.5f) << "sample " << n;
        ASSERT_EQ(block.at(1, n), 0.5f) << "sample " << n;
    }

    f.instrument.settings.lfoDepth = 0.8f;
    block = f.render(threeHertzCycle);
    double worst = 0.0, lastPan = 0.0;
    for (int n = 0; n < threeHertzCycle; ++n)
    {
        lastPan = 0.8 * lfoAt(saw, phaseAt(64 + n));
        const double left = lastPan <= 0.0 ? 1.0 : std::fabs(1.0 - lastPan);
        const double right = lastPan <= 0.0 ? std::fabs(lastPan + 1.0) : 1.0;
        worst = std::max({ worst, std::fabs(block.at(0, n) - 0.5 * left), std::fabs(block.at(1, n) - 0.5 * right) });
    }
    EXPECT_LT(worst, 1e-5);
    EXPECT_NEAR(f.instrument.getPanLeft(), lastPan <= 0.0 ? 1.0 : std::fabs(1.0 - lastPan), 1e-5);
    EXPECT_NEAR(f.instrument.getPanRight(), lastPan <= 0.0 ? std::fabs(lastPan + 1.0) : 1.0, 1e-5);
    EXPECT_EQ(f.instrument.settings.pan, 0.7f);

    // Once the LFO leaves the pan, the stored pan comes back.
    f.instrument.settings.lfoDestination = none;
    f.instrument.applySettings();
    block = f.render(8);
    EXPECT_FLOAT_EQ(block.at(0, 4), 0.5f * 0.3f);
    EXPECT_FLOAT_EQ(block.at(1, 4), 0.5f);
}

TEST(Modulation, PitchFollowsTheSquareWithLinearRampsAtItsTransitions)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    setLfo(f.instrument, pitch, square, 0.0f);
    f.noteOn(60);
    const ZVoice& voice = *f.instrument.voices.front();
    int64_t sample = 0;
    for (; sample < 256; ++sample)
    {
        f.render(1);
        ASSERT_EQ(voice.getIncrement(), 1.0) << "sample " << sample;
    }

    f.instrument.settings.lfoDepth = 1.0f;
    const double semitoneUp = std::pow(2.0, 1.0 / 12.0);
    int up = 0, down = 0, ramp = 0;
    double worstPlateau = 0.0, worstRamp = 0.0;
    for (int n = 0; n < threeHertzCycle; ++n, ++sample)
    {
        f.render(1);
        const double semitones = lfoAt(square, phaseAt(sample));
        const double increment = voice.getIncrement();
        if (semitones == 1.0 || semitones == -1.0)
        {
            (semitones > 0 ? up : down) += 1;
            const double expected = semitones > 0 ? semitoneUp : 1.0 / semitoneUp;
            worstPlateau = std::max(worstPlateau, std::fabs(increment - expected));
        }
        else
        {
            ++ramp; // whole cents: at most a cent below the exact ratio's distance from 1
            worstRamp = std::max(worstRamp, std::fabs(12.0 * std::log2(increment) - semitones));
        }
    }
    EXPECT_LT(worstPlateau, 1e-6);
    EXPECT_LT(worstRamp, 0.011);
    EXPECT_GT(up, 7000);
    EXPECT_GT(down, 7000);
    EXPECT_GE(ramp, 110); // two transitions of about 57 samples each
    EXPECT_LE(ramp, 118);
}

TEST(Modulation, SawPeriodFollowsTheRateSetThroughApplySettings)
{
    EngineFixture f;
    setLfo(f.instrument, none, saw, 0.0f); // no destination: the LFO still runs
    std::vector<int64_t> crossings; // samples where the saw passes upward through 0
    int64_t sample = 0;
    float previous = -1.0f;
    auto runUntil = [&](size_t count) {
        while (crossings.size() < count)
        {
            f.render(1);
            const float value = f.instrument.getLfoValue();
            if (previous < 0.0f && value >= 0.0f)
                crossings.push_back(sample);
            previous = value;
            ++sample;
        }
    };

    runUntil(4);
    for (size_t k = 1; k < 4; ++k)
        EXPECT_NEAR(static_cast<double>(crossings[k] - crossings[k - 1]), threeHertzCycle, 1.0) << k;

    f.instrument.settings.lfoRate = 6.0f;
    f.instrument.applySettings();
    f.render(1);
    previous = f.instrument.getLfoValue();
    ++sample;
    EXPECT_LT(std::fabs(previous), 1e-3f); // the phase went on: the saw is still near its crossing
    runUntil(7);
    for (size_t k = 4; k < 7; ++k)
        EXPECT_NEAR(static_cast<double>(crossings[k] - crossings[k - 1]), threeHertzCycle / 2, 1.0) << k;
}

TEST(Modulation, ShapeChangeTakesEffectAtTheNextSample)
{
    EngineFixture f;
    setLfo(f.instrument, none, saw, 0.0f);
    int64_t sample = 0;
    for (; sample < 3000; ++sample)
        f.render(1);
    EXPECT_NEAR(f.instrument.getLfoValue(), lfoAt(saw, phaseAt(sample - 1)), 1e-6);
    ASSERT_LT(f.instrument.getLfoValue(), -0.5f);

    f.instrument.settings.lfoShape = square;
    f.instrument.applySettings();
    f.render(1);
    ++sample;
    EXPECT_EQ(f.instrument.getLfoValue(), 1.0f);

    // A whole cycle after the next change reads the new table only.
    f.instrument.settings.lfoShape = triangle;
    f.instrument.applySettings();
    double worst = 0.0;
    for (int n = 0; n < threeHertzCycle; ++n, ++sample)
    {
        f.render(1);
        worst = std::max(worst, std::fabs(f.instrument.getLfoValue() - lfoAt(triangle, phaseAt(sample))));
    }
    EXPECT_LT(worst, 1e-6);

    // A number that is no shape keeps the table it has.
    f.instrument.settings.lfoShape = 9;
    f.instrument.applySettings();
    worst = 0.0;
    for (int n = 0; n < 2000; ++n, ++sample)
    {
        f.render(1);
        worst = std::max(worst, std::fabs(f.instrument.getLfoValue() - lfoAt(triangle, phaseAt(sample))));
    }
    EXPECT_LT(worst, 1e-6);
}

TEST(Modulation, EachDepthSourceListensOnlyToItsOwnMessage)
{
    const float untouched = 0.25f;
    for (int source = 0; source <= 3; ++source)
    {
        EngineFixture f;
        f.addConstantZone(f.defaultGroup(), 0.5f, 60, 60);
        f.instrument.settings.lfoDepthSource = source;
        f.instrument.settings.velocityCurve = 2; // "Strong": velocity / 127
        auto depthAfter = [&](int status, int data1, int data2) {
            f.instrument.settings.lfoDepth = untouched;
            f.instrument.postEvent(status, 0, data1, data2, 0);
            f.render(2);
            return f.instrument.settings.lfoDepth;
        };
        EXPECT_EQ(depthAfter(0xD0, 127, 127), untouched) << source; // channel pressure never counts
        EXPECT_FLOAT_EQ(depthAfter(0xB0, 1, 64), source == 1 ? 64.0f / 127.0f : untouched) << source;
        EXPECT_FLOAT_EQ(depthAfter(0xA0, 61, 32), source == 2 ? 32.0f / 127.0f : untouched) << source;
        EXPECT_FLOAT_EQ(depthAfter(0x90, 30, 100), source == 3 ? 100.0f / 127.0f : untouched) << source;
        EXPECT_EQ(depthAfter(0x90, 30, 0), untouched) << source; // a note-off triggers no plain group
        EXPECT_EQ(f.activeVoices(), 0); // key 30 has no zone: nothing started
    }
}

TEST(Modulation, VelocityDepthReachesVoicesAlreadySounding)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f, 60, 60);
    setLfo(f.instrument, pitch, square, 0.0f); // the first 57 samples sit at +1
    f.instrument.settings.lfoDepthSource = 3;
    f.instrument.settings.velocityCurve = 2;
    f.noteOn(60, 127);
    f.render(8);
    const ZVoice& voice = *f.instrument.voices.front();
    EXPECT_NEAR(voice.getIncrement(), std::pow(2.0, 1.0 / 12.0), 1e-6);

    f.noteOn(30, 64); // no zone: only the depth changes, to 64/127 (50.39 cents)
    f.render(8);
    EXPECT_EQ(f.activeVoices(), 1);
    EXPECT_FLOAT_EQ(f.instrument.settings.lfoDepth, 64.0f / 127.0f);
    EXPECT_NEAR(voice.getIncrement(), std::pow(2.0, 50.0 / 1200.0), 1e-6);

    f.instrument.settings.velocityCurve = 1; // "Weak"
    f.noteOn(31, 100);
    f.render(8);
    EXPECT_NEAR(f.instrument.settings.lfoDepth, 1.0 - std::sqrt(1.0 - std::pow(101.0 / 128.0, 2.0)), 1e-6);
}
