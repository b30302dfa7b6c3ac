#include <gtest/gtest.h>

#include <cmath>

#include "VoiceTestRig.h"
#include "engine/ZVoice.h"
#include "support/InstrumentProbe.h"

using namespace voicetest;

namespace
{
class VoiceRendering : public ::testing::Test
{
protected:
    VoiceRendering() { configure(instrument, false, false); }

    ZInstrument instrument;
};

// Counts the frames a voice reads.
class CountingVoice : public ZVoice
{
public:
    using ZVoice::ZVoice;
    void readFrame(int64_t index, float& left, float& right, bool otherHalf) override
    {
        ++reads;
        ZVoice::readFrame(index, left, right, otherHalf);
    }
    int reads = 0;
};
} // namespace

TEST_F(VoiceRendering, IncrementFollowsKeyTrackingTuneAndSampleRates)
{
    auto zone = makeZone(instrument, constant(1000, 0.5f));
    ZVoice voice(instrument);

    ASSERT_TRUE(voice.start(zone.get(), 72, 127, 0));
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 2.0);
    voice.finish();
    ASSERT_TRUE(voice.start(zone.get(), 48, 127, 0));
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 0.5);
    voice.finish();

    zone->settings.tune = 50.0f;  // a quarter tone up
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    EXPECT_NEAR(voice.getIncrement(), std::pow(2.0, 50.0 / 1200.0), 1e-6);
    voice.finish();
    zone->settings.tune = 0.0f;

    zone->settings.fixedPitch = 1;
    for (int note : { 20, 60, 100 })
    {
        ASSERT_TRUE(voice.start(zone.get(), note, 127, 0));
        EXPECT_DOUBLE_EQ(voice.getIncrement(), 1.0) << note;
        voice.finish();
    }
    zone->settings.fixedPitch = 0;

    instrument.setSampleRate(48000.0f);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    EXPECT_NEAR(voice.getIncrement(), 0.91875, 1e-7);
}

TEST_F(VoiceRendering, AZoneWithoutASampleRateDoesNotStart)
{
    auto zone = makeZone(instrument, constant(100, 0.5f, 0));
    ZVoice voice(instrument);
    EXPECT_FALSE(voice.start(zone.get(), 60, 127, 0));
    EXPECT_FALSE(voice.isActive());
    EXPECT_FALSE(voice.start(nullptr, 60, 127, 0));
}

TEST_F(VoiceRendering, ALoopWrapsKeepingTheOvershoot)
{
    // 66150 Hz played at 44100 Hz: increment 1.5.
    auto zone = makeZone(instrument, constant(3000, 0.5f, 66150), [](ZoneSettings& s) {
        s.playMode = 2;
        s.loopStart = 1000;
        s.loopEnd = 2000;
        s.startFrame = 1999;
    });
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    ASSERT_DOUBLE_EQ(voice.getIncrement(), 1.5);
    float left, right;
    ASSERT_TRUE(voice.renderSample(left, right));
    EXPECT_DOUBLE_EQ(voice.getPosition(), 1000.5);
    ASSERT_TRUE(voice.renderSample(left, right));
    EXPECT_DOUBLE_EQ(voice.getPosition(), 1002.0);
}

TEST_F(VoiceRendering, PlayToEndFinishesAtTheEndFrameWhateverTheEnvelope)
{
    auto zone = makeZone(instrument, constant(100, 0.5f, 66150), [](ZoneSettings& s) {
        s.endFrame = 10;
        s.release = 10000.0f;
    });
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    // Positions 0, 1.5, ... 9 sound; the step from 9 reaches 10.5.
    float left, right;
    int sounding = 0;
    while (voice.renderSample(left, right))
        ++sounding;
    EXPECT_EQ(sounding, 6);
    EXPECT_FALSE(voice.isActive());
    EXPECT_GT(voice.getEnvelope(), 0.99f);
    EXPECT_FALSE(voice.renderSample(left, right));
}

TEST_F(VoiceRendering, IntegerPositionsReadExactlyOneFrame)
{
    instrument.settings.interpolation = 2;  // the optimal-2x kernel would smear a frame
    auto zone = makeZone(instrument, MemorySound::ramp(100, 0.01f));
    CountingVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    for (int k = 0; k < 20; ++k)
    {
        float left = -1.0f, right = -1.0f;
        voice.reads = 0;
        ASSERT_TRUE(voice.renderSample(left, right));
        EXPECT_EQ(voice.reads, 1);
        EXPECT_EQ(left, static_cast<float>(k) * 0.01f);
        EXPECT_EQ(right, left);
    }
}

TEST_F(VoiceRendering, FractionalPositionsInterpolateFourFramesWithSilenceBeforeTheFirst)
{
    instrument.settings.interpolation = 1;
    // 22050 Hz at 44100 Hz: positions 0, 0.5, 1, 1.5 ...
    auto zone = makeZone(instrument, MemorySound::ramp(100, 1.0f, 22050));
    CountingVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    float left, right;
    voice.renderSample(left, right);
    EXPECT_EQ(left, 0.0f);

    // At 0.5 frame -1 is not read but taken as 0: Catmull-Rom over 0, 0, 1, 2.
    voice.reads = 0;
    voice.renderSample(left, right);
    EXPECT_EQ(voice.reads, 3);
    const double f = 0.5, ym1 = 0, y0 = 0, y1 = 1, y2 = 2;
    const double expected = y0 + f * (0.5 * (y1 - ym1) + f * ((2 * y1 + ym1) - 0.5 * (5 * y0 + y2)
                                                             + f * 0.5 * (3 * (y0 - y1) - ym1 + y2)));
    EXPECT_NEAR(left, expected, 1e-6);

    voice.renderSample(left, right);  // position 1
    voice.reads = 0;
    voice.renderSample(left, right);  // position 1.5 on a straight ramp
    EXPECT_EQ(voice.reads, 4);
    EXPECT_NEAR(left, 1.5f, 1e-6);
}

TEST_F(VoiceRendering, NearTheLoopEndTheWindowReadsTheFramesThatFollowInMemory)
{
    instrument.settings.interpolation = 0;
    auto zone = makeZone(instrument, MemorySound::ramp(100, 1.0f, 22050), [](ZoneSettings& s) {
        s.playMode = 2;
        s.loopStart = 0;
        s.loopEnd = 10;
        s.startFrame = 9;
    });
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    float left, right;
    voice.renderSample(left, right);
    EXPECT_EQ(left, 9.0f);
    voice.renderSample(left, right);  // 9.5: between frames 9 and 10, not 9 and 0
    EXPECT_FLOAT_EQ(left, 9.5f);
    voice.renderSample(left, right);  // wrapped to 0
    EXPECT_EQ(left, 0.0f);
}

TEST_F(VoiceRendering, StereoSidesAreInterpolatedSeparately)
{
    instrument.settings.interpolation = 0;
    std::vector<float> frames { 0.0f, 1.0f, 0.5f, -1.0f, 1.0f, 0.0f };
    auto zone = makeZone(instrument, std::make_unique<MemorySound>(frames, 2, 22050));
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    float left, right;
    voice.renderSample(left, right);
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 1.0f);
    voice.renderSample(left, right);
    EXPECT_FLOAT_EQ(left, 0.25f);
    EXPECT_FLOAT_EQ(right, 0.0f);
}

TEST_F(VoiceRendering, VelocityScalesTheVoiceUnlessTheZoneIgnoresIt)
{
    instrument.settings.velocityCurve = 2;  // v / 127
    instrument.settings.velocityFloor = -48;
    instrument.settings.velocityTop = 0;
    auto zone = makeZone(instrument, constant(100, 0.5f), [](ZoneSettings& s) { s.ignoreVelocity = 0; });
    ZVoice voice(instrument);
    float left, right;

    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    voice.renderSample(left, right);
    EXPECT_FLOAT_EQ(left, 0.5f);
    voice.finish();

    ASSERT_TRUE(voice.start(zone.get(), 60, 64, 0));
    voice.renderSample(left, right);
    const double decibels = 64.0 / 127.0 * 48.0 - 48.0;
    EXPECT_NEAR(left / 0.5, std::pow(10.0, decibels / 20.0), 2e-4);
    voice.finish();

    zone->settings.ignoreVelocity = 1;
    ASSERT_TRUE(voice.start(zone.get(), 60, 1, 0));
    voice.renderSample(left, right);
    EXPECT_FLOAT_EQ(left, 0.5f);
}

TEST_F(VoiceRendering, GainsFollowTheZoneByAHundredthPerSample)
{
    auto zone = makeZone(instrument, constant(1000, 1.0f));
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    float left, right;
    voice.renderSample(left, right);
    ASSERT_FLOAT_EQ(left, 1.0f);

    zone->gain = 0.5f;
    zone->gainRight = 0.0f;  // panned hard left
    voice.renderSample(left, right);
    EXPECT_NEAR(left, 0.99f, 1e-6);
    EXPECT_NEAR(right, 0.99f, 1e-6);
    for (int k = 2; k <= 25; ++k)
        voice.renderSample(left, right);
    EXPECT_NEAR(left, 0.75f, 1e-5);
    EXPECT_NEAR(right, 0.75f, 1e-5);
    for (int k = 26; k <= 120; ++k)
        voice.renderSample(left, right);
    EXPECT_FLOAT_EQ(left, 0.5f);
    EXPECT_EQ(right, 0.0f);
}

TEST_F(VoiceRendering, BendAndVibratoRetuneOnlyWhileTheyMove)
{
    auto zone = makeZone(instrument, constant(100000, 0.5f));
    ZVoice voice(instrument);
    instrument.settings.lfoDepth = 0.0f;
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    float left, right;

    ZInstrumentProbe::setBend(instrument, 2.0f, false);  // not moving: kept until the next retune
    voice.renderSample(left, right);
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 1.0);
    ZInstrumentProbe::setBend(instrument, 2.0f, true);
    voice.renderSample(left, right);
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 2.0);

    ZInstrumentProbe::setBend(instrument, 1.0f, false);
    instrument.settings.lfoDestination = 1;
    instrument.settings.lfoDepth = 0.5f;
    ZInstrumentProbe::setLfoValue(instrument, 1.0f);  // half a semitone up
    voice.renderSample(left, right);
    EXPECT_NEAR(voice.getIncrement(), std::pow(2.0, 0.5 / 12.0), 1e-6);

    instrument.settings.lfoDestination = 2;  // expression: no pitch change
    voice.renderSample(left, right);
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 1.0);
}
