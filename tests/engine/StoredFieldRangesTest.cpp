// The working values the engine takes from stored integers that meet
// arithmetic, and the faults that extreme stored values once caused.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "engine/StoredFieldRanges.h"
#include "support/EngineFixture.h"

namespace
{
struct KeyTrackingCase
{
    int note;
    int32_t rootKey;
    float semitones;
};

class KeyTracking : public testing::TestWithParam<KeyTrackingCase>
{
};

TEST_P(KeyTracking, IsTheExactDistanceFromTheRootKey)
{
    EXPECT_EQ(keyTrackingSemitones(GetParam().note, GetParam().rootKey), GetParam().semitones);
}

INSTANTIATE_TEST_SUITE_P(StoredFieldRanges, KeyTracking,
                         testing::Values(KeyTrackingCase { 60, 60, 0.0f }, KeyTrackingCase { 72, 60, 12.0f },
                                         KeyTrackingCase { 0, 127, -127.0f },
                                         // 100 + 2147483585 = 2147483685, past INT_MAX; nearest float 2^31
                                         KeyTrackingCase { 100, -2147483585, 2147483648.0f },
                                         // 0 - 2147483647
                                         KeyTrackingCase { 0, INT_MAX, -2147483648.0f },
                                         // 127 + 2147483648 = 2147483775, nearest float 2^31
                                         KeyTrackingCase { 127, INT_MIN, 2147483648.0f }));

struct ChannelTagCase
{
    int32_t activationChannel;
    int tag;
};

class ChannelTag : public testing::TestWithParam<ChannelTagCase>
{
};

TEST_P(ChannelTag, IsTheChannelPlusOneHeldToAByte)
{
    EXPECT_EQ(channelTagOfActivationChannel(GetParam().activationChannel), GetParam().tag);
}

INSTANTIATE_TEST_SUITE_P(StoredFieldRanges, ChannelTag,
                         testing::Values(ChannelTagCase { 0, 1 }, ChannelTagCase { 15, 16 }, ChannelTagCase { -1, 0 },
                                         ChannelTagCase { 254, 255 }, ChannelTagCase { 1000, 255 },
                                         ChannelTagCase { INT_MAX, 255 }, ChannelTagCase { INT_MIN, 0 }));

struct ReleaseVelocityCase
{
    int velocity;
    double elapsedMs;
    float decayMs;
    int expected;
};

class ReleaseVelocity : public testing::TestWithParam<ReleaseVelocityCase>
{
};

TEST_P(ReleaseVelocity, FallsLinearlyOverTheDecay)
{
    const ReleaseVelocityCase& c = GetParam();
    EXPECT_EQ(releaseTriggerVelocity(c.velocity, c.elapsedMs, c.decayMs), c.expected);
}

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(StoredFieldRanges, ReleaseVelocity,
                         testing::Values(ReleaseVelocityCase { 100, 0.0, 400.0f, 100 },
                                         ReleaseVelocityCase { 100, 100.0, 400.0f, 75 },   // 0.75 * 100
                                         ReleaseVelocityCase { 127, 300.0, 400.0f, 31 },   // 31.75 truncated
                                         ReleaseVelocityCase { 100, 400.0, 400.0f, 0 },
                                         ReleaseVelocityCase { 100, 5000.0, 400.0f, 0 },
                                         ReleaseVelocityCase { 100, 1.0e9, static_cast<float>(infinity), 100 },
                                         // a clock that ran backwards: (1 + 1e30) * 100 is past int
                                         ReleaseVelocityCase { 100, -1.0, 1.0e-30f, INT_MAX },
                                         ReleaseVelocityCase { 0, -infinity, 1.0f, 0 },
                                         ReleaseVelocityCase { 100, notANumber, 400.0f, 0 }));

// The fuzzer's finding: a zone whose stored root key is -2147483585. Note 100
// lies 2147483685 semitones above it, so its pitch ratio 2^(2147483685 / 12)
// is past any float: the voice moves past the end of its sound at the first
// sample and ends, where the overflowed difference made it stand still.
TEST(StoredFieldRanges, ANoteFarAboveAStoredRootKeyEndsAtOnce)
{
    EngineFixture engine;
    ZZone& zone = engine.addConstantZone(engine.defaultGroup(), 0.5f);
    zone.settings.rootKey = -2147483585;
    engine.noteOn(100);
    engine.render(2);
    EXPECT_EQ(engine.activeVoices(), 0);
}

TEST(StoredFieldRanges, ANoteFarBelowAStoredRootKeyHoldsItsFirstFrame)
{
    EngineFixture engine;
    ZZone& zone = engine.addConstantZone(engine.defaultGroup(), 0.5f, 0, 127, 0, 127, 64);
    zone.settings.rootKey = INT_MAX;
    engine.noteOn(0);
    const RenderedBlock block = engine.render(256);
    // 2^(-2147483647 / 12) is 0: the voice reads frame 0 for ever.
    EXPECT_EQ(engine.activeVoices(), 1);
    EXPECT_EQ(block.at(0, 255), 0.5f);
}

} // namespace
