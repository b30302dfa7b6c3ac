#include <gtest/gtest.h>

#include <cmath>

#include "VoiceTestRig.h"
#include "engine/ZVoice.h"
#include "support/InstrumentProbe.h"

using namespace voicetest;

namespace
{
class VoiceGlideAndSteal : public ::testing::Test
{
protected:
    VoiceGlideAndSteal()
    {
        configure(instrument, false, false);
        instrument.settings.lfoDepth = 0.0f;
    }

    void render(ZVoice& voice, int samples)
    {
        float left, right;
        for (int k = 0; k < samples; ++k)
            voice.renderSample(left, right);
    }

    // Samples the fast fade takes from full level: e -= (e + 100/63 - 1) x 0.02242
    // until e reaches 0.
    static int fastFadeSamples()
    {
        float e = 1.0f;
        int samples = 0;
        do
        {
            e -= (e + 0.5873016f) * 0.02242f;
            ++samples;
        } while (e > 0.0f);
        return samples;
    }

    ZInstrument instrument;
    std::unique_ptr<ZZone> first = makeZone(instrument, constant(441000, 0.5f));
    std::unique_ptr<ZZone> second = makeZone(instrument, constant(441000, 0.25f));
};
} // namespace

TEST_F(VoiceGlideAndSteal, LegatoGlidesTheSoundingVoiceLinearlyToTheNewNote)
{
    instrument.settings.voiceMode = 2;
    instrument.settings.glideTime = 100.0f;
    ZInstrumentProbe::setLastNote(instrument, 60);
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    EXPECT_FLOAT_EQ(voice.getGlideRatio(), 1.0f);
    render(voice, 100);
    ZInstrumentProbe::setLastNote(instrument, 60);
    const double positionBefore = voice.getPosition();

    ASSERT_TRUE(voice.start(second.get(), 67, 127, 0));
    EXPECT_EQ(voice.getNote(), 67);
    EXPECT_EQ(voice.getZone(), first.get());       // the sounding zone stays
    EXPECT_EQ(voice.getPosition(), positionBefore);  // and so does its position

    const double fifth = std::pow(2.0, 7.0 / 12.0);
    const double perSample = (fifth - 1.0) / 4410.0;  // 100 ms at 44.1 kHz
    for (int k = 1; k <= 4420; ++k)
    {
        render(voice, 1);
        if (k % 441 == 0 && k < 4410)
            EXPECT_NEAR(voice.getGlideRatio(), 1.0 + k * perSample, 1e-4) << k;
        EXPECT_EQ(voice.getEnvelope(), 1.0f) << k;  // never restarted
    }
    EXPECT_NEAR(voice.getGlideRatio(), fifth, 1e-5);
    EXPECT_NEAR(voice.getIncrement(), fifth, 1e-5);
}

TEST_F(VoiceGlideAndSteal, ANewStartInMonoGlidesFromTheLastNote)
{
    instrument.settings.voiceMode = 1;
    instrument.settings.glideTime = 100.0f;
    ZInstrumentProbe::setLastNote(instrument, 48);
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    EXPECT_FLOAT_EQ(voice.getGlideRatio(), 0.5f);
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 0.5);
    render(voice, 2205);
    EXPECT_NEAR(voice.getGlideRatio(), 0.75, 1e-4);
    render(voice, 2210);
    EXPECT_FLOAT_EQ(voice.getGlideRatio(), 1.0f);
}

TEST_F(VoiceGlideAndSteal, WithoutAGlideTimeTheNewPitchIsImmediate)
{
    instrument.settings.voiceMode = 2;
    instrument.settings.glideTime = 0.0f;
    ZInstrumentProbe::setLastNote(instrument, 48);
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    EXPECT_FLOAT_EQ(voice.getGlideRatio(), 1.0f);
    ASSERT_TRUE(voice.start(first.get(), 72, 127, 0));
    EXPECT_FLOAT_EQ(voice.getGlideRatio(), 2.0f);
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 2.0);
}

TEST_F(VoiceGlideAndSteal, PolyIgnoresTheGlide)
{
    instrument.settings.voiceMode = 0;
    instrument.settings.glideTime = 100.0f;
    ZInstrumentProbe::setLastNote(instrument, 48);
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    EXPECT_FLOAT_EQ(voice.getGlideRatio(), 1.0f);
    render(voice, 10);
    EXPECT_DOUBLE_EQ(voice.getIncrement(), 1.0);
}

TEST_F(VoiceGlideAndSteal, AStolenVoiceStartsItsHeldNoteWhenTheFadeEnds)
{
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    render(voice, 10);
    voice.steal();
    EXPECT_TRUE(voice.isReleasing());
    EXPECT_FALSE(voice.start(second.get(), 64, 100, 3));
    EXPECT_TRUE(voice.isPending());
    EXPECT_TRUE(voice.matchesPending(64, 3));
    EXPECT_FALSE(voice.matchesPending(64, 4));
    EXPECT_FALSE(voice.matchesPending(65, 3));

    const int fade = fastFadeSamples();
    EXPECT_NEAR(fade, 44, 2);
    render(voice, fade - 1);
    EXPECT_EQ(voice.getNote(), 60);
    EXPECT_EQ(voice.getZone(), first.get());
    render(voice, 1);
    EXPECT_TRUE(voice.isActive());
    EXPECT_FALSE(voice.isPending());
    EXPECT_FALSE(voice.isReleasing());
    EXPECT_EQ(voice.getNote(), 64);
    EXPECT_EQ(voice.getChannelTag(), 3);
    EXPECT_EQ(voice.getZone(), second.get());

    float left, right;
    voice.renderSample(left, right);
    EXPECT_NEAR(left, 0.25f, 1e-5);  // the new zone, at full level
}

TEST_F(VoiceGlideAndSteal, ACancelledHeldNoteNeverStarts)
{
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    render(voice, 10);
    voice.steal();
    voice.start(second.get(), 64, 100, 0);
    EXPECT_TRUE(voice.matchesPending(64, 1));  // held without a channel: any channel's note-off
    EXPECT_TRUE(voice.matchesPending(64, 16));
    render(voice, 10);
    voice.cancelPending();
    EXPECT_FALSE(voice.isPending());
    render(voice, 20000);
    EXPECT_FALSE(voice.isActive());
    EXPECT_EQ(voice.getZone(), first.get());
    EXPECT_EQ(voice.getNote(), 60);
}

TEST_F(VoiceGlideAndSteal, ASecondStealKeepsTheFadeAndTheLatestHeldNoteWins)
{
    auto third = makeZone(instrument, constant(441000, 0.125f));
    ZVoice voice(instrument);
    ASSERT_TRUE(voice.start(first.get(), 60, 127, 0));
    render(voice, 10);
    voice.steal();
    voice.start(second.get(), 64, 100, 0);
    render(voice, 5);
    voice.steal();
    EXPECT_TRUE(voice.isPending());
    EXPECT_EQ(voice.getNote(), 60);  // not cut short
    EXPECT_FALSE(voice.start(third.get(), 65, 100, 0));
    EXPECT_FALSE(voice.matchesPending(64, 0));
    render(voice, fastFadeSamples());
    EXPECT_EQ(voice.getNote(), 65);
    EXPECT_EQ(voice.getZone(), third.get());
}

TEST_F(VoiceGlideAndSteal, StealingAFreeVoiceHoldsNothing)
{
    ZVoice voice(instrument);
    voice.steal();
    EXPECT_FALSE(voice.isPending());
    EXPECT_TRUE(voice.start(first.get(), 60, 127, 0));
}

TEST_F(VoiceGlideAndSteal, KillFadesFastAndReleaseAtTheZoneRate)
{
    ZVoice killed(instrument), released(instrument);
    ASSERT_TRUE(killed.start(first.get(), 60, 127, 0));
    ASSERT_TRUE(released.start(first.get(), 60, 127, 0));
    render(killed, 10);
    render(released, 10);
    killed.kill();
    released.release();
    render(killed, fastFadeSamples());
    render(released, fastFadeSamples());
    EXPECT_FALSE(killed.isActive());
    EXPECT_TRUE(released.isActive());  // the zone's release is 100 ms
    EXPECT_TRUE(released.isReleasing());
    render(released, 44100);
    EXPECT_FALSE(released.isActive());

    ZVoice idle(instrument);
    idle.release();
    idle.kill();
    EXPECT_FALSE(idle.isReleasing());
}
