#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/ZLFO.h"

namespace
{
constexpr uint32_t indexPhase(double index) { return static_cast<uint32_t>(index * 16777216.0); }

// The value at a fixed phase, without moving on.
float valueAt(ZLFO& lfo, double index)
{
    lfo.phase = indexPhase(index);
    const uint32_t increment = lfo.phaseIncrement;
    lfo.phaseIncrement = 0;
    const float value = lfo.advance();
    lfo.phaseIncrement = increment;
    return value;
}
} // namespace

TEST(LFO, StartsAsATriangleAtThreeHertz)
{
    ZLFO lfo;
    EXPECT_EQ(lfo.sampleRate, 44100.0f);
    EXPECT_EQ(lfo.phase, 0u);
    // 768 / 44100 x 2^24 = 292174.65
    EXPECT_EQ(lfo.phaseIncrement, 292174u);
    EXPECT_EQ(lfo.table[64], 1.0f);
    EXPECT_EQ(lfo.table[192], -1.0f);
}

TEST(LFO, ThreeHertzCycleLasts14700SamplesWithIndexStepsEvery57Point4)
{
    ZLFO lfo;
    lfo.setRate(3.0f);
    int samples = 0;
    int indexChanges = 0;
    int longestRun = 0, shortestRun = 1 << 30, run = 0;
    uint32_t previousIndex = lfo.phase >> 24;
    do
    {
        lfo.advance();
        ++samples;
        ++run;
        const uint32_t index = lfo.phase >> 24;
        if (index != previousIndex)
        {
            ++indexChanges;
            if (indexChanges > 1 && index != 0)
            {
                longestRun = std::max(longestRun, run);
                shortestRun = std::min(shortestRun, run);
            }
            run = 0;
            previousIndex = index;
        }
    } while (lfo.phase >= lfo.phaseIncrement); // stops on the sample that wraps

    EXPECT_EQ(samples, 14701); // 2^32 / 292174 = 14700.03
    EXPECT_EQ(indexChanges, 256);
    EXPECT_EQ(shortestRun, 57);
    EXPECT_EQ(longestRun, 58);

    lfo.sampleRate = 48000.0f;
    lfo.setRate(3.0f);
    EXPECT_NEAR(4294967296.0 / lfo.phaseIncrement, 16000.0, 0.1);
}

TEST(LFO, RatesOutsideTheRangeGiveBoundedIncrements)
{
    ZLFO lfo;
    lfo.setRate(0.0f);
    EXPECT_EQ(lfo.phaseIncrement, 0u);
    lfo.setRate(-5.0f);
    EXPECT_EQ(lfo.phaseIncrement, 0u);
    lfo.setRate(NAN);
    EXPECT_EQ(lfo.phaseIncrement, 0u);
    lfo.setRate(1.0e9f);
    EXPECT_EQ(lfo.phaseIncrement, 0xFFFFFFFFu);
    lfo.sampleRate = 0.0f; // no rate reported: counts as 44.1 kHz
    lfo.setRate(3.0f);
    EXPECT_EQ(lfo.phaseIncrement, 292174u);
}

TEST(LFO, EachShapeHasItsTableAndGuardPoint)
{
    ZLFO lfo;
    const double eMinusOne = std::exp(1.0) - 1.0;

    lfo.buildTable(0); // Triangle
    EXPECT_EQ(lfo.table[0], 0.0f);
    EXPECT_EQ(lfo.table[32], 0.5f);
    EXPECT_EQ(lfo.table[96], 0.5f);
    EXPECT_EQ(lfo.table[128], 0.0f);
    EXPECT_EQ(lfo.table[160], -0.5f);
    EXPECT_EQ(lfo.table[255], -1.0f / 64.0f);
    EXPECT_EQ(lfo.table[256], 0.0f);

    lfo.buildTable(1); // Sin
    EXPECT_NEAR(lfo.table[64], 1.0f, 1e-6f);
    EXPECT_NEAR(lfo.table[192], -1.0f, 1e-6f);
    EXPECT_NEAR(lfo.table[32], std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(lfo.table[256], 0.0f, 1e-6f);

    lfo.buildTable(2); // Saw
    EXPECT_EQ(lfo.table[0], -1.0f);
    EXPECT_EQ(lfo.table[255], 1.0f);
    EXPECT_NEAR(lfo.table[51], 2.0 * 51.0 / 255.0 - 1.0, 1e-6);
    EXPECT_EQ(lfo.table[256], -1.0f);

    lfo.buildTable(3); // Square
    EXPECT_EQ(lfo.table[0], 1.0f);
    EXPECT_EQ(lfo.table[127], 1.0f);
    EXPECT_EQ(lfo.table[128], -1.0f);
    EXPECT_EQ(lfo.table[255], -1.0f);
    EXPECT_EQ(lfo.table[256], 1.0f);

    lfo.buildTable(4); // Exponent
    EXPECT_NEAR(lfo.table[0], -1.0f, 1e-6f);
    EXPECT_NEAR(lfo.table[64], 2.0 * (std::exp(0.5) - 1.0) / eMinusOne - 1.0, 1e-6);
    EXPECT_NEAR(lfo.table[128], 1.0f, 1e-6f);
    EXPECT_NEAR(lfo.table[192], 2.0 * (std::exp(0.5) - 1.0) / eMinusOne - 1.0, 1e-6);
    EXPECT_NEAR(lfo.table[255], 2.0 * (std::exp(1.0 / 128.0) - 1.0) / eMinusOne - 1.0, 1e-6);
    EXPECT_EQ(lfo.table[256], -1.0f);

    // Not a shape: the table stays as it was.
    lfo.buildTable(5);
    EXPECT_EQ(lfo.table[256], -1.0f);
    lfo.buildTable(-1);
    EXPECT_NEAR(lfo.table[128], 1.0f, 1e-6f);
}

TEST(LFO, SquareRampsLinearlyAcrossItsTransitions)
{
    ZLFO lfo;
    lfo.buildTable(3);
    EXPECT_EQ(valueAt(lfo, 127.0), 1.0f);
    EXPECT_EQ(valueAt(lfo, 127.25), 0.5f);
    EXPECT_EQ(valueAt(lfo, 127.5), 0.0f);
    EXPECT_EQ(valueAt(lfo, 127.75), -0.5f);
    EXPECT_EQ(valueAt(lfo, 128.0), -1.0f);
    // The last point ramps into the guard point, the start of the next cycle.
    EXPECT_EQ(valueAt(lfo, 255.0), -1.0f);
    EXPECT_EQ(valueAt(lfo, 255.5), 0.0f);
    EXPECT_EQ(valueAt(lfo, 255.75), 0.5f);
    EXPECT_EQ(valueAt(lfo, 0.0), 1.0f);
}

TEST(LFO, AdvanceReadsThePhaseBeforeItsIncrement)
{
    ZLFO lfo;
    lfo.buildTable(2);
    lfo.phase = indexPhase(10.0);
    lfo.phaseIncrement = indexPhase(5.0);
    EXPECT_NEAR(lfo.advance(), 2.0 * 10.0 / 255.0 - 1.0, 1e-6);
    EXPECT_EQ(lfo.phase, indexPhase(15.0));
    EXPECT_NEAR(lfo.advance(), 2.0 * 15.0 / 255.0 - 1.0, 1e-6);

    // The phase wraps at 2^32.
    lfo.phase = 0xFFFFFFFFu;
    lfo.phaseIncrement = 2;
    lfo.advance();
    EXPECT_EQ(lfo.phase, 1u);
}

TEST(LFO, RequestedShapeIsBuiltBeforeTheNextSample)
{
    ZLFO lfo;
    lfo.phase = indexPhase(10.0);
    lfo.requestShape(3);
    EXPECT_EQ(lfo.table[10], 10.0f / 64.0f); // still the triangle
    EXPECT_EQ(lfo.advance(), 1.0f);          // the square, already for this sample
    EXPECT_EQ(lfo.table[200], -1.0f);

    // A table built directly is not undone by an older request.
    lfo.buildTable(2);
    lfo.advance();
    EXPECT_EQ(lfo.table[0], -1.0f);
    EXPECT_EQ(lfo.table[255], 1.0f);

    // A request for no shape leaves the table and is not retried.
    lfo.requestShape(9);
    lfo.advance();
    EXPECT_EQ(lfo.table[255], 1.0f);
    lfo.requestShape(0);
    lfo.advance();
    EXPECT_EQ(lfo.table[64], 1.0f);
}
