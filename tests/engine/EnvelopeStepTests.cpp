#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/ZInstrument.h"
#include "engine/ZVoice.h"
#include "engine/ZZone.h"

namespace
{
// A voice whose envelope state a test sets directly.
class EnvelopeVoice : public ZVoice
{
public:
    using ZVoice::ZVoice;

    void sound(ZZone& z, float level, bool inAttack)
    {
        zone = &z;
        active = true;
        attacking = inAttack;
        releasing = false;
        pending = false;
        fastFade = false;
        pendingZone = nullptr;
        envelope = level;
    }
    void markReleasing(bool stolen = false, bool killed = false)
    {
        releasing = true;
        pending = stolen;
        fastFade = killed;
    }
    bool playing() const { return active; }
    bool inAttack() const { return attacking; }

    // Steps until the voice ends; the count, or -1 past `limit`.
    int stepsUntilFinished(int limit)
    {
        for (int n = 1; n <= limit; ++n)
        {
            stepEnvelope();
            if (!active)
                return n;
        }
        return -1;
    }
};

struct Envelope : ::testing::Test
{
    ZInstrument instrument;
    std::unique_ptr<ZZone> zone = std::make_unique<ZZone>(&instrument, nullptr);
    EnvelopeVoice voice { instrument };

    void derive(float attack, float decay, float sustain, float release, int playMode = 0)
    {
        zone->settings = ZoneSettings {};
        zone->settings.attack = attack;
        zone->settings.decay = decay;
        zone->settings.sustain = sustain;
        zone->settings.release = release;
        zone->settings.playMode = playMode;
        zone->updateDerived();
    }
};

// Steps for the release, aimed at -(100/63 - 1), to fall from 1 to 0 at a
// per-sample rate r: 1.5873 (1 - r)^n <= 0.5873, i.e. n >= ln(0.37) / ln(1 - r).
int releaseSteps(double rate) { return int(std::ceil(std::log(0.37) / std::log(1.0 - rate))); }
} // namespace

TEST_F(Envelope, AttackZeroReachesFullLevelOnTheFirstStep)
{
    derive(0.0f, 0.0f, 0.0f, 100.0f);
    voice.sound(*zone, 0.0f, true);
    voice.stepEnvelope();
    EXPECT_EQ(voice.getEnvelope(), 1.0f);
    EXPECT_FALSE(voice.inAttack());
    voice.stepEnvelope(); // full sustain and no decay: the level holds
    EXPECT_EQ(voice.getEnvelope(), 1.0f);
}

TEST_F(Envelope, AttackReachesFullLevelAfterAboutItsTime)
{
    derive(10.0f, 0.0f, 0.0f, 100.0f);
    voice.sound(*zone, 0.0f, true);
    int steps = 0;
    while (voice.inAttack() && steps < 10000)
    {
        const float before = voice.getEnvelope();
        voice.stepEnvelope();
        ASSERT_GT(voice.getEnvelope(), before);
        ++steps;
    }
    EXPECT_EQ(voice.getEnvelope(), 1.0f);
    EXPECT_NEAR(steps, 441, 441 * 0.02); // 10 ms at 44.1 kHz
}

TEST_F(Envelope, ReleaseZeroLastsOneMillisecondWhenPlayingToTheEnd)
{
    derive(0.0f, 0.0f, 0.0f, 0.0f, 0);
    voice.sound(*zone, 1.0f, false);
    voice.markReleasing();
    EXPECT_EQ(voice.stepsUntilFinished(1000), releaseSteps(1.0 - std::exp(-1.0 / 44.1))); // 44 samples
    EXPECT_EQ(voice.getEnvelope(), 0.0f);
}

TEST_F(Envelope, OneShotReleaseZeroEndsAtTheFirstReleaseStep)
{
    derive(0.0f, 0.0f, 0.0f, 0.0f, 1);
    voice.sound(*zone, 0.8f, false);
    voice.markReleasing();
    EXPECT_EQ(voice.stepsUntilFinished(1000), 1);
    EXPECT_EQ(voice.getEnvelope(), 0.0f);
}

TEST_F(Envelope, ReleaseFollowsItsTimeConstant)
{
    derive(0.0f, 0.0f, 0.0f, 100.0f);
    voice.sound(*zone, 1.0f, false);
    voice.markReleasing();
    for (int n = 0; n < 2205; ++n) // 50 ms
        voice.stepEnvelope();
    // e(t) = -0.5873 + 1.5873 e^(-t / 100 ms)
    EXPECT_NEAR(voice.getEnvelope(), -0.5873016 + 1.5873016 * std::exp(-0.5), 5e-4);
    EXPECT_NEAR(voice.stepsUntilFinished(100000) + 2205, releaseSteps(1.0 - std::exp(-1.0 / 4410.0)), 2);
}

TEST_F(Envelope, StolenOrKilledVoicesFadeInAbout44Samples)
{
    derive(0.0f, 0.0f, 0.0f, 2000.0f);
    voice.sound(*zone, 1.0f, false);
    voice.markReleasing(true, false);
    EXPECT_EQ(voice.stepsUntilFinished(1000), releaseSteps(0.02242));
    EXPECT_EQ(releaseSteps(0.02242), 44);
    EXPECT_FALSE(voice.isPending()); // the finish took the pending mark

    instrument.setSampleRate(96000.0f); // the fast fade does not follow the rate
    zone->updateDerived();
    voice.sound(*zone, 1.0f, false);
    voice.markReleasing(false, true);
    EXPECT_EQ(voice.stepsUntilFinished(1000), 44);
}

TEST_F(Envelope, SustainBelowFullLevelWithDecayZeroSettlesAtOnce)
{
    derive(0.0f, 0.0f, -6.0f, 100.0f);
    voice.sound(*zone, 0.0f, true);
    voice.stepEnvelope(); // attack
    EXPECT_EQ(voice.getEnvelope(), 1.0f);
    for (int n = 0; n < 441; ++n) // 10 ms, ten decay time constants
        voice.stepEnvelope();
    EXPECT_NEAR(voice.getEnvelope(), 0.5012, 1e-4);
    for (int n = 0; n < 44100; ++n) // the decay never ends the voice
        voice.stepEnvelope();
    EXPECT_TRUE(voice.playing());
    EXPECT_NEAR(voice.getEnvelope(), std::pow(10.0, -6.0 / 20.0), 5e-6); // within rounding of the fixed point
}

TEST_F(Envelope, DecayApproachesSustainWithItsTimeConstant)
{
    derive(0.0f, 200.0f, -20.0f, 100.0f);
    voice.sound(*zone, 1.0f, false);
    for (int n = 0; n < 8820; ++n) // 200 ms
        voice.stepEnvelope();
    EXPECT_NEAR(voice.getEnvelope(), 0.1 + 0.9 * std::exp(-1.0), 5e-4);
}

TEST_F(Envelope, NewCoefficientsApplyAtTheNextStep)
{
    derive(0.0f, 0.0f, 0.0f, 5000.0f);
    voice.sound(*zone, 1.0f, false);
    voice.markReleasing();
    voice.stepEnvelope();
    EXPECT_GT(voice.getEnvelope(), 0.99f);
    zone->settings.playMode = 1;
    zone->settings.release = 0.0f;
    zone->updateDerived();
    EXPECT_EQ(voice.stepsUntilFinished(10), 1);
}

TEST_F(Envelope, AVoiceWithoutZoneIsLeftAlone)
{
    EnvelopeVoice idle { instrument };
    idle.stepEnvelope();
    EXPECT_EQ(idle.getEnvelope(), 0.0f);
    EXPECT_FALSE(idle.playing());
}
